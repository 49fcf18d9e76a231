#include "formfixture.h"
#include "testmain.h"

using namespace cheqora;
using namespace cheqora::test;

// The file dialog and the folder browser, answered by the scripted desktop.
class TestPickers : public QObject {
    Q_OBJECT

    FormFixture f;

private slots:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    void fileDialogSettings_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("filter");
        QTest::newRow("1st file") << 0 << "Specify first file" << "";
        QTest::newRow("2nd file") << 1 << "Specify second file" << "";
        QTest::newRow("report file") << 3 << "Specify file to write report to" << " files (*.txt) | *.txt";
    }

    void fileDialogSettings()
    {
        QFETCH(int, index);
        QFETCH(QString, title);
        QFETCH(QString, filter);
        QTest::mouseClick(f.button("cmdGetFileLocation", index), Qt::LeftButton);
        QCOMPARE(f.fake->fileRequests.size(), 1);
        const platform::FileDialogRequest &request = f.fake->fileRequests.first();
        QCOMPARE(request.title, title);
        QCOMPARE(request.filter, filter);
        QCOMPARE(request.flags, 2052);
        QCOMPARE(request.fileName, QString());
    }

    void choosingASecondFileShowsAndComparesIt()
    {
        const QString first = f.path(QStringLiteral("a"));
        const QString second = f.path(QStringLiteral("b"));
        QVERIFY(writeFile(first, "abc"));
        QVERIFY(writeFile(second, "abd"));
        f.box("txbFile", 0)->setText(first);
        f.form->ShowFileDS(0);
        f.button("cmdQuit")->setFocus();
        f.fake->fileAnswers.enqueue(second);
        QTest::mouseClick(f.button("cmdGetFileLocation", 1), Qt::LeftButton);
        QCOMPARE(f.box("txbFile", 1)->text(), second);
        QCOMPARE(f.label("lblDigitalSignature", 1)->text().size(), 32);
        QVERIFY(f.label("lblSizeDateTime", 1)->text().startsWith(QStringLiteral("3 bytes  ")));
        QCOMPARE(f.label("lblFileComparisonResult")->text(), kText56);
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 0));
    }

    void choosingTheReportFileFillsOnlyItsBox()
    {
        f.label("lblInfo")->setText(QStringLiteral("No files were changed, added or removed."));
        f.label("lblFileComparisonResult")->setText(QStringLiteral("kept"));
        const QString report = f.path(QStringLiteral("new-report.txt"));
        f.fake->fileAnswers.enqueue(report);
        QString infoWhileOpen = QStringLiteral("(dialog not shown)");
        f.fake->onFileDialog = [&](const platform::FileDialogRequest &) { infoWhileOpen = f.label("lblInfo")->text(); };
        QTest::mouseClick(f.button("cmdGetFileLocation", 3), Qt::LeftButton);
        // The status line is emptied before the dialog opens.
        QCOMPARE(infoWhileOpen, QString());
        QCOMPARE(f.box("txbFile", 3)->text(), report);
        QCOMPARE(f.label("lblFileComparisonResult")->text(), QStringLiteral("kept"));
        QCOMPARE(f.label("lblDigitalSignature", 0)->text(), QString());
        QCOMPARE(f.label("lblDigitalSignature", 1)->text(), QString());
    }

    void cancellingTheReportDialogKeepsTheBox()
    {
        f.box("txbFile", 3)->setText(QStringLiteral("/kept/report.txt"));
        f.label("lblInfo")->setText(QStringLiteral("Comparison was stopped."));
        f.button("cmdQuit")->setFocus();
        QTest::mouseClick(f.button("cmdGetFileLocation", 3), Qt::LeftButton);
        QCOMPARE(f.fake->fileRequests.size(), 1);
        QCOMPARE(f.box("txbFile", 3)->text(), QStringLiteral("/kept/report.txt"));
        QCOMPARE(f.label("lblInfo")->text(), QString());
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 0));
    }

    void cancellingAFileRowChangesNothing()
    {
        f.box("txbFile", 0)->setText(QStringLiteral("/kept"));
        f.label("lblDigitalSignature", 0)->setText(QStringLiteral("D"));
        f.label("lblFileComparisonResult")->setText(QStringLiteral("R"));
        QTest::mouseClick(f.button("cmdGetFileLocation", 0), Qt::LeftButton);
        QCOMPARE(f.box("txbFile", 0)->text(), QStringLiteral("/kept"));
        QCOMPARE(f.label("lblDigitalSignature", 0)->text(), QStringLiteral("D"));
        QCOMPARE(f.label("lblFileComparisonResult")->text(), QStringLiteral("R"));
    }

    void aDialogThatCannotOpenChangesNothing()
    {
        f.fake->fileDialogFails = true;
        f.fake->fileAnswers.enqueue(QStringLiteral("/never/used"));
        f.button("cmdQuit")->setFocus();
        QTest::mouseClick(f.button("cmdGetFileLocation", 1), Qt::LeftButton);
        QCOMPARE(f.box("txbFile", 1)->text(), QString());
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 0));
    }

    void choosingFolders_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("title");
        QTest::newRow("old folder") << 0 << "Select 1st folder";
        QTest::newRow("new folder") << 1 << "Select 2nd folder";
    }

    void choosingFolders()
    {
        QFETCH(int, index);
        QFETCH(QString, title);
        f.label("lblInfo")->setText(QStringLiteral("old status"));
        f.fake->folderAnswers.enqueue(f.dir->path());
        QTest::mouseClick(f.button("cmdFolder", index), Qt::LeftButton);
        QCOMPARE(f.fake->folderTitles, QStringList{title});
        QCOMPARE(f.box("txbFolder", index)->text(), f.dir->path());
        QCOMPARE(f.box("txbFolder", 1 - index)->text(), QString());
        QCOMPARE(f.label("lblInfo")->text(), QString());
    }

    void cancellingTheFolderBrowserKeepsTheBox()
    {
        f.box("txbFolder", 1)->setText(QStringLiteral("/kept"));
        f.label("lblInfo")->setText(QStringLiteral("old status"));
        QTest::mouseClick(f.button("cmdFolder", 1), Qt::LeftButton);
        QCOMPARE(f.fake->folderTitles.size(), 1);
        QCOMPARE(f.box("txbFolder", 1)->text(), QStringLiteral("/kept"));
        QCOMPARE(f.label("lblInfo")->text(), QString());
    }
};

CHEQORA_TEST_GUI_MAIN(TestPickers)
#include "tst_pickers.moc"
