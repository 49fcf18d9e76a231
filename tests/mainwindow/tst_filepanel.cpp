#include "formfixture.h"
#include "testmain.h"

#include <QDir>

using namespace cheqora;
using namespace cheqora::test;

// The digest panel: its two rows, the result label, and the report box's shared handlers.
class TestFilePanel : public QObject {
    Q_OBJECT

    FormFixture f;
    const QDateTime m_when = QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7), Qt::UTC);
    const QString m_whenText = QStringLiteral("2021-03-04 05:06:07");

    QString makeFile(const QString &name, const QByteArray &content)
    {
        const QString path = f.path(name);
        if (!writeFile(path, content) || !setModified(path, m_when))
            qFatal("cannot make %s", qPrintable(path));
        return path;
    }

    QLineEdit *file(int i) const { return f.box("txbFile", i); }
    QLabel *digest(int i) const { return f.label("lblDigitalSignature", i); }
    QLabel *sizeDate(int i) const { return f.label("lblSizeDateTime", i); }
    QLabel *result() const { return f.label("lblFileComparisonResult"); }

    void pressEnter(int i, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(file(i), Qt::Key_Return, modifiers);
    }

private slots:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    void showFileDSShowsDigestSizeAndDate()
    {
        file(0)->setText(makeFile(QStringLiteral("abc.txt"), "abc"));
        f.form->ShowFileDS(0);
        QCOMPARE(digest(0)->text(), QStringLiteral("900150983CD24FB0D6963F7D28E17F72"));
        QCOMPARE(sizeDate(0)->text(), QStringLiteral("3 bytes  ") + m_whenText);
    }

    // Paths without a digest, as ShowFileDS and as Enter show them.
    void pathsWithoutDigest_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("shownSize");
        QTest::addColumn<QString>("entered");
        QTest::newRow("missing") << "missing" << kText34 + QStringLiteral(":53") << QString()
                                 << QStringLiteral("File not found");
        QTest::newRow("below a file") << "below a file" << kText34 + QStringLiteral(":76") << QString()
                                      << kText34 + QStringLiteral(":76");
        QTest::newRow("folder") << "folder" << QStringLiteral("Folder, not file") << QString()
                                << QStringLiteral("Folder, not file");
        QTest::newRow("empty file") << "empty file" << QStringLiteral("Zero-length file")
                                    << QStringLiteral("0 bytes  2021-03-04 05:06:07") << QStringLiteral("Zero-length file");
    }

    void pathsWithoutDigest()
    {
        QFETCH(QString, kind);
        QFETCH(QString, shown);
        QFETCH(QString, shownSize);
        QFETCH(QString, entered);
        QString path;
        if (kind == QStringLiteral("missing"))
            path = f.path(QStringLiteral("nothing.bin"));
        else if (kind == QStringLiteral("below a file"))
            path = makeFile(QStringLiteral("plain"), "x") + QStringLiteral("/inside");
        else if (kind == QStringLiteral("folder"))
            path = f.dir->path();
        else
            path = makeFile(QStringLiteral("empty"), QByteArray());

        file(1)->setText(path);
        f.form->ShowFileDS(1);
        QCOMPARE(digest(1)->text(), shown);
        QCOMPARE(sizeDate(1)->text(), shownSize);

        sizeDate(1)->setText(QStringLiteral("stale"));
        pressEnter(1);
        QCOMPARE(digest(1)->text(), entered);
        QCOMPARE(sizeDate(1)->text(), QString());
    }

    void enterShowsTheDigestOfTheTypedPath()
    {
        const QString first = makeFile(QStringLiteral("a"), "abc");
        const QString second = makeFile(QStringLiteral("b"), QByteArray(2000, 'b'));
        file(0)->setText(first);
        f.form->ShowFileDS(0);
        sizeDate(1)->setText(QStringLiteral("left from before"));
        QTest::keyClicks(file(1), first);
        pressEnter(1, Qt::ShiftModifier);
        QCOMPARE(digest(1)->text(), QStringLiteral("900150983CD24FB0D6963F7D28E17F72"));
        QCOMPARE(sizeDate(1)->text(), QStringLiteral("3 bytes  ") + m_whenText);
        // Enter does not compare the rows.
        QCOMPARE(result()->text(), QString());

        file(1)->setText(second);
        pressEnter(1);
        QCOMPARE(sizeDate(1)->text(), QStringLiteral("2,000 bytes  ") + m_whenText);
    }

    void otherKeysAndTheReportBoxIgnoreEnter()
    {
        const QString path = makeFile(QStringLiteral("a"), "abc");
        file(0)->setText(path);
        QTest::keyClick(file(0), Qt::Key_End);
        QCOMPARE(digest(0)->text(), QString());
        file(3)->setText(path);
        QTest::keyClick(file(3), Qt::Key_Return);
        QCOMPARE(digest(0)->text(), QString());
        QCOMPARE(digest(1)->text(), QString());
        QCOMPARE(file(3)->text(), path);
    }

    void typingClearsTheResultAndEmptyingClearsTheDigest()
    {
        const QString path = makeFile(QStringLiteral("a"), "abc");
        for (int i = 0; i <= 1; ++i) {
            file(i)->setText(path);
            f.form->ShowFileDS(i);
        }
        f.form->CompareFileDS();
        QCOMPARE(result()->text(), kText55);
        QTest::keyClick(file(0), Qt::Key_X);
        QCOMPARE(result()->text(), QString());
        QVERIFY(!digest(0)->text().isEmpty());

        file(1)->setText(QString());
        QCOMPARE(digest(1)->text(), QString());
        // The size label waits for the next tick.
        QVERIFY(!sizeDate(1)->text().isEmpty());
        f.form->Timer1_Timer();
        QCOMPARE(sizeDate(1)->text(), QString());
    }

    void tooltipShowsPathsLongerThan45Characters_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("first file") << 0;
        QTest::newRow("report file") << 3;
    }

    void tooltipShowsPathsLongerThan45Characters()
    {
        QFETCH(int, index);
        const QString p45 = QStringLiteral("/") + QString(44, u'a');
        const QString p46 = p45 + u'b';
        file(index)->setText(p45);
        QCOMPARE(file(index)->toolTip(), QString());
        file(index)->setText(p46);
        QCOMPARE(file(index)->toolTip(), p46);
        file(index)->setText(p45);
        QCOMPARE(file(index)->toolTip(), QString());
    }

    // The result compares what the two labels show, not the files.
    void resultComparesTheCaptions_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("expected");
        QTest::newRow("equal digests") << "900150983CD24FB0D6963F7D28E17F72" << "900150983CD24FB0D6963F7D28E17F72" << kText55;
        QTest::newRow("different digests") << "900150983CD24FB0D6963F7D28E17F72" << "D41D8CD98F00B204E9800998ECF8427E"
                                           << kText56;
        QTest::newRow("two equal status texts") << "Zero-length file" << "Zero-length file" << kText55;
        QTest::newRow("equal error texts") << "Read failed:53" << "Read failed:53" << kText55;
        QTest::newRow("case differs") << "abc" << "ABC" << kText56;
    }

    void resultComparesTheCaptions()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, expected);
        digest(0)->setText(first);
        digest(1)->setText(second);
        f.form->CompareFileDS();
        QCOMPARE(result()->text(), expected);
    }

    void twoFoldersCompareAsTheSame()
    {
        QVERIFY(QDir(f.dir->path()).mkdir(QStringLiteral("sub")));
        file(0)->setText(f.dir->path());
        file(1)->setText(f.path(QStringLiteral("sub")));
        f.form->ShowFileDS(0);
        f.form->ShowFileDS(1);
        f.form->CompareFileDS();
        QCOMPARE(result()->text(), kText55);
    }

    void resultKeepsItsTextWhileARowIsEmpty()
    {
        result()->setText(QStringLiteral("earlier"));
        digest(0)->setText(QStringLiteral("X"));
        digest(1)->setText(QString());
        f.form->CompareFileDS();
        QCOMPARE(result()->text(), QStringLiteral("earlier"));
    }

    void copyPutsTheDigestLineOnTheClipboard()
    {
        const QString path = makeFile(QStringLiteral("big.bin"), QByteArray(1234567, '\0'));
        file(1)->setText(path);
        f.form->ShowFileDS(1);
        f.form->Timer1_Timer();
        QCOMPARE(sizeDate(1)->text(), QStringLiteral("1,234,567 bytes  ") + m_whenText);
        f.button("cmdQuit")->setFocus();
        QTest::mouseClick(f.button("cmdCopy", 1), Qt::LeftButton);
        QCOMPARE(f.fake->clipboardWrites, 1);
        QCOMPARE(f.fake->clipboard, digest(1)->text() + QStringLiteral("  ") + path
                                        + QStringLiteral(",1234567 bytes (1,205.63 KB), ") + m_whenText);
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 0));
    }

    void copyOfAStatusTextPutsItWhereTheDigestStands()
    {
        const QString path = makeFile(QStringLiteral("empty"), QByteArray());
        file(0)->setText(path);
        f.form->ShowFileDS(0);
        QTest::mouseClick(f.button("cmdCopy", 0), Qt::LeftButton);
        QCOMPARE(f.fake->clipboard,
                 QStringLiteral("Zero-length file  ") + path + QStringLiteral(",0 bytes (0.00 KB), ") + m_whenText);
    }

    // A file removed after its digest was shown has no size or date any more: Copy gives what the
    // row still shows and empties the size/date label.
    void copyOfAVanishedFile()
    {
        const QString path = makeFile(QStringLiteral("gone"), "abc");
        file(0)->setText(path);
        f.form->ShowFileDS(0);
        QVERIFY(QFile::remove(path));
        QTest::mouseClick(f.button("cmdCopy", 0), Qt::LeftButton);
        QCOMPARE(f.fake->clipboardWrites, 1);
        QCOMPARE(f.fake->clipboard, QStringLiteral("900150983CD24FB0D6963F7D28E17F72"));
        QCOMPARE(sizeDate(0)->text(), QString());
        QCOMPARE(digest(0)->text(), QStringLiteral("900150983CD24FB0D6963F7D28E17F72"));
    }

    void clearEmptiesItsRow_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("first") << 0;
        QTest::newRow("second") << 1;
    }

    void clearEmptiesItsRow()
    {
        QFETCH(int, index);
        const QString path = makeFile(QStringLiteral("a"), "abc");
        for (int i = 0; i <= 1; ++i) {
            file(i)->setText(path);
            f.form->ShowFileDS(i);
        }
        f.form->CompareFileDS();
        f.button("cmdQuit")->setFocus();
        QTest::mouseClick(f.button("cmdClear", index), Qt::LeftButton);
        QCOMPARE(file(index)->text(), QString());
        QCOMPARE(digest(index)->text(), QString());
        QCOMPARE(sizeDate(index)->text(), QString());
        QCOMPARE(result()->text(), QString());
        const int other = 1 - index;
        QCOMPARE(file(other)->text(), path);
        QVERIFY(!digest(other)->text().isEmpty());
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", index));
    }

    void clearOfTheReportBoxTouchesNothingElse()
    {
        const QString path = makeFile(QStringLiteral("a"), "abc");
        file(0)->setText(path);
        f.form->ShowFileDS(0);
        result()->setText(QStringLiteral("kept"));
        file(3)->setText(f.path(QStringLiteral("report.txt")));
        QTest::mouseClick(f.button("cmdClear", 3), Qt::LeftButton);
        QCOMPARE(file(3)->text(), QString());
        QCOMPARE(file(0)->text(), path);
        QVERIFY(!digest(0)->text().isEmpty());
        QCOMPARE(result()->text(), QStringLiteral("kept"));
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 3));
    }

    void clickingAnEmptyBoxExplainsHowToFillIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("1st file") << "txbFile" << 0 << "To specify a file, click on the \"1st file\" button."
                                  << "Get digital signature";
        QTest::newRow("2nd file") << "txbFile" << 1 << "To specify a file, click on the \"2nd file\" button."
                                  << "Get digital signature";
        QTest::newRow("report file") << "txbFile" << 3 << "To specify a file, click on the \"Report file\" button."
                                     << "Compare files";
        QTest::newRow("1st folder") << "txbFolder" << 0 << "To specify a folder, click on the \"1st folder\" button."
                                    << "Record digital signatures";
        QTest::newRow("2nd folder") << "txbFolder" << 1 << "To specify a folder, click on the \"2nd folder\" button."
                                    << "Compare files";
    }

    void clickingAnEmptyBoxExplainsHowToFillIt()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QLineEdit *box = f.box(name.toLatin1().constData(), index);
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(f.fake->boxes.size(), 1);
        QCOMPARE(f.fake->boxes.first().text, text);
        QCOMPARE(f.fake->boxes.first().title, title);
        QCOMPARE(f.fake->boxes.first().buttons, platform::MsgButtons::Ok);

        box->setText(QStringLiteral("/somewhere"));
        QTest::mouseClick(box, Qt::LeftButton);
        QCOMPARE(f.fake->boxes.size(), 1);
    }
};

CHEQORA_TEST_GUI_MAIN(TestFilePanel)
#include "tst_filepanel.moc"
