#include "digest.h"
#include "digestworker.h"
#include "filefixtures.h"
#include "testmain.h"

#include <QTemporaryDir>

using namespace cheqora;

// An abort reaches the file being read on the worker thread and lasts until it is cleared. (The
// window's comparison tests check its digests too: a modified file is found by them.)
class TestDigestWorker : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void abortEndsTheDigestUntilCleared()
    {
        const QString path = m_dir.filePath(QStringLiteral("data"));
        QVERIFY(test::writeBytes(path, QByteArray(100000, 'y')));
        platform::FileStat st;
        platform::FileError err;
        QVERIFY(platform::statPath(path, st, err));
        DigestWorker worker;
        worker.Abort();
        int status = 0;
        QString text;
        QCOMPARE(worker.Digest(path, st, status, text, {}), QString());
        QCOMPARE(status, int(platform::ErrInterrupted));
        worker.ClearAbort();
        QString wantText;
        const QString want = GetDSOfFile(path, status, wantText);
        QCOMPARE(want.size(), 32);
        QCOMPARE(worker.Digest(path, st, status, text, {}), want);
        QCOMPARE(status, 0);
    }
};

CHEQORA_TEST_MAIN(TestDigestWorker)
#include "tst_digestworker.moc"
