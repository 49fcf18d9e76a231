#include "formfixture.h"
#include "testmain.h"

#include <QFocusEvent>

using namespace cheqora;
using namespace cheqora::test;

// The five options of the folder comparison, their checks and Reset.
class TestOptions : public QObject {
    Q_OBJECT

    FormFixture f;

    QCheckBox *skip() const { return f.check("chkSkipFiles", 1); }
    QLineEdit *size() const { return f.box("txbSkipSizeInMB", 1); }
    QCheckBox *limit() const { return f.check("chkSuspendIfNumLines"); }
    QLineEdit *lines() const { return f.box("txbSuspendIfNumLines"); }

    void loseFocus(QWidget *widget, Qt::FocusReason reason)
    {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(widget, &out);
    }

private slots:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    // ---- Skip size ----

    void tickingSkipWithAnEmptySizeUnticksAtOnce()
    {
        size()->setText(QStringLiteral("   "));
        QTest::mouseClick(skip(), Qt::LeftButton);
        QVERIFY(!skip()->isChecked());
        QCOMPARE(size()->text(), QString());
        QVERIFY(f.fake->boxes.isEmpty());

        size()->setText(QStringLiteral(" 10 "));
        QTest::mouseClick(skip(), Qt::LeftButton);
        QVERIFY(skip()->isChecked());
        QCOMPARE(size()->text(), QStringLiteral("10"));
    }

    void skipClickDoesNothingDuringStartup()
    {
        f.form->blnStartupCompleted = false;
        skip()->setChecked(true);
        QVERIFY(skip()->isChecked());
    }

    void sizeFieldTakesFiveCharacters()
    {
        QCOMPARE(size()->maxLength(), 5);
    }

    void invalidSkipSizeIsRefusedAtTheNextTick_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("negative") << QStringLiteral("-5");
        QTest::newRow("decimal") << QStringLiteral("12.5");
        QTest::newRow("exponent") << QStringLiteral("1e3");
        QTest::newRow("letters") << QStringLiteral("abc");
        QTest::newRow("blank inside") << QStringLiteral("1 2");
        QTest::newRow("beyond 16 bits") << QStringLiteral("40000");
    }

    void invalidSkipSizeIsRefusedAtTheNextTick()
    {
        QFETCH(QString, text);
        size()->setText(text);
        skip()->setChecked(true);
        QVERIFY(skip()->isChecked());
        f.form->Timer1_Timer();
        QCOMPARE(f.fake->boxes.size(), 1);
        const FakeUiServices::Box &box = f.fake->boxes.first();
        QCOMPARE(box.text, QStringLiteral("Invalid value for skip size."));
        QCOMPARE(box.title, QStringLiteral("Invalid input"));
        QCOMPARE(box.icon, platform::MsgIcon::Exclamation);
        QCOMPARE(box.buttons, platform::MsgButtons::Ok);
        QCOMPARE(size()->text(), QString());
        QVERIFY(!skip()->isChecked());
        QCOMPARE(f.form->intSkipSizeMB[1], qint16(0));
    }

    void validSkipSizeIsKept_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("megabytes");
        QTest::newRow("small") << QStringLiteral("5") << 5;
        QTest::newRow("leading zeros") << QStringLiteral("0007") << 7;
        QTest::newRow("largest") << QStringLiteral("32767") << 32767;
    }

    void validSkipSizeIsKept()
    {
        QFETCH(QString, text);
        QFETCH(int, megabytes);
        size()->setText(text);
        skip()->setChecked(true);
        f.form->Timer1_Timer();
        QVERIFY(f.fake->boxes.isEmpty());
        QVERIFY(skip()->isChecked());
        QCOMPARE(size()->text(), text);
        QCOMPARE(int(f.form->intSkipSizeMB[1]), megabytes);
    }

    void badSizeBeforeStartupIsDroppedSilently()
    {
        size()->setText(QStringLiteral("abc"));
        skip()->setChecked(true);
        f.form->blnStartupCompleted = false;
        f.form->Timer1_Timer();
        QVERIFY(f.fake->boxes.isEmpty());
        QCOMPARE(size()->text(), QString());
        QVERIFY(!skip()->isChecked());
    }

    void sizeValueIsNotCheckedWhileUnticked()
    {
        size()->setText(QStringLiteral("abc"));
        f.form->Timer1_Timer();
        QVERIFY(f.fake->boxes.isEmpty());
        QCOMPARE(size()->text(), QStringLiteral("abc"));
    }

    // Ticks keep running while the message is on screen; they must not pile up a second one.
    void skipSizeMessageIsNotStacked()
    {
        size()->setText(QStringLiteral("0"));
        skip()->setChecked(true);
        int nested = 0;
        f.fake->onBox = [&](const FakeUiServices::Box &) {
            if (nested++ < 3)
                f.form->Timer1_Timer();
        };
        f.form->Timer1_Timer();
        QCOMPARE(nested, 1);
        QCOMPARE(f.fake->boxes.size(), 1);
        QCOMPARE(size()->text(), QString());
        QVERIFY(!skip()->isChecked());
        // The next bad value gets its own message.
        f.fake->onBox = nullptr;
        size()->setText(QStringLiteral("x"));
        skip()->setChecked(true);
        f.form->Timer1_Timer();
        QCOMPARE(f.fake->boxes.size(), 2);
    }

    void backspaceEmptyingTheSizeUnticksWithoutMessage()
    {
        size()->setText(QStringLiteral("5"));
        skip()->setChecked(true);
        f.form->intSkipSizeMB[1] = 5;
        size()->setFocus();
        size()->end(false);
        QTest::keyClick(size(), Qt::Key_Backspace);
        QCOMPARE(size()->text(), QString());
        QVERIFY(!skip()->isChecked());
        QCOMPARE(f.form->intSkipSizeMB[1], qint16(0));
        f.form->Timer1_Timer();
        QVERIFY(f.fake->boxes.isEmpty());
    }

    void deleteKeyEmptyingTheSizeIsCaughtByTheTick()
    {
        size()->setText(QStringLiteral("5"));
        skip()->setChecked(true);
        size()->home(false);
        QTest::keyClick(size(), Qt::Key_Delete);
        QCOMPARE(size()->text(), QString());
        QVERIFY(skip()->isChecked());
        f.form->Timer1_Timer();
        QCOMPARE(f.fake->boxes.size(), 1);
        QCOMPARE(f.fake->boxes.first().text, QStringLiteral("Invalid value for skip size."));
        QVERIFY(!skip()->isChecked());
    }

    void backspaceLeavingTextKeepsTheTick()
    {
        size()->setText(QStringLiteral("50"));
        skip()->setChecked(true);
        size()->end(false);
        QTest::keyClick(size(), Qt::Key_Backspace);
        QCOMPARE(size()->text(), QStringLiteral("5"));
        QVERIFY(skip()->isChecked());
    }

    // ---- Line limit ----

    void invalidLineLimitIsRefusedWhenTheFieldIsLeft_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("letter") << QStringLiteral("x");
        QTest::newRow("negative") << QStringLiteral("-1");
        QTest::newRow("decimal") << QStringLiteral("1.5");
        QTest::newRow("beyond 32 bits") << QStringLiteral("2147483648");
    }

    void invalidLineLimitIsRefusedWhenTheFieldIsLeft()
    {
        QFETCH(QString, text);
        lines()->setText(text);
        QVERIFY(limit()->isChecked());
        loseFocus(lines(), Qt::TabFocusReason);
        QCOMPARE(f.fake->boxes.size(), 1);
        const FakeUiServices::Box &box = f.fake->boxes.first();
        QCOMPARE(box.text, QStringLiteral("Invalid value for number of lines."));
        QCOMPARE(box.title, QStringLiteral("Invalid input"));
        QCOMPARE(box.icon, platform::MsgIcon::Exclamation);
        QCOMPARE(lines()->text(), QString());
        QVERIFY(!limit()->isChecked());
    }

    void validLineLimitIsKept_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxLines");
        QTest::newRow("seven") << QStringLiteral("7") << 7;
        QTest::newRow("blanks around") << QStringLiteral(" 12 ") << 12;
        QTest::newRow("largest") << QStringLiteral("2147483647") << 2147483647;
    }

    void validLineLimitIsKept()
    {
        QFETCH(QString, text);
        QFETCH(int, maxLines);
        lines()->setText(text);
        loseFocus(lines(), Qt::MouseFocusReason);
        QVERIFY(f.fake->boxes.isEmpty());
        QVERIFY(limit()->isChecked());
        QCOMPARE(f.form->lngMaxLines, maxLines);
    }

    void lineLimitIsNotCheckedWhileUnticked()
    {
        limit()->setChecked(false);
        lines()->setText(QStringLiteral("x"));
        loseFocus(lines(), Qt::TabFocusReason);
        QVERIFY(f.fake->boxes.isEmpty());
        QCOMPARE(lines()->text(), QStringLiteral("x"));
    }

    // Switching to another window is not leaving the field.
    void switchingWindowsDoesNotCheckTheLineLimit()
    {
        lines()->setText(QStringLiteral("x"));
        loseFocus(lines(), Qt::ActiveWindowFocusReason);
        QVERIFY(f.fake->boxes.isEmpty());
        QCOMPARE(lines()->text(), QStringLiteral("x"));
    }

    void badLineLimitBeforeStartupIsDroppedSilently()
    {
        f.form->blnStartupCompleted = false;
        lines()->setText(QStringLiteral("0"));
        f.form->txbSuspendIfNumLines_LostFocus();
        QVERIFY(f.fake->boxes.isEmpty());
        QCOMPARE(lines()->text(), QString());
        QVERIFY(!limit()->isChecked());
    }

    void tickingTheLimitWithAnEmptyFieldUnticks()
    {
        limit()->setChecked(false);
        lines()->setText(QStringLiteral("  "));
        QTest::mouseClick(limit(), Qt::LeftButton);
        QVERIFY(!limit()->isChecked());
        QCOMPARE(lines()->text(), QString());
        lines()->setText(QStringLiteral("20 "));
        QTest::mouseClick(limit(), Qt::LeftButton);
        QVERIFY(limit()->isChecked());
        QCOMPARE(lines()->text(), QStringLiteral("20"));
    }

    void backspaceEmptyingTheLimitUnticks()
    {
        lines()->setText(QStringLiteral("1"));
        lines()->end(false);
        QTest::keyClick(lines(), Qt::Key_Backspace);
        QVERIFY(!limit()->isChecked());
        QVERIFY(f.fake->boxes.isEmpty());
    }

    // ---- Warn on overwrite ----

    void warnOnOverwriteMovesTheFocusOnly()
    {
        QCheckBox *warn = f.check("chkWarnOnOverwrite", 1);
        QTest::mouseClick(warn, Qt::LeftButton);
        QVERIFY(!warn->isChecked());
        QCOMPARE(f.form->focusWidget(), f.button("cmdCompareFolders", 0));
    }

    // ---- Reset ----

    void fillEverything(const QString &file)
    {
        f.box("txbFile", 0)->setText(file);
        f.form->ShowFileDS(0);
        f.box("txbFile", 1)->setText(file);
        f.form->ShowFileDS(1);
        f.form->CompareFileDS();
        f.box("txbFile", 3)->setText(QStringLiteral("/tmp/report.txt"));
        f.box("txbFolder", 0)->setText(QStringLiteral("/old"));
        f.box("txbFolder", 1)->setText(QStringLiteral("/new"));
        f.box("txbExtension", 1)->setText(QStringLiteral("txt"));
        f.check("chkDoOnlyExtension", 1)->setChecked(true);
        f.check("chkIncludeSubfolders", 1)->setChecked(true);
        size()->setText(QStringLiteral("12"));
        skip()->setChecked(true);
        f.form->intSkipSizeMB[1] = 12;
        f.check("chkWarnOnOverwrite", 1)->setChecked(false);
        lines()->setText(QStringLiteral("7"));
        f.label("lblNumLinesInReport")->setText(QStringLiteral("42"));
        f.label("lblNumLinesInReport")->setVisible(true);
    }

    QStringList snapshot() const
    {
        QStringList out;
        for (QLineEdit *box : f.form->findChildren<QLineEdit *>())
            out << box->objectName() + u'=' + box->text();
        for (QCheckBox *box : f.form->findChildren<QCheckBox *>())
            out << box->objectName() + u'=' + QString::number(box->isChecked());
        for (QLabel *label : f.form->findChildren<QLabel *>())
            out << label->objectName() + u'=' + label->text() + QString::number(label->isVisible());
        out << QString::number(f.form->intSkipSizeMB[1]);
        return out;
    }

    void resetAnsweredNoChangesNothing()
    {
        const QString file = f.path(QStringLiteral("a.txt"));
        QVERIFY(writeFile(file, "abc"));
        fillEverything(file);
        const QStringList before = snapshot();
        f.fake->boxAnswers.enqueue(platform::MsgAnswer::No);
        QTest::mouseClick(f.button("cmdReset"), Qt::LeftButton);
        QCOMPARE(f.fake->boxes.size(), 1);
        QCOMPARE(f.fake->boxes.first().text, kText49);
        QCOMPARE(f.fake->boxes.first().title, QStringLiteral("Reset"));
        QCOMPARE(f.fake->boxes.first().buttons, platform::MsgButtons::YesNo);
        QCOMPARE(snapshot(), before);
    }

    void resetAnsweredYesRestoresEveryDefault()
    {
        const QString file = f.path(QStringLiteral("a.txt"));
        QVERIFY(writeFile(file, "abc"));
        fillEverything(file);
        f.button("cmdQuit")->setFocus();
        f.fake->boxAnswers.enqueue(platform::MsgAnswer::Yes);
        QTest::mouseClick(f.button("cmdReset"), Qt::LeftButton);
        for (QLineEdit *box : f.form->findChildren<QLineEdit *>()) {
            if (box != lines())
                QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName()));
        }
        QCOMPARE(lines()->text(), QStringLiteral("100"));
        QVERIFY(limit()->isChecked());
        QVERIFY(f.check("chkWarnOnOverwrite", 1)->isChecked());
        QVERIFY(!skip()->isChecked());
        QVERIFY(!f.check("chkDoOnlyExtension", 1)->isChecked());
        QVERIFY(!f.check("chkIncludeSubfolders", 1)->isChecked());
        QCOMPARE(f.form->intSkipSizeMB[1], qint16(0));
        for (int i = 0; i <= 1; ++i) {
            QCOMPARE(f.label("lblDigitalSignature", i)->text(), QString());
            QCOMPARE(f.label("lblSizeDateTime", i)->text(), QString());
        }
        QCOMPARE(f.label("lblFileComparisonResult")->text(), QString());
        QVERIFY(!f.label("lblNumLinesInReport")->isVisible());
        QCOMPARE(f.label("lblNumLinesInReport")->text(), QString());
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 0));
    }

    void resetDuringStartupLeavesTheFocus()
    {
        f.button("cmdQuit")->setFocus();
        f.form->blnStartupCompleted = false;
        f.form->ResetOptions();
        QCOMPARE(f.form->focusWidget(), f.button("cmdQuit"));
    }
};

CHEQORA_TEST_GUI_MAIN(TestOptions)
#include "tst_options.moc"
