#include "formfixture.h"

using namespace cheqora;
using namespace cheqora::test;

// The file dialog and the folder browser, answered by the scripted desktop.
class TestPickers : public QObject {
    Q_OBJECT

    FormFixture f;

    QString shown() const
    {
        return f.box("txbFile", 0)->text() + u'|' + f.box("txbFile", 1)->text() + u'|' + f.box("txbFile", 3)->text()
            + u'|' + f.label("lblDigitalSignature", 1)->text() + u'|' + f.label("lblFileComparisonResult")->text() + u'|'
            + f.label("lblInfo")->text();
    }

private slots:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    // A cancelled dialog changes nothing but the focus; the report's dialog empties the status line.
    void fileDialogsCancelled()
    {
        for (int i : {0, 1, 3})
            f.box("txbFile", i)->setText(QStringLiteral("/kept"));
        f.label("lblDigitalSignature", 1)->setText(QStringLiteral("D"));
        f.label("lblFileComparisonResult")->setText(QStringLiteral("R"));
        f.label("lblInfo")->setText(QStringLiteral("Comparison was stopped."));
        for (int i : {0, 1, 3}) {
            f.button("cmdQuit")->setFocus();
            QTest::mouseClick(f.button("cmdGetFileLocation", i), Qt::LeftButton);
            QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 0));
            QCOMPARE(shown(), QStringLiteral("/kept|/kept|/kept|D|R|") + QLatin1String(i == 3 ? "" : "Comparison was stopped."));
        }
        QStringList asked;
        for (const platform::FileDialogRequest &request : f.fake->fileRequests)
            asked << request.title + u'|' + request.filter + u'|' + QString::number(request.flags) + request.fileName;
        QCOMPARE(asked.join(u'\n'), QStringLiteral("Specify first file||2052\nSpecify second file||2052\n"
                                                   "Specify file to write report to| files (*.txt) | *.txt|2052"));
    }

    void choosingAFileShowsAndComparesIt()
    {
        const QString first = f.path(QStringLiteral("a"));
        const QString second = f.path(QStringLiteral("b"));
        QVERIFY(writeBytes(first, "abc") && writeBytes(second, "abd"));
        f.box("txbFile", 0)->setText(first);
        f.form->ShowFileDS(0);
        f.fake->fileAnswers.enqueue(second);
        QTest::mouseClick(f.button("cmdGetFileLocation", 1), Qt::LeftButton);
        QCOMPARE(shown(), first + u'|' + second + QStringLiteral("||4911E516E5AA21D327512E0C8B197616|") + kText56 + u'|');
        QVERIFY(f.label("lblSizeDateTime", 1)->text().startsWith(QStringLiteral("3 bytes  ")));
    }

    // The old folder chosen, the new one cancelled; both empty the status line.
    void choosingFolders()
    {
        f.box("txbFolder", 1)->setText(QStringLiteral("/kept"));
        f.fake->folderAnswers << f.dir->path() << QString();
        for (int i : {0, 1}) {
            f.label("lblInfo")->setText(QStringLiteral("old status"));
            QTest::mouseClick(f.button("cmdFolder", i), Qt::LeftButton);
            QCOMPARE(f.label("lblInfo")->text(), QString());
        }
        QCOMPARE(f.fake->folderTitles, QStringList({QStringLiteral("Select 1st folder"), QStringLiteral("Select 2nd folder")}));
        QCOMPARE(f.box("txbFolder", 0)->text() + u'|' + f.box("txbFolder", 1)->text(), f.dir->path() + QStringLiteral("|/kept"));
    }
};

CHEQORA_TEST_GUI_MAIN(TestPickers)
#include "tst_pickers.moc"
