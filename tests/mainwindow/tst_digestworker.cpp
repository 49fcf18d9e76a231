#include "digest.h"
#include "digestworker.h"
#include "filefixtures.h"
#include "testmain.h"

#include <QTemporaryDir>

using namespace cheqora;

// The worker thread gives exactly the digests and statuses of the engine's own call, one file after
// the other, and an abort reaches the file being read.
class TestDigestWorker : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    platform::FileStat statOf(const QString &path)
    {
        platform::FileStat st;
        platform::FileError err;
        platform::statPath(path, st, err);
        return st;
    }

private slots:
    void givesTheEngineResult_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        QTest::newRow("abc") << QByteArray("abc") << true;
        QTest::newRow("several blocks") << QByteArray(3 * 1024 * 1024 + 17, 'x') << true;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("missing") << QByteArray() << false;
    }

    void givesTheEngineResult()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        const QString path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
        if (exists)
            QVERIFY(test::writeBytes(path, content));
        const platform::FileStat st = statOf(path);
        int wantStatus = 0;
        QString wantText;
        const QString want = GetDSOfExaminedFile(path, st, wantStatus, wantText);

        DigestWorker worker;
        // Twice through the same thread: it serves one file after another.
        for (int round = 0; round < 2; ++round) {
            int status = -99;
            QString text = QStringLiteral("stale");
            QCOMPARE(worker.Digest(path, st, status, text, [] { return true; }), want);
            QCOMPARE(status, wantStatus);
            QCOMPARE(text, wantText);
        }
    }

    void abortEndsTheDigestUntilCleared()
    {
        const QString path = m_dir.filePath(QStringLiteral("data"));
        QVERIFY(test::writeBytes(path, QByteArray(100000, 'y')));
        const platform::FileStat st = statOf(path);
        DigestWorker worker;
        worker.Abort();
        int status = 0;
        QString text;
        QCOMPARE(worker.Digest(path, st, status, text, {}), QString());
        QCOMPARE(status, int(platform::ErrInterrupted));
        worker.ClearAbort();
        QCOMPARE(worker.Digest(path, st, status, text, {}).size(), 32);
        QCOMPARE(status, 0);
    }
};

CHEQORA_TEST_MAIN(TestDigestWorker)
#include "tst_digestworker.moc"
