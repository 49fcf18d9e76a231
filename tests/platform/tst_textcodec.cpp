#include "testmain.h"
#include "textcodec.h"

#include <QRandomGenerator>

using platform::decodeName;
using platform::encodeName;

namespace {

QString escapes(std::initializer_list<unsigned char> bytes)
{
    QString out;
    for (unsigned char b : bytes)
        out.append(QChar(char16_t(0xDC00 + b)));
    return out;
}

} // namespace

class TestTextCodec : public QObject {
    Q_OBJECT

private slots:
    void validUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("ascii") << QByteArray("report.txt");
        QTest::newRow("two-byte") << QByteArray("caf\xC3\xA9");
        QTest::newRow("three-byte") << QByteArray("\xE2\x82\xAC 10");
        QTest::newRow("four-byte") << QByteArray("a\xF0\x9F\x98\x80z");
        QTest::newRow("highest code point") << QByteArray("\xF4\x8F\xBF\xBF");
        QTest::newRow("last before surrogates") << QByteArray("\xED\x9F\xBF");
        QTest::newRow("first after surrogates") << QByteArray("\xEE\x80\x80");
    }

    void validUtf8()
    {
        QFETCH(QByteArray, bytes);
        const QString text = decodeName(bytes);
        QCOMPARE(text, QString::fromUtf8(bytes));
        QCOMPARE(encodeName(text), bytes);
    }

    void fourByteCharacterIsOneSurrogatePair()
    {
        const QString text = decodeName(QByteArray("\xF0\x9F\x98\x80"));
        QCOMPARE(text.size(), 2);
        QVERIFY(text.at(0).isHighSurrogate());
        QVERIFY(text.at(1).isLowSurrogate());
        QCOMPARE(QChar::surrogateToUcs4(text.at(0), text.at(1)), char32_t(0x1F600));
    }

    // Bytes that are not valid UTF-8 become one escape character each and come back unchanged.
    void invalidBytesAreEscaped_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lone 0xFF") << QByteArray("\xFF") << escapes({0xFF});
        QTest::newRow("lone continuation") << QByteArray("a\x80z")
                                           << QStringLiteral("a") + escapes({0x80}) + QStringLiteral("z");
        QTest::newRow("latin-1 name") << QByteArray("caf\xE9.txt")
                                      << QStringLiteral("caf") + escapes({0xE9}) + QStringLiteral(".txt");
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << escapes({0xC0, 0xAF});
        QTest::newRow("overlong NUL") << QByteArray("\xC0\x80") << escapes({0xC0, 0x80});
        QTest::newRow("overlong three-byte") << QByteArray("\xE0\x80\xAF") << escapes({0xE0, 0x80, 0xAF});
        QTest::newRow("overlong four-byte") << QByteArray("\xF0\x82\x82\xAC") << escapes({0xF0, 0x82, 0x82, 0xAC});
        QTest::newRow("encoded high surrogate") << QByteArray("\xED\xA0\x80") << escapes({0xED, 0xA0, 0x80});
        QTest::newRow("encoded low surrogate") << QByteArray("\xED\xBF\xBF") << escapes({0xED, 0xBF, 0xBF});
        QTest::newRow("beyond U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << escapes({0xF4, 0x90, 0x80, 0x80});
        QTest::newRow("truncated at end") << QByteArray("x\xE2\x82") << QStringLiteral("x") + escapes({0xE2, 0x82});
        QTest::newRow("truncated before ascii")
            << QByteArray("\xE2\x82z") << escapes({0xE2, 0x82}) + QStringLiteral("z");
        QTest::newRow("five-byte lead") << QByteArray("\xF8\x88\x80\x80\x80")
                                        << escapes({0xF8, 0x88, 0x80, 0x80, 0x80});
        QTest::newRow("valid after invalid") << QByteArray("\xFF\xC3\xA9")
                                             << escapes({0xFF}) + QString(QChar(0xE9));
    }

    void invalidBytesAreEscaped()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        const QString text = decodeName(bytes);
        QCOMPARE(text, expected);
        QCOMPARE(encodeName(text), bytes);
    }

    // Whatever a file name holds, decoding and encoding it again gives the same bytes.
    void randomBytesRoundTrip()
    {
        QRandomGenerator gen(20261206);
        for (int i = 0; i < 3000; ++i) {
            QByteArray bytes(gen.bounded(0, 40), Qt::Uninitialized);
            for (char &c : bytes) {
                // Mostly high bytes, so that partial and complete multi-byte sequences both occur.
                const quint32 r = gen.bounded(10);
                c = char(r < 2 ? gen.bounded(0x20, 0x80) : gen.bounded(0x80, 0x100));
            }
            const QByteArray back = encodeName(decodeName(bytes));
            if (back != bytes)
                QFAIL(qPrintable(QStringLiteral("round trip changed %1").arg(QString::fromLatin1(bytes.toHex()))));
        }
    }

    void everyEscapeEncodesToItsByte()
    {
        for (int b = 0x80; b <= 0xFF; ++b) {
            const QString escaped(QChar(char16_t(0xDC00 + b)));
            QCOMPARE(encodeName(escaped), QByteArray(1, char(b)));
        }
    }

    // Surrogates that did not come from the decoder have no bytes of their own.
    void loneSurrogatesBecomeReplacementCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray repl("\xEF\xBF\xBD");
        QTest::newRow("high alone") << QString(QChar(0xD800)) << repl;
        QTest::newRow("high at end") << QStringLiteral("a") + QChar(0xD83D) << QByteArray("a") + repl;
        QTest::newRow("high before ascii") << QString(QChar(0xD83D)) + QStringLiteral("b") << repl + QByteArray("b");
        QTest::newRow("low below escapes") << QString(QChar(0xDC41)) << repl;
        QTest::newRow("low above escapes") << QString(QChar(0xDD00)) << repl;
        QTest::newRow("pair reversed") << QString(QChar(0xDE00)) + QChar(0xD83D) << repl + repl;
    }

    void loneSurrogatesBecomeReplacementCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(encodeName(text), bytes);
    }

    void textCodecIsTheNameCodec()
    {
        const QByteArray bytes("line \xE9\r\n\xC3\xA9\r\n");
        QCOMPARE(platform::decodeText(bytes), decodeName(bytes));
        QCOMPARE(platform::encodeText(platform::decodeText(bytes)), bytes);
    }
};

CHEQORA_TEST_MAIN(TestTextCodec)
#include "tst_textcodec.moc"
