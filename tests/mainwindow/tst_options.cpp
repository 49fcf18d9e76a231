#include "formfixture.h"

#include <QFocusEvent>

using namespace cheqora;
using namespace cheqora::test;

// The five options of the folder comparison, their checks, and Reset.
class TestOptions : public QObject {
    Q_OBJECT

    FormFixture f;
    const QString m_badSize = QStringLiteral("Invalid input|Invalid value for skip size.|3|0");
    const QString m_badLines = QStringLiteral("Invalid input|Invalid value for number of lines.|3|0");
    static constexpr const char *kResetLabels[] = {"lblDigitalSignature_0", "lblSizeDateTime_0", "lblDigitalSignature_1",
                                                   "lblSizeDateTime_1", "lblFileComparisonResult", "lblNumLinesInReport"};

    QCheckBox *skip() const { return f.check("chkSkipFiles", 1); }
    QLineEdit *size() const { return f.box("txbSkipSizeInMB", 1); }

    // The line limit is checked once the focus change is over.
    void leave(QWidget *field, Qt::FocusReason reason)
    {
        QFocusEvent out(QEvent::FocusOut, reason);
        QApplication::sendEvent(field, &out);
        QCOMPARE(f.boxes(), QString());
        QCoreApplication::processEvents();
    }

    // Every value Reset restores, on one line.
    QString values() const
    {
        QString out = f.fields();
        for (const char *name : kResetLabels)
            out += u' ' + QString::fromLatin1(name) + u'=' + f.label(name)->text();
        return out + QStringLiteral(" shown=%1").arg(int(f.label("lblNumLinesInReport")->isVisible()));
    }

private slots:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    // A ticked skip size is checked at the tick, a line limit when its field is left. A refused value
    // is emptied and unticked, with a message once start-up is over; a refused limit keeps the last
    // valid one.
    void valueChecks_data()
    {
        QTest::addColumn<bool>("skipSize");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("value"); // 0: refused
        for (const char *text : {"0", "-5", "12.5", "1e3", "abc", "1 2", "40000", ""})
            QTest::addRow("size '%s'", text) << true << QString::fromLatin1(text) << true << 0;
        QTest::newRow("size abc before start-up") << true << "abc" << false << 0;
        QTest::newRow("size 5") << true << "5" << true << 5;
        QTest::newRow("size largest") << true << "32767" << true << 32767;
        for (const char *text : {"0", "x", "-1", "1.5", "2147483648"})
            QTest::addRow("lines '%s'", text) << false << QString::fromLatin1(text) << true << 0;
        QTest::newRow("lines 0 before start-up") << false << "0" << false << 0;
        QTest::newRow("lines 7") << false << "7" << true << 7;
        QTest::newRow("lines largest") << false << "2147483647" << true << 2147483647;
    }

    void valueChecks()
    {
        QFETCH(bool, skipSize);
        QFETCH(QString, text);
        QFETCH(bool, started);
        QFETCH(int, value);
        QCheckBox *ticked = skipSize ? skip() : f.check("chkSuspendIfNumLines");
        QLineEdit *field = skipSize ? size() : f.box("txbSuspendIfNumLines");
        field->setText(QStringLiteral("1")); // ticking an empty field would untick it at once
        ticked->setChecked(true);
        field->setText(text);
        f.form->blnStartupCompleted = started;
        if (skipSize)
            f.form->Timer1_Timer();
        else
            leave(field, Qt::TabFocusReason);
        QCOMPARE(f.boxes(), value || !started ? QString() : skipSize ? m_badSize : m_badLines);
        QCOMPARE(field->text(), value ? text : QString());
        QCOMPARE(ticked->isChecked(), value != 0);
        QCOMPARE(skipSize ? int(f.form->intSkipSizeMB[1]) : f.form->lngMaxLines, value ? value : skipSize ? 0 : 100);
    }

    // An unticked value is not checked, and switching to another window is not leaving the field.
    void valuesLeftAlone()
    {
        size()->setText(QStringLiteral("abc"));
        f.form->Timer1_Timer();
        f.box("txbSuspendIfNumLines")->setText(QStringLiteral("x"));
        leave(f.box("txbSuspendIfNumLines"), Qt::ActiveWindowFocusReason);
        f.check("chkSuspendIfNumLines")->setChecked(false);
        leave(f.box("txbSuspendIfNumLines"), Qt::TabFocusReason);
        QCOMPARE(f.boxes() + size()->text() + f.box("txbSuspendIfNumLines")->text(), QStringLiteral("abcx"));
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
        QVERIFY(!skip()->isChecked());
        // The next bad value gets its own message.
        size()->setText(QStringLiteral("x"));
        skip()->setChecked(true);
        f.form->Timer1_Timer();
        QCOMPARE(f.boxes(), m_badSize + u'\n' + m_badSize);
    }

    // Ticking either box trims its field and unticks again when nothing is left. Backspace that
    // empties the field unticks at once and quietly; Delete leaves it to the checks.
    void emptyingTheField_data()
    {
        QTest::addColumn<QByteArray>("check");
        QTest::addColumn<QByteArray>("field");
        QTest::newRow("skip size") << QByteArray("chkSkipFiles_1") << QByteArray("txbSkipSizeInMB_1");
        QTest::newRow("line limit") << QByteArray("chkSuspendIfNumLines") << QByteArray("txbSuspendIfNumLines");
    }

    void emptyingTheField()
    {
        QFETCH(QByteArray, check);
        QFETCH(QByteArray, field);
        QCheckBox *box = f.check(check.constData());
        QLineEdit *text = f.box(field.constData());
        const auto state = [&] { return QString::number(box->isChecked()) + u'|' + text->text(); };
        box->setChecked(false);
        text->setText(QStringLiteral("   "));
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(state(), QStringLiteral("0|"));
        text->setText(QStringLiteral(" 50 "));
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(state(), QStringLiteral("1|50"));
        text->end(false);
        QTest::keyClick(text, Qt::Key_Backspace);
        QCOMPARE(state(), QStringLiteral("1|5"));
        QTest::keyClick(text, Qt::Key_Backspace);
        QCOMPARE(state(), QStringLiteral("0|"));
        text->setText(QStringLiteral("5"));
        box->setChecked(true);
        text->home(false);
        QTest::keyClick(text, Qt::Key_Delete);
        QCOMPARE(state(), QStringLiteral("1|"));
        QCOMPARE(f.boxes(), QString());
    }

    // Reset asks first: No keeps every value, Yes restores the ones start-up set.
    void resetAnsweredNoThenYes()
    {
        const QString defaults = values();
        QCOMPARE(defaults, QStringLiteral("txbFile_0= txbFile_1= txbFolder_0= txbFolder_1= txbFile_3= txbExtension_1= "
                                          "txbSkipSizeInMB_1= txbSuspendIfNumLines=100 chkIncludeSubfolders_1=off "
                                          "chkDoOnlyExtension_1=off chkSkipFiles_1=off chkWarnOnOverwrite_1=on "
                                          "chkSuspendIfNumLines=on MB=0 lblDigitalSignature_0= lblSizeDateTime_0= "
                                          "lblDigitalSignature_1= lblSizeDateTime_1= lblFileComparisonResult= "
                                          "lblNumLinesInReport= shown=0"));
        for (QLineEdit *box : f.form->findChildren<QLineEdit *>())
            box->setText(QStringLiteral("7"));
        for (QCheckBox *box : f.form->findChildren<QCheckBox *>())
            box->setChecked(!box->isChecked());
        for (const char *name : kResetLabels)
            f.label(name)->setText(QStringLiteral("x"));
        f.label("lblNumLinesInReport")->setVisible(true);
        f.form->intSkipSizeMB[1] = 7;
        const QString filled = values();
        f.fake->boxAnswers << platform::MsgAnswer::No << platform::MsgAnswer::Yes;
        QTest::mouseClick(f.button("cmdReset"), Qt::LeftButton);
        QCOMPARE(values(), filled);
        f.button("cmdQuit")->setFocus();
        QTest::mouseClick(f.button("cmdReset"), Qt::LeftButton);
        QCOMPARE(values(), defaults);
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 0));
        QCOMPARE(f.boxes(), QStringLiteral("Reset|%1|0|1\nReset|%1|0|1").arg(kText49));
    }
};

CHEQORA_TEST_GUI_MAIN(TestOptions)
#include "tst_options.moc"
