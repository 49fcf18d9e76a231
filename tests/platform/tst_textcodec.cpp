#include "testmain.h"
#include "textcodec.h"

#include <QRandomGenerator>

using namespace Qt::Literals::StringLiterals;
using platform::decodeName;
using platform::encodeName;

class TestTextCodec : public QObject {
    Q_OBJECT

private slots:
    // Valid UTF-8 decodes as UTF-8; anything else is escaped byte by byte; both encode back unchanged.
    void decodeAndEncodeBack_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        // Each byte that is not valid UTF-8 decodes to U+DC00 + byte.
        const auto esc = [](const QByteArray &bytes) {
            QString out;
            for (char b : bytes)
                out += QChar(char16_t(0xDC00 + uchar(b)));
            return out;
        };
        QTest::newRow("four-byte") << QByteArray("a\xF0\x9F\x98\x80z") << u"a\U0001F600z"_s;
        QTest::newRow("edges of the code points") << QByteArray("\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF") << u"\uD7FF\uE000\U0010FFFF"_s;
        QTest::newRow("latin-1 name") << QByteArray("caf\xE9.txt") << u"caf"_s + esc("\xE9") + u".txt"_s;
        QTest::newRow("overlong NUL") << QByteArray("\xC0\x80") << esc("\xC0\x80");
        QTest::newRow("overlong three-byte") << QByteArray("\xE0\x80\xAF") << esc("\xE0\x80\xAF");
        QTest::newRow("overlong four-byte") << QByteArray("\xF0\x82\x82\xAC") << esc("\xF0\x82\x82\xAC");
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xA0\x80") << esc("\xED\xA0\x80");
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << esc("\xF4\x90\x80\x80");
        QTest::newRow("truncated before ascii") << QByteArray("\xE2\x82z") << esc("\xE2\x82") + u"z"_s;
        QTest::newRow("valid after invalid") << QByteArray("\xFF\xC3\xA9") << esc("\xFF") + u"\u00E9"_s;
    }

    void decodeAndEncodeBack()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(decodeName(bytes), text);
        QCOMPARE(encodeName(text), bytes);
    }

    // Whatever a file name holds, decoding and encoding it again gives the same bytes.
    void randomBytesRoundTrip()
    {
        QRandomGenerator gen(20261206);
        for (int i = 0; i < 3000; ++i) {
            QByteArray bytes(gen.bounded(0, 40), Qt::Uninitialized);
            // Mostly high bytes, so that partial and complete multi-byte sequences both occur.
            for (char &c : bytes)
                c = char(gen.bounded(10) < 2 ? gen.bounded(0x20, 0x80) : gen.bounded(0x80, 0x100));
            QVERIFY2(encodeName(decodeName(bytes)) == bytes, bytes.toHex().constData());
        }
    }

    // Surrogates that did not come from the decoder have no bytes of their own: above all, one that
    // looks like an escape of an ASCII byte must not turn into that byte (a "/" or a NUL).
    void loneSurrogatesBecomeReplacementCharacters()
    {
        const QByteArray r("\xEF\xBF\xBD");
        QCOMPARE(encodeName(u"a\xD83D"_s), "a" + r);
        QCOMPARE(encodeName(u"\xD83D" "b"_s), r + "b");
        QCOMPARE(encodeName(u"\xDC2F\xDC00"_s), r + r);
        QCOMPARE(encodeName(u"\xDE00\xD83D"_s), r + r);
    }
};

CHEQORA_TEST_MAIN(TestTextCodec)
#include "tst_textcodec.moc"
