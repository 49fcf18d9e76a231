#include "formfixture.h"
#include "frmpopup.h"
#include "qtuiservices.h"
#include "testmain.h"

#include <QDir>

using namespace cheqora;
using namespace cheqora::test;

namespace {

const QString kText50 = QStringLiteral("Saved.");
const QString kText51 = QStringLiteral("Not saved:");

// The fixture's catalogue with the save texts.
void addSaveTexts(frmMain &form)
{
    writeFile(form.strProgramFolder + QStringLiteral("/chqr.dat"),
              testCatalogue() + "50=" + kText50.toUtf8() + "\n51=" + kText51.toUtf8() + '\n');
}

QString stateFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vantorel/chqr.usr");
}

// What the pop-up showed when it came up; it is closed by a click as soon as it is up.
struct PopUpSeen {
    bool shown = false;
    QString text;
    QPoint position;
};

void closePopUpWhenShown(PopUpSeen &seen)
{
    QTimer::singleShot(0, [&seen] {
        frmPopUp *popUp = frmPopUp::existingInstance();
        if (!popUp || !popUp->isVisible())
            return;
        seen.shown = true;
        seen.text = popUp->lblMessage->text();
        seen.position = popUp->pos();
        popUp->lblMessage_MouseUp();
    });
}

} // namespace

// Save state and its restore at the next start, through the window's controls.
class TestStateWindow : public QObject {
    Q_OBJECT

    FormFixture f;

private slots:
    void init() { QFile::remove(stateFile()); }

    void cleanup()
    {
        f.stop();
        frmPopUp::unloadInstance();
        QFile::remove(stateFile());
    }

    void saveThenRestartRestoresEveryField()
    {
        QTemporaryDir data;
        const QString file1 = data.filePath(QStringLiteral("one.bin"));
        const QString file2 = data.filePath(QStringLiteral("two.bin"));
        const QString report = data.filePath(QStringLiteral("report.txt"));
        const QString oldFolder = data.filePath(QStringLiteral("old"));
        const QString newFolder = data.filePath(QStringLiteral("new"));
        QVERIFY(writeFile(file1, "abc") && writeFile(file2, "abd") && writeFile(report, "report"));
        QVERIFY(QDir().mkpath(oldFolder + QStringLiteral("/sub")) && QDir().mkpath(newFolder));

        QVERIFY(f.start(addSaveTexts));
        QCOMPARE(f.form->strStateFile, stateFile());
        f.form->move(300, 200);
        f.box("txbFile", 0)->setText(file1);
        f.box("txbFile", 1)->setText(file2);
        f.box("txbFile", 3)->setText(report);
        f.box("txbFolder", 0)->setText(oldFolder);
        f.box("txbFolder", 1)->setText(newFolder);
        f.check("chkIncludeSubfolders", 1)->setChecked(true);
        f.box("txbExtension", 1)->setText(QStringLiteral("txt"));
        f.check("chkDoOnlyExtension", 1)->setChecked(true);
        f.box("txbSkipSizeInMB", 1)->setText(QStringLiteral("5"));
        f.check("chkSkipFiles", 1)->setChecked(true);
        f.check("chkWarnOnOverwrite", 1)->setChecked(false);
        f.box("txbSuspendIfNumLines")->setText(QStringLiteral("250"));
        f.form->Timer1_Timer(); // validates the skip size as the window does each second
        QCOMPARE(f.form->intSkipSizeMB[1], qint16(5));

        PopUpSeen seen;
        closePopUpWhenShown(seen);
        QTest::mouseClick(f.button("cmdSave"), Qt::LeftButton);
        QVERIFY(f.fake->boxes.isEmpty());
        QVERIFY(seen.shown);
        QCOMPARE(seen.text, kText50);
        // Over the Save button: the window's corner plus the button's place, 330 twips lower.
        const QPoint button = f.button("cmdSave")->mapTo(f.form.get(), QPoint(0, 0));
        QCOMPARE(seen.position.x(), platform::twipsToPixels(platform::pixelsToTwips(300 + button.x())));
        QCOMPARE(seen.position.y(), platform::twipsToPixels(platform::pixelsToTwips(200 + button.y()) + 330));
        QVERIFY(QFile::exists(stateFile()));

        // A new run of the program: defaults first, then the saved state.
        FormFixture g;
        QVERIFY(g.start());
        QCOMPARE(g.box("txbFile", 0)->text(), file1);
        QCOMPARE(g.box("txbFile", 1)->text(), file2);
        QCOMPARE(g.box("txbFile", 3)->text(), report);
        QCOMPARE(g.box("txbFolder", 0)->text(), oldFolder);
        QCOMPARE(g.box("txbFolder", 1)->text(), newFolder);
        QVERIFY(g.check("chkIncludeSubfolders", 1)->isChecked());
        QVERIFY(g.check("chkDoOnlyExtension", 1)->isChecked());
        QCOMPARE(g.box("txbExtension", 1)->text(), QStringLiteral("txt"));
        QVERIFY(g.check("chkSkipFiles", 1)->isChecked());
        QCOMPARE(g.box("txbSkipSizeInMB", 1)->text(), QStringLiteral("5"));
        QCOMPARE(g.form->intSkipSizeMB[1], qint16(5));
        QVERIFY(!g.check("chkWarnOnOverwrite", 1)->isChecked());
        QVERIFY(g.check("chkSuspendIfNumLines")->isChecked());
        QCOMPARE(g.box("txbSuspendIfNumLines")->text(), QStringLiteral("250"));
        // The restored files are shown with their digests.
        QCOMPARE(g.label("lblDigitalSignature", 0)->text(), QStringLiteral("900150983CD24FB0D6963F7D28E17F72"));
        QCOMPARE(g.label("lblFileComparisonResult")->text(), kText56);
    }

    void saveErrorsAreReported_data()
    {
        QTest::addColumn<bool>("unwritable");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("detail");
        QTest::newRow("unwritable folder") << true << QStringLiteral("txt") << QStringLiteral("Path not found");
        QTest::newRow("double quote") << false << QStringLiteral("t\"xt") << QStringLiteral("file extension");
    }

    void saveErrorsAreReported()
    {
        QFETCH(bool, unwritable);
        QFETCH(QString, extension);
        QFETCH(QString, detail);
        QVERIFY(f.start(addSaveTexts));
        if (unwritable) {
            // The configuration folder is a file: the state's folder cannot be made there.
            const QString blocker = f.path(QStringLiteral("config"));
            QVERIFY(writeFile(blocker, "x"));
            f.form->strStateFile = blocker + QStringLiteral("/Vantorel/chqr.usr");
        }
        f.box("txbFolder", 0)->setText(QStringLiteral("/kept"));
        f.box("txbExtension", 1)->setText(extension);
        QTest::mouseClick(f.button("cmdSave"), Qt::LeftButton);
        QVERIFY(!frmPopUp::existingInstance());
        QCOMPARE(f.fake->boxes.size(), 1);
        const FakeUiServices::Box &box = f.fake->boxes.at(0);
        QVERIFY2(box.text.startsWith(kText51 + u' ') && box.text.contains(detail), qPrintable(box.text));
        QCOMPARE(box.title, QStringLiteral("Save state"));
        QCOMPARE(box.icon, platform::MsgIcon::Exclamation);
        QCOMPARE(f.box("txbFolder", 0)->text(), QStringLiteral("/kept"));
        QVERIFY(!QFile::exists(stateFile()));
    }
};

CHEQORA_TEST_GUI_MAIN(TestStateWindow)
#include "tst_statewindow.moc"
