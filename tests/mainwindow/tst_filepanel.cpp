#include "formfixture.h"

#include <QComboBox>
#include <QDropEvent>
#include <QFocusEvent>
#include <QMimeData>

using namespace cheqora;
using namespace cheqora::test;

// The digest panel: its two rows, the result label, the report box's shared handlers, and the file
// dialog and folder browser answered by the scripted desktop. The five options of the folder
// comparison, their checks, and Reset.
class TestFilePanel : public QObject {
    Q_OBJECT

    FormFixture f;
    const QString m_when = QStringLiteral("2021-03-04 05:06:07");
    const QString m_abc = QStringLiteral("900150983CD24FB0D6963F7D28E17F72");

    QString makeFile(const QString &name, const QByteArray &content)
    {
        const QString path = f.path(name);
        if (!writeBytes(path, content) || !setModified(path, utc(2021, 3, 4, 5, 6, 7)))
            qFatal("cannot make %s", qPrintable(path));
        return path;
    }

    QLineEdit *file(int i) const { return f.box("txbFile", i); }
    QLabel *digest(int i) const { return f.label("lblDigitalSignature", i); }
    QLabel *sizeDate(int i) const { return f.label("lblSizeDateTime", i); }
    QLabel *result() const { return f.label("lblFileComparisonResult"); }

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
    void cleanup()
    {
        // The algorithm kept for the next start would outlive this test.
        QFile::remove(f.form->strAlgorithmFile);
        f.stop();
    }

    // A row as ShowFileDS and as Enter show it; Enter also empties a stale size/date and does not
    // compare the rows.
    void showAndEnter_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("entered");
        const QString shownFile = m_abc + QStringLiteral("|3 bytes  ") + m_when;
        QTest::newRow("file") << "a" << shownFile << shownFile;
        QTest::newRow("missing") << "missing" << "File not found|" << "File not found|";
        QTest::newRow("below a file") << "plain/x" << kText34 + QStringLiteral(": Path not found|") << kText34 + QStringLiteral(": Path not found|");
        QTest::newRow("empty file") << "empty" << QStringLiteral("Zero-length file|0 bytes  ") + m_when << "Zero-length file|";
    }

    void showAndEnter()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QFETCH(QString, entered);
        makeFile(QStringLiteral("a"), "abc");
        makeFile(QStringLiteral("plain"), "x");
        makeFile(QStringLiteral("empty"), QByteArray());
        file(1)->setText(f.path(name));
        f.form->ShowFileDS(1);
        QCOMPARE(digest(1)->text() + u'|' + sizeDate(1)->text(), shown);
        digest(0)->setText(QStringLiteral("D"));
        digest(1)->setText(QString());
        sizeDate(1)->setText(QStringLiteral("stale"));
        QTest::keyClick(file(1), Qt::Key_Return);
        QCOMPARE(digest(1)->text() + u'|' + sizeDate(1)->text() + u'|' + result()->text(), entered + u'|');
    }

    // The result compares what the two labels show and waits for both; only two digests or two empty
    // files are equal or different, anything else that was not read leaves the result empty.
    void resultComparesTheCaptions_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("expected");
        QTest::newRow("different digests") << m_abc << "D41D8CD98F00B204E9800998ECF8427E" << kText56;
        QTest::newRow("two empty files") << "Zero-length file" << "Zero-length file" << kText55;
        QTest::newRow("two folders") << "Folder, not file" << "Folder, not file" << "";
        QTest::newRow("two unreadable files") << kText34 + QStringLiteral(": Permission denied") << kText34 + QStringLiteral(": Permission denied") << "";
        QTest::newRow("digest and empty file") << m_abc << "Zero-length file" << "";
        QTest::newRow("one row empty") << "X" << "" << "earlier";
    }

    void resultComparesTheCaptions()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, expected);
        result()->setText(QStringLiteral("earlier"));
        digest(0)->setText(first);
        digest(1)->setText(second);
        f.form->CompareFileDS();
        QCOMPARE(result()->text(), expected);
    }

    // Copy gives the digest line. Once the file has gone there is no size or date to give: Copy gives
    // what the row still shows and empties the size/date label.
    void copyPutsTheDigestLineOnTheClipboard()
    {
        // An empty row has nothing to copy: the clipboard keeps what it held.
        QTest::mouseClick(f.button("cmdCopy", 0), Qt::LeftButton);
        QCOMPARE(f.fake->clipboardWrites, 0);
        const QString path = makeFile(QStringLiteral("a"), "abc");
        file(1)->setText(path);
        f.form->ShowFileDS(1);
        f.button("cmdQuit")->setFocus();
        QTest::mouseClick(f.button("cmdCopy", 1), Qt::LeftButton);
        QCOMPARE(f.fake->clipboard, m_abc + QStringLiteral("  ") + path + QStringLiteral(",3 bytes (0.00 KB), ") + m_when);
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 0));
        QVERIFY(QFile::remove(path));
        QTest::mouseClick(f.button("cmdCopy", 1), Qt::LeftButton);
        QCOMPARE(QString::number(f.fake->clipboardWrites) + u'>' + f.fake->clipboard + u'>' + f.row(1),
                 QStringLiteral("2>") + m_abc + u'>' + path + u'|' + m_abc + u'|');
    }

    // The algorithm chosen reads both rows again and is the one the next start shows; Copy gives its
    // digest; a pasted digest is checked against the 1st file; the controls are stops of the Tab key
    // after the rows.
    void algorithmAndPastedDigest()
    {
        const QString abc = makeFile(QStringLiteral("abc"), "abc"), other = makeFile(QStringLiteral("b"), "abd");
        file(0)->setText(abc);
        file(1)->setText(other);
        f.form->ShowFilesDS({0, 1});
        f.form->CompareFileDS();
        QCOMPARE(result()->text(), kText56);
        auto *algorithm = f.form->findChild<QComboBox *>(QStringLiteral("cboAlgorithm"));
        auto *pasted = f.box("txbPublishedDigest");
        QLabel *verdict = f.label("lblDigestCheck");
        QVERIFY(algorithm && algorithm->currentText() == QStringLiteral("MD5"));
        QWidget *next = f.button("cmdClear", 1)->nextInFocusChain();
        for (QWidget *stop : {static_cast<QWidget *>(algorithm), static_cast<QWidget *>(pasted)}) {
            while (!(next->focusPolicy() & Qt::TabFocus))
                next = next->nextInFocusChain();
            QCOMPARE(next, stop);
            next = next->nextInFocusChain();
        }

        algorithm->setCurrentIndex(algorithm->findText(QStringLiteral("SHA-256")));
        const QString sha256 = QStringLiteral("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
        QCOMPARE(digest(0)->text(), sha256.left(32) + u'\n' + sha256.mid(32));
        QCOMPARE(result()->text(), kText56);
        QTest::mouseClick(f.button("cmdCopy", 0), Qt::LeftButton);
        QVERIFY(f.fake->clipboard.startsWith(sha256 + QStringLiteral("  ") + abc + u','));
        QTest::keyClicks(pasted, QStringLiteral("SHA256 (abc) = ") + sha256.toLower());
        QCOMPARE(verdict->text(), QStringLiteral("Match: the 1st file has this SHA-256 digest."));
        pasted->setText(QStringLiteral("  ") + sha256.left(63) + QStringLiteral("0  abc"));
        QCOMPARE(verdict->text(), QStringLiteral("No match: the 1st file's SHA-256 digest is different."));
        // The check follows the row: another file in it, then none.
        pasted->setText(sha256);
        file(0)->setText(other);
        QTest::keyClick(file(0), Qt::Key_Return);
        QVERIFY(verdict->text().startsWith(QStringLiteral("No match")));
        QTest::mouseClick(f.button("cmdClear", 0), Qt::LeftButton);
        QCOMPARE(verdict->text(), QStringLiteral("Not checked: the 1st file has no SHA-256 digest."));

        const QString kept = f.form->strAlgorithmFile;
        f.stop();
        QVERIFY(f.start());
        auto *again = f.form->findChild<QComboBox *>(QStringLiteral("cboAlgorithm"));
        QCOMPARE(again->currentText() + f.form->strAlgorithmFile, QStringLiteral("SHA-256") + kept);
        // A choice that cannot be written is said, and the rows are still read with it.
        QVERIFY(QFile::remove(kept) && QDir().mkdir(kept));
        file(0)->setText(makeFile(QStringLiteral("abc"), "abc"));
        f.form->ShowFileDS(0);
        again->setCurrentIndex(again->findText(QStringLiteral("MD5")));
        QVERIFY(QDir().rmdir(kept));
        QCOMPARE(digest(0)->text(), m_abc);
        QVERIFY2(f.boxes().startsWith(QStringLiteral("Get digital signature|The algorithm chosen could not be kept for the next start: ") + kept + QStringLiteral(": ")), qPrintable(f.boxes()));
        // What the file says is taken only when it names an algorithm.
        QVERIFY(writeBytes(kept, "sha-256\n"));
        f.stop();
        QVERIFY(f.start());
        QCOMPARE(f.form->findChild<QComboBox *>(QStringLiteral("cboAlgorithm"))->currentText(), QStringLiteral("MD5"));
    }

    // Clear empties its own box (and the row's labels and the result for a file row), nothing else.
    void clearEmptiesItsBoxOnly()
    {
        const QString path = makeFile(QStringLiteral("a"), "abc");
        for (int i : {0, 1, 3}) {
            file(i)->setText(path);
            if (i != 3)
                f.form->ShowFileDS(i);
        }
        f.form->CompareFileDS();
        const QString full = path + u'|' + m_abc + QStringLiteral("|3 bytes  ") + m_when;
        // Enter presses the focused button.
        f.button("cmdClear", 3)->setFocus();
        QTest::keyClick(f.button("cmdClear", 3), Qt::Key_Return);
        QCOMPARE(QStringList({f.row(0), f.row(1), file(3)->text(), result()->text()}),
                 QStringList({full, full, QString(), kText55}));
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 3));
        QTest::mouseClick(f.button("cmdClear", 1), Qt::LeftButton);
        QCOMPARE(QStringList({f.row(0), f.row(1), result()->text()}), QStringList({full, QStringLiteral("||"), QString()}));
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 1));
    }

    // A cancelled dialog changes nothing but the focus (the report's empties the status line); a
    // chosen file is shown and compared.
    void fileDialogs()
    {
        const QString first = makeFile(QStringLiteral("a"), "abc"), second = makeFile(QStringLiteral("b"), "abd");
        file(0)->setText(first);
        f.form->ShowFileDS(0);
        file(3)->setText(QStringLiteral("/kept"));
        f.label("lblInfo")->setText(QStringLiteral("Stopped"));
        f.fake->fileAnswers << QString() << second << QString();
        QStringList seen;
        for (int i : {0, 1, 3}) {
            f.button("cmdQuit")->setFocus();
            QTest::mouseClick(f.button("cmdGetFileLocation", i), Qt::LeftButton);
            QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 0));
            seen << QStringList({f.row(0), f.row(1), file(3)->text(), result()->text(), f.label("lblInfo")->text()}).join(u'>');
        }
        const QString row0 = first + u'|' + m_abc + QStringLiteral("|3 bytes  ") + m_when;
        const QString both = row0 + u'>' + second + QStringLiteral("|4911E516E5AA21D327512E0C8B197616|3 bytes  ") + m_when
            + QStringLiteral(">/kept>") + kText56 + u'>';
        QCOMPARE(seen, QStringList({row0 + QStringLiteral(">||>/kept>>Stopped"), both + QStringLiteral("Stopped"), both}));
        // Only the report's is a save dialog, where a new name can be typed.
        const QList<platform::FileDialogRequest> &asked = f.fake->fileRequests;
        QCOMPARE(QList<bool>({asked.at(0).save, asked.at(1).save, asked.at(2).save}), QList<bool>({false, false, true}));
    }

    // A long read makes the window busy: Stop has the focus and ends the read, the row says so and
    // compares nothing, and the focus goes back where it was.
    void stopEndsALongRead()
    {
        f.form->intPanelBusyAfterMs = 0;
        file(0)->setText(makeFile(QStringLiteral("a"), "abc"));
        f.form->ShowFileDS(0);
        file(1)->setText(makeFile(QStringLiteral("big"), QByteArray(64 << 20, 'x')));
        bool stopUsable = false;
        f.fake->onProcessEvents = [&] {
            if (f.form->isBusy() && !f.form->blnStop) {
                stopUsable = f.button("cmdStop")->isVisible() && f.form->focusWidget() == f.button("cmdStop");
                QTest::mouseClick(f.button("cmdStop"), Qt::LeftButton);
            }
        };
        file(1)->setFocus();
        QTest::keyClick(file(1), Qt::Key_Return);
        QVERIFY(stopUsable);
        QCOMPARE(digest(1)->text() + u'|' + result()->text(), QStringLiteral("Reading was stopped|"));
        QVERIFY(!f.form->isBusy() && !f.button("cmdStop")->isVisible() && f.form->focusWidget() == file(1));
        // The stop does not outlast its read: the next Enter reads the file whole.
        f.fake->onProcessEvents = {};
        QTest::keyClick(file(1), Qt::Key_Return);
        QCOMPARE(digest(1)->text(), QStringLiteral("DE506679685541EFCB501EAC224ADC64"));
    }

    // Dropped paths fill the field under them, two files both rows (read side by side and compared);
    // a digest list stands in for a folder; the wrong kind is refused with a message, and nothing is
    // taken while the window is busy.
    void drops_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("expected"); // txbFile_0|txbFile_1|result|txbFolder_0|txbFile_3|box title: text
        const QStringList a{QStringLiteral("a")}, dir{QStringLiteral("dir")}, ab{QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("file on a row's label") << QByteArray("lblSizeDateTime_1") << a << false << "|a||||";
        QTest::newRow("two files on a row") << QByteArray("txbFile_0") << ab << false << QStringLiteral("a|b|") + kText56 + QStringLiteral("|||");
        QTest::newRow("folder on a file row") << QByteArray("cmdCopy_0") << dir << false << "|||||Get digital signature: dir is a folder, not a file.";
        QTest::newRow("folder on a folder field") << QByteArray("txbFolder_0") << dir << false << "|||dir||";
        QTest::newRow("digest list on a folder field") << QByteArray("txbFolder_0") << QStringList{QStringLiteral("l.md5")}
                                                       << false << "|||l.md5||";
        QTest::newRow("file on a folder field") << QByteArray("cmdFolder_0") << a << false << "|||||Compare files: a is neither a folder nor a digest list.";
        QTest::newRow("file on the report field") << QByteArray("txbFile_3") << a << false << "||||a|";
        QTest::newRow("two files on the report field") << QByteArray("txbFile_3") << ab << false << "|||||";
        QTest::newRow("file on an option") << QByteArray("chkSkipFiles_1") << a << false << "|||||";
        QTest::newRow("while busy") << QByteArray("txbFolder_0") << dir << true << "|||||";
    }

    void drops()
    {
        QFETCH(QByteArray, target);
        QFETCH(QStringList, dropped);
        QFETCH(bool, busy);
        QFETCH(QString, expected);
        makeFile(QStringLiteral("a"), "abc");
        makeFile(QStringLiteral("b"), "abd");
        makeFile(QStringLiteral("l.md5"), m_abc.toLatin1() + "  a\n");
        QVERIFY(QDir(f.dir->path()).mkpath(QStringLiteral("dir")));
        QList<QUrl> urls;
        for (const QString &name : dropped)
            urls << QUrl::fromLocalFile(f.path(name));
        QMimeData mime;
        mime.setUrls(urls);
        auto *widget = ctl<QWidget>(*f.form, target.constData());
        f.form->SetBusy(busy);
        const QPointF at(widget->mapTo(f.form.get(), widget->rect().center()));
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.form.get(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.form.get(), &drop);
        QStringList seen{file(0)->text(), file(1)->text(), result()->text(), f.box("txbFolder", 0)->text(), file(3)->text(),
                         f.fake->boxes.isEmpty() ? QString() : f.fake->boxes.first().title + QStringLiteral(": ") + f.fake->boxes.first().text};
        QCOMPARE(seen.join(u'|').replace(f.dir->path() + u'/', QString()), expected);
        QCOMPARE(digest(0)->text().isEmpty(), file(0)->text().isEmpty());
        QCOMPARE(digest(1)->text().isEmpty(), file(1)->text().isEmpty());
    }

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
        QCOMPARE(skipSize ? int(f.form->skipSizeMB[1]) : f.form->lngMaxLines, value ? value : skipSize ? 0 : 100);
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
        QCOMPARE(defaults, QStringLiteral("txbFile_0= txbFile_1= txbPublishedDigest= txbFolder_0= txbFolder_1= txbFile_3= txbExtension_1= "
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
        f.form->skipSizeMB[1] = 7;
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

CHEQORA_TEST_GUI_MAIN(TestFilePanel)
#include "tst_filepanel.moc"
