#include "formfixture.h"
#include "qtuiservices.h"

using namespace cheqora;
using namespace cheqora::test;

// Start-up, the once-a-second refresh, the busy switch and the layout.
class TestLifecycle : public QObject {
    Q_OBJECT

    FormFixture f;

    // The names of the enabled controls of a kind.
    template <class T>
    QStringList enabled() const
    {
        QStringList names;
        for (QWidget *w : f.form->findChildren<T *>()) {
            if (w->isEnabled())
                names << w->objectName();
        }
        return names;
    }

    // No two controls of one container overlap, every control lies inside its container, and no
    // button, check box or caption label is smaller than its caption needs.
    static void checkLayout(QWidget *container)
    {
        QList<QWidget *> shown = container->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        shown.removeIf([container](QWidget *w) { return !w->isVisibleTo(container) || w->isWindow(); });
        for (QWidget *a : shown) {
            QVERIFY2(container->rect().contains(a->geometry()), qPrintable(a->objectName() + QStringLiteral(" sticks out")));
            for (QWidget *b : shown) {
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + QStringLiteral(" overlaps ") + b->objectName()));
            }
            const bool captioned = qobject_cast<QAbstractButton *>(a) || a->objectName() == QStringLiteral("Label2_1");
            QVERIFY2(!captioned || a->size().expandedTo(a->minimumSizeHint()) == a->size(),
                     qPrintable(a->objectName() + QStringLiteral(" is cut")));
            checkLayout(a);
        }
    }

private slots:
    void cleanup() { f.stop(); }

    // The message itself is the catalogue loader's; the window must not come up.
    void startWithoutCatalogueFails()
    {
        QTemporaryDir empty;
        QVERIFY(!f.start([&](frmMain &form) { form.strProgramFolder = empty.path(); }));
        QCOMPARE(f.fake->boxes.size(), 1);
        QCOMPARE(f.fake->boxes.first().icon, platform::MsgIcon::Critical);
        QVERIFY(!f.form->isVisible() && !f.form->blnStartupCompleted && !f.timer()->isActive());
    }

    void startWithShippedCatalogue()
    {
        FakeUiServices fake;
        frmMain form;
        form.strProgramFolder = QStringLiteral(CHEQORA_BIN_DIR);
        QVERIFY(form.Form_Load());
        QVERIFY(fake.boxes.isEmpty() && form.isVisible() && form.blnStartupCompleted);
        QVERIFY(!form.windowIcon().pixmap(32).isNull());
        // The version is the major number, ".", the minor number and the digit 4.
        QCOMPARE(form.windowTitle(),
                 QStringLiteral("Cheqora %1.%2").arg(CHEQORA_VERSION_MAJOR).arg(CHEQORA_VERSION_MINOR) + u'4');
        QVERIFY(ctl<QTimer>(form, "Timer1")->isActive() && ctl<QTimer>(form, "Timer1")->interval() == 1000);
        QVERIFY(!ctl<QPushButton>(form, "cmdStop")->isVisible() && !ctl<QLabel>(form, "lblInfo")->isVisible());
        QCOMPARE(form.focusWidget(), ctl<QPushButton>(form, "cmdGetFileLocation", 0));
    }

    // Paths and the extension are trimmed, a row without path is emptied, an empty extension
    // unticks its box, Copy of the second row follows its digest (the first row's is left alone),
    // View, Delete and Clear follow their boxes, and the status line shows only with something to say.
    void tickRules()
    {
        QVERIFY(f.start());
        const auto enabledButtons = [this] {
            QStringList names =
                QStringLiteral("cmdCopy_0 cmdCopy_1 cmdView_1 cmdDelete_1 cmdClear_0 cmdClear_1 cmdClear_3").split(u' ');
            names.removeIf([this](const QString &name) { return !f.button(qPrintable(name))->isEnabled(); });
            return names.join(u' ');
        };
        f.box("txbFile", 0)->setText(QStringLiteral("  /some/path  "));
        f.box("txbFile", 1)->setText(QStringLiteral("   "));
        for (const char *name : {"lblDigitalSignature_0", "lblSizeDateTime_0", "lblDigitalSignature_1", "lblSizeDateTime_1"})
            f.label(name)->setText(QStringLiteral("x"));
        f.button("cmdCopy", 0)->setEnabled(false);
        f.box("txbExtension", 1)->setText(QStringLiteral(" txt "));
        f.check("chkDoOnlyExtension", 1)->setChecked(true);
        f.label("lblInfo")->setText(QStringLiteral("Comparison was stopped."));
        f.form->Timer1_Timer();
        QCOMPARE(f.row(0) + u' ' + f.row(1) + u' ' + f.box("txbExtension", 1)->text(), QStringLiteral("/some/path|x|x || txt"));
        QVERIFY(f.check("chkDoOnlyExtension", 1)->isChecked() && f.label("lblInfo")->isVisible());
        QCOMPARE(enabledButtons(), QStringLiteral("cmdClear_0"));

        f.box("txbFile", 1)->setText(QStringLiteral("/y"));
        f.label("lblDigitalSignature", 1)->setText(QStringLiteral("D1"));
        f.box("txbFile", 3)->setText(QStringLiteral("/r"));
        f.box("txbExtension", 1)->setText(QStringLiteral("    "));
        f.label("lblInfo")->setText(QString());
        f.form->Timer1_Timer();
        QCOMPARE(f.box("txbExtension", 1)->text(), QString());
        QVERIFY(!f.check("chkDoOnlyExtension", 1)->isChecked() && !f.label("lblInfo")->isVisible());
        QCOMPARE(enabledButtons(), QStringLiteral("cmdCopy_1 cmdView_1 cmdDelete_1 cmdClear_0 cmdClear_1 cmdClear_3"));
    }

    // The box is unticked and disabled only when both folders can be counted and have no subfolder.
    void tickSubfolderRule()
    {
        QVERIFY(f.start());
        for (const char *folder : {"leaf1", "leaf2", "tree/sub"})
            QVERIFY(QDir(f.dir->path()).mkpath(QString::fromLatin1(folder)));
        QCheckBox *sub = f.check("chkIncludeSubfolders", 1);
        QStringList seen;
        for (const auto &[oldFolder, newFolder] : {std::pair("leaf1", "leaf2"), std::pair("tree", "leaf2"),
                                                   std::pair("leaf1", "tree"), std::pair("leaf1", "missing"),
                                                   std::pair("", "leaf2"), std::pair("", "")}) {
            f.box("txbFolder", 0)->setText(*oldFolder ? f.path(QString::fromLatin1(oldFolder)) : QString());
            f.box("txbFolder", 1)->setText(*newFolder ? f.path(QString::fromLatin1(newFolder)) : QString());
            sub->setChecked(true);
            sub->setEnabled(false);
            f.form->Timer1_Timer();
            seen << QString::number(sub->isChecked()) + QString::number(sub->isEnabled());
        }
        // Ticked and enabled: 11; unticked and disabled: 00.
        QCOMPARE(seen.join(u' '), QStringLiteral("00 11 11 11 11 11"));
    }

    void setBusyBothWaysAndLayout()
    {
        QVERIFY(f.start());
        // A window of its own, such as the report viewer, is not the main window's to switch.
        (new QPushButton(new QWidget(f.form.get(), Qt::Window)))->setObjectName(QStringLiteral("viewerButton"));
        QLabel *info = f.label("lblInfo");
        QPushButton *stop = f.button("cmdStop");
        f.timer()->start();
        f.form->SetBusy(true);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(enabled<QAbstractButton>(),
                 QStringList({QStringLiteral("cmdStop"), QStringLiteral("cmdQuit"), QStringLiteral("viewerButton")}));
        QCOMPARE(enabled<QLabel>(), QStringList());
        // The labels drawn in window colours grey like the others.
        const QColor grey = f.label("Label2", 1)->palette().color(QPalette::Disabled, QPalette::WindowText);
        for (const char *name : {"lblInfo", "lblFileComparisonResult", "lblDigitalSignature_0"})
            QCOMPARE(f.label(name)->palette().color(QPalette::Disabled, QPalette::WindowText), grey);
        // Text boxes stay usable, and so do the frames they sit in.
        QCOMPARE(enabled<QLineEdit>().size(), f.form->findChildren<QLineEdit *>().size());
        QVERIFY(stop->isVisible() && info->isVisible() && !f.timer()->isActive());
        // Nothing overlaps or is cut, Stop and lblInfo included, down to the smallest window; a larger
        // window keeps the frames' height and the commands and links at the bottom.
        const int framesHeight = ctl<QWidget>(*f.form, "Frame2")->height() + ctl<QWidget>(*f.form, "Frame5")->height();
        for (const QSize size : {f.form->size(), f.form->minimumSizeHint(), QSize(1500, 900)}) {
            f.form->resize(size);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            checkLayout(f.form.get());
            QCOMPARE(ctl<QWidget>(*f.form, "Frame2")->height() + ctl<QWidget>(*f.form, "Frame5")->height(), framesHeight);
            QVERIFY(f.form->height() - f.button("cmdQuit")->geometry().bottom() < 3 * f.button("cmdQuit")->height());
        }

        f.form->SetBusy(false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(enabled<QAbstractButton>().size() + enabled<QLabel>().size(),
                 f.form->findChildren<QAbstractButton *>().size() + f.form->findChildren<QLabel *>().size());
        QVERIFY(!stop->isVisible() && info->isVisible() && f.timer()->isActive());
    }
};

CHEQORA_TEST_GUI_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
