#include "formfixture.h"
#include "qtuiservices.h"
#include "testmain.h"

#include <QGroupBox>
#include <QLayout>

using namespace cheqora;
using namespace cheqora::test;

// The main window's controls as the other modules find them, its layout, and the busy switch.
class TestControls : public QObject {
    Q_OBJECT

    FormFixture f;

    static void settleLayouts() { QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest); }

    static QList<QWidget *> visibleChildren(QWidget *parent)
    {
        QList<QWidget *> out;
        for (QWidget *w : parent->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            if (w->isVisibleTo(parent) && !w->isWindow())
                out << w;
        }
        return out;
    }

    // No two controls of one container overlap, every control lies inside its container, and no
    // button, check box or label is narrower or lower than its caption needs.
    static void checkLayout(QWidget *container)
    {
        const QList<QWidget *> children = visibleChildren(container);
        for (qsizetype i = 0; i < children.size(); ++i) {
            QWidget *a = children.at(i);
            QVERIFY2(container->rect().contains(a->geometry()),
                     qPrintable(a->objectName() + QStringLiteral(" outside ") + container->objectName()));
            for (qsizetype j = i + 1; j < children.size(); ++j) {
                QWidget *b = children.at(j);
                QVERIFY2(!a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + QStringLiteral(" overlaps ") + b->objectName()));
            }
            const bool captioned = qobject_cast<QAbstractButton *>(a) || qobject_cast<QLabel *>(a);
            if (captioned && !a->objectName().startsWith(QStringLiteral("lbl"))) {
                QVERIFY2(a->width() >= a->minimumSizeHint().width() && a->height() >= a->minimumSizeHint().height(),
                         qPrintable(a->objectName() + QStringLiteral(" is cut")));
            }
            checkLayout(a);
        }
    }

private slots:
    void cleanup() { f.stop(); }

    void controlsCarryTheirNamesAndCaptions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        const auto row = [](const char *name, int index, const char *kind, const QString &caption) {
            QTest::addRow("%s(%d)", name, index) << QString::fromLatin1(name) << index << QString::fromLatin1(kind)
                                                 << caption;
        };
        row("Frame2", -1, "QGroupBox",
            QStringLiteral("Get the digital signature of a file OR compare digital signatures of two files "));
        row("Frame5", -1, "QGroupBox", QStringLiteral("OR compare files in two folders "));
        row("Frame4", 1, "QFrame", QString());
        row("cmdGetFileLocation", 0, "QPushButton", QStringLiteral("1st file"));
        row("cmdGetFileLocation", 1, "QPushButton", QStringLiteral("2nd file"));
        row("cmdGetFileLocation", 3, "QPushButton", QStringLiteral("Report file"));
        for (int i : {0, 1, 3}) {
            row("txbFile", i, "QLineEdit", QStringLiteral("Text1"));
            row("cmdClear", i, "QPushButton", QStringLiteral("Clear"));
        }
        for (int i : {0, 1}) {
            row("cmdCopy", i, "QPushButton", QStringLiteral("Copy"));
            row("lblDigitalSignature", i, "QLabel", QString());
            row("lblSizeDateTime", i, "QLabel", QString());
            row("txbFolder", i, "QLineEdit", QStringLiteral("Text1"));
        }
        row("cmdFolder", 0, "QPushButton", QStringLiteral("Old folder"));
        row("cmdFolder", 1, "QPushButton", QStringLiteral("New folder"));
        row("cmdCompareFolders", 0, "QPushButton",
            QStringLiteral("List files added, removed or common to both folders but are modified"));
        row("cmdCompareFolders", 2, "QPushButton", QStringLiteral("List files common to both folders which are not modified"));
        row("cmdView", 1, "QPushButton", QStringLiteral("View"));
        row("cmdDelete", 1, "QPushButton", QStringLiteral("Delete"));
        row("txbExtension", 1, "QLineEdit", QStringLiteral("Text2"));
        row("chkDoOnlyExtension", 1, "QCheckBox", QStringLiteral("Do only files with extension"));
        row("chkIncludeSubfolders", 1, "QCheckBox", QStringLiteral("Include files in subfolders recursively"));
        row("chkWarnOnOverwrite", 1, "QCheckBox", QStringLiteral("Warn on overwrite of report file"));
        row("txbSkipSizeInMB", 1, "QLineEdit", QStringLiteral("1000"));
        row("chkSkipFiles", 1, "QCheckBox", QStringLiteral("Skip files larger than "));
        row("Label2", 1, "QLabel", QStringLiteral("MB"));
        row("chkSuspendIfNumLines", -1, "QCheckBox",
            QStringLiteral("Stop if the number of lines in the report file exceeds"));
        row("txbSuspendIfNumLines", -1, "QLineEdit", QStringLiteral("Text2"));
        row("lblNumLinesInReport", -1, "QLabel", QStringLiteral("Label1"));
        row("lblFileComparisonResult", -1, "QLabel", QStringLiteral("The files are different."));
        row("cmdQuit", -1, "QPushButton", QStringLiteral("Quit"));
        row("cmdReset", -1, "QPushButton", QStringLiteral("Reset"));
        row("cmdHelp", -1, "QPushButton", QStringLiteral("Help"));
        row("cmdSave", -1, "QPushButton", QStringLiteral("Save state"));
        row("cmdStop", -1, "QPushButton", QStringLiteral("Stop"));
        row("lblVantorel", -1, "QLabel", QStringLiteral("Vantorel"));
        row("lblOnlineDocumentation", -1, "QLabel", QStringLiteral("Online user manual"));
        row("lblInfo", -1, "QLabel", QStringLiteral("Now comparing new folder to old folder"));
    }

    void controlsCarryTheirNamesAndCaptions()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        frmMain form; // as designed, before start-up fills it
        QWidget *w = form.Control<QWidget>(name.toLatin1().constData(), index);
        QVERIFY(w);
        QCOMPARE(QString::fromLatin1(w->metaObject()->className()), kind);
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            QCOMPARE(button->text(), caption);
        else if (auto *box = qobject_cast<QLineEdit *>(w))
            QCOMPARE(box->text(), caption);
        else if (auto *label = qobject_cast<QLabel *>(w))
            QCOMPARE(label->text(), caption);
        else if (auto *group = qobject_cast<QGroupBox *>(w))
            QCOMPARE(group->title(), caption);
    }

    void indexesThatDoNotExist()
    {
        frmMain form;
        QVERIFY(!form.Control<QWidget>("cmdCompareFolders", 1));
        for (const char *name : {"txbFile", "cmdGetFileLocation", "cmdClear"})
            QVERIFY2(!form.Control<QWidget>(name, 2), name);
        QVERIFY(!form.Control<QWidget>("cmdCopy", 3));
        QVERIFY(form.Control<QTimer>("Timer1"));
        QCOMPARE(form.Control<QLineEdit>("txbSkipSizeInMB", 1)->maxLength(), 5);
        QCOMPARE(form.Control<QLabel>("lblFileComparisonResult")->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    }

    void fonts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("family");
        QTest::addColumn<qreal>("points");
        QTest::addColumn<bool>("bold");
        const auto row = [](const char *name, int index, const char *family, qreal points, bool bold) {
            QTest::addRow("%s(%d)", name, index) << QString::fromLatin1(name) << index << QString::fromLatin1(family)
                                                 << points << bold;
        };
        for (int i : {0, 1}) {
            row("lblDigitalSignature", i, "Courier New", 8.25, false);
            row("lblSizeDateTime", i, "Courier New", 8.25, false);
            row("txbFile", i, "Tahoma", 9.75, false);
            row("cmdGetFileLocation", i, "Tahoma", 9.75, false);
        }
        row("lblInfo", -1, "Courier New", 8.25, false);
        row("lblFileComparisonResult", -1, "Tahoma", 9.75, false);
        row("txbSuspendIfNumLines", -1, "Arial", 8.25, false);
        row("lblNumLinesInReport", -1, "Arial", 8.25, false);
        row("lblURL", -1, "Arial", 8.25, false);
        row("lblVantorel", -1, "Arial", 8.25, false);
        row("lblCopyrightNotice", -1, "Arial", 8.25, false);
        row("cmdStop", -1, "Tahoma", 9.75, true);
        row("cmdQuit", -1, "Tahoma", 9.75, false);
        row("chkSkipFiles", 1, "Tahoma", 9.75, false);
    }

    void fonts()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(QString, family);
        QFETCH(qreal, points);
        QFETCH(bool, bold);
        frmMain form;
        QWidget *w = form.Control<QWidget>(name.toLatin1().constData(), index);
        QVERIFY(w);
        QCOMPARE(w->font().family(), family);
        QCOMPARE(w->font().pointSizeF(), points);
        QCOMPARE(w->font().bold(), bold);
    }

    void threeColouredFrames()
    {
        frmMain form;
        const QColor window = form.palette().color(QPalette::Window);
        for (const char *name : {"Frame2", "Frame5"}) {
            QWidget *frame = form.Control<QWidget>(name);
            QVERIFY(frame->autoFillBackground());
            QVERIFY(frame->palette().color(QPalette::Window) != window);
        }
        QWidget *options = form.Control<QWidget>("Frame4", 1);
        QVERIFY(options->autoFillBackground());
        QVERIFY(options->palette().color(QPalette::Window) != window);
        QVERIFY(form.Control<QWidget>("Frame2")->palette().color(QPalette::Window)
                != form.Control<QWidget>("Frame5")->palette().color(QPalette::Window));
        QVERIFY(options->isAncestorOf(form.Control<QWidget>("chkSkipFiles", 1)));
    }

    void layoutHasNoOverlapsOrCutCaptions()
    {
        QVERIFY(f.start());
        f.form->SetBusy(true); // Stop and lblInfo take their places too
        settleLayouts();
        checkLayout(f.form.get());
        f.form->resize(f.form->minimumSizeHint());
        settleLayouts();
        checkLayout(f.form.get());
    }

    void widerWindowWidensThePathBoxes()
    {
        QVERIFY(f.start());
        settleLayouts();
        const int before = f.box("txbFolder", 0)->width();
        const int beforeFile = f.box("txbFile", 0)->width();
        f.form->resize(f.form->width() + 200, f.form->height() + 100);
        settleLayouts();
        QVERIFY(f.box("txbFolder", 0)->width() > before);
        QVERIFY(f.box("txbFile", 0)->width() > beforeFile);
        QVERIFY(beforeFile >= platform::twipsToPixels(5255));
    }

    // ---- Busy switch ----

    void busyLeavesOnlyStopAndQuit()
    {
        QVERIFY(f.start());
        f.timer()->start();
        f.form->SetBusy(true);
        settleLayouts();
        for (QAbstractButton *b : f.form->findChildren<QAbstractButton *>()) {
            const bool usable = b->objectName() == QStringLiteral("cmdStop") || b->objectName() == QStringLiteral("cmdQuit");
            QVERIFY2(b->isEnabled() == usable, qPrintable(b->objectName()));
        }
        for (QLabel *label : f.form->findChildren<QLabel *>())
            QVERIFY2(!label->isEnabled(), qPrintable(label->objectName()));
        for (QLineEdit *box : f.form->findChildren<QLineEdit *>())
            QVERIFY2(box->isEnabled(), qPrintable(box->objectName()));
        for (const char *frame : {"Frame2", "Frame5"})
            QVERIFY(f.form->Control<QWidget>(frame)->isEnabled());
        QVERIFY(f.form->Control<QWidget>("Frame4", 1)->isEnabled());
        QVERIFY(f.button("cmdStop")->isVisible());
        QVERIFY(f.label("lblInfo")->isVisible());
        QVERIFY(!f.timer()->isActive());
        // The progress line starts right of the Stop button, which sits at the left edge.
        const QPoint stop = f.button("cmdStop")->mapTo(f.form.get(), QPoint(0, 0));
        const QPoint info = f.label("lblInfo")->mapTo(f.form.get(), QPoint(0, 0));
        QCOMPARE(stop.x(), platform::twipsToPixels(120));
        QCOMPARE(info.x(), stop.x() + f.button("cmdStop")->width() + platform::twipsToPixels(100));
        QCOMPARE(info.y(), stop.y());
    }

    void idleEnablesEverythingAgain()
    {
        QVERIFY(f.start());
        f.form->SetBusy(true);
        f.form->SetBusy(false);
        settleLayouts();
        for (QAbstractButton *b : f.form->findChildren<QAbstractButton *>())
            QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
        for (QLabel *label : f.form->findChildren<QLabel *>())
            QVERIFY2(label->isEnabled(), qPrintable(label->objectName()));
        QVERIFY(!f.button("cmdStop")->isVisible());
        QVERIFY(f.label("lblInfo")->isVisible());
        QVERIFY(f.timer()->isActive());
        QCOMPARE(f.label("lblInfo")->mapTo(f.form.get(), QPoint(0, 0)).x(), platform::twipsToPixels(120));
        // The next tick hides the empty status line again.
        f.form->Timer1_Timer();
        QVERIFY(!f.label("lblInfo")->isVisible());
    }

    void busySwitchLeavesOtherWindowsAlone()
    {
        QVERIFY(f.start());
        auto *viewer = new QWidget(f.form.get(), Qt::Window);
        auto *button = new QPushButton(QStringLiteral("Close"), viewer);
        auto *label = new QLabel(QStringLiteral("text"), viewer);
        viewer->show();
        f.form->SetBusy(true);
        QVERIFY(button->isEnabled());
        QVERIFY(label->isEnabled());
    }

    void setControlsEnabledGroups()
    {
        QVERIFY(f.start());
        SetControlsEnabled(*f.form, false, true, true, false, false);
        QVERIFY(!f.form->Control<QWidget>("Frame4", 1)->isEnabled());
        QVERIFY(!f.form->Control<QWidget>("Frame2")->isEnabled());
        QVERIFY(!f.box("txbFolder", 0)->isEnabled());
        QVERIFY(f.label("lblURL")->isEnabled());
        SetControlsEnabled(*f.form, true, true, true, false, false);
        QVERIFY(f.box("txbFolder", 0)->isEnabled());
        QVERIFY(f.form->Control<QWidget>("Frame2")->isEnabled());
    }

    void focusFirstFileOnlyWhenVisible()
    {
        FakeUiServices fake;
        frmMain form;
        form.FocusFirstFile();
        QCOMPARE(form.focusWidget(), nullptr);
        QVERIFY(f.start());
        f.button("cmdQuit")->setFocus();
        f.form->FocusFirstFile();
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 0));
    }
};

CHEQORA_TEST_GUI_MAIN(TestControls)
#include "tst_controls.moc"
