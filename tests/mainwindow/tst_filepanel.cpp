#include "formfixture.h"

using namespace cheqora;
using namespace cheqora::test;

// The digest panel: its two rows, the result label, the report box's shared handlers, and the file
// dialog and folder browser answered by the scripted desktop.
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

private slots:
    void init() { QVERIFY(f.start()); }
    void cleanup() { f.stop(); }

    // A row as ShowFileDS and as Enter show it; Enter also empties a stale size/date and does not
    // compare the rows.
    void showAndEnter_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("entered");
        const QString shownFile = m_abc + QStringLiteral("|3 bytes  ") + m_when;
        QTest::newRow("file") << "a" << shownFile << shownFile;
        QTest::newRow("missing") << "missing" << kText34 + QStringLiteral(":53|") << "File not found|";
        QTest::newRow("below a file") << "plain/x" << kText34 + QStringLiteral(":76|") << kText34 + QStringLiteral(":76|");
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

    void tooltipShowsPathsLongerThan45Characters()
    {
        const QString p45 = QStringLiteral("/") + QString(44, u'a');
        for (int i : {0, 3}) {
            file(i)->setText(p45 + u'b');
            QCOMPARE(file(i)->toolTip(), p45 + u'b');
            file(i)->setText(p45);
            QCOMPARE(file(i)->toolTip(), QString());
        }
    }

    // The result compares what the two labels show, not the files, and waits for both.
    void resultComparesTheCaptions_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("expected");
        QTest::newRow("different digests") << m_abc << "D41D8CD98F00B204E9800998ECF8427E" << kText56;
        QTest::newRow("two equal status texts") << "Zero-length file" << "Zero-length file" << kText55;
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
        const QString path = makeFile(QStringLiteral("a"), "abc");
        file(1)->setText(path);
        f.form->ShowFileDS(1);
        f.button("cmdQuit")->setFocus();
        QTest::mouseClick(f.button("cmdCopy", 1), Qt::LeftButton);
        QCOMPARE(f.fake->clipboard, m_abc + QStringLiteral("  ") + path + QStringLiteral(",3 bytes (0.00 KB), ") + m_when);
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 0));
        QVERIFY(QFile::remove(path));
        QTest::mouseClick(f.button("cmdCopy", 1), Qt::LeftButton);
        QCOMPARE(f.fake->clipboardWrites, 2);
        QCOMPARE(f.fake->clipboard, m_abc);
        QCOMPARE(f.row(1), path + u'|' + m_abc + u'|');
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
        f.button("cmdQuit")->setFocus();
        QTest::mouseClick(f.button("cmdClear", 3), Qt::LeftButton);
        QCOMPARE(QStringList({f.row(0), f.row(1), file(3)->text(), result()->text()}),
                 QStringList({full, full, QString(), kText55}));
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 3));
        QTest::mouseClick(f.button("cmdClear", 1), Qt::LeftButton);
        QCOMPARE(QStringList({f.row(0), f.row(1), result()->text()}), QStringList({full, QStringLiteral("||"), QString()}));
        QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 1));
    }

    // A cancelled dialog changes nothing but the focus; the report's dialog empties the status line.
    void fileDialogsCancelled()
    {
        for (int i : {0, 1, 3})
            file(i)->setText(QStringLiteral("/kept"));
        digest(1)->setText(QStringLiteral("D"));
        result()->setText(QStringLiteral("R"));
        f.label("lblInfo")->setText(QStringLiteral("Stopped"));
        for (int i : {0, 1, 3}) {
            f.button("cmdQuit")->setFocus();
            QTest::mouseClick(f.button("cmdGetFileLocation", i), Qt::LeftButton);
            QCOMPARE(f.form->focusWidget(), f.button("cmdGetFileLocation", 0));
            QCOMPARE(QStringList({f.row(0), f.row(1), file(3)->text(), result()->text(), f.label("lblInfo")->text()}),
                     QStringList({QStringLiteral("/kept||"), QStringLiteral("/kept|D|"), QStringLiteral("/kept"),
                                  QStringLiteral("R"), QLatin1String(i == 3 ? "" : "Stopped")}));
        }
        QStringList asked;
        for (const platform::FileDialogRequest &request : f.fake->fileRequests)
            asked << request.title + u'|' + request.filter + u'|' + QString::number(request.flags) + request.fileName;
        QCOMPARE(asked.join(u'\n'), QStringLiteral("Specify first file||2052\nSpecify second file||2052\n"
                                                   "Specify file to write report to| files (*.txt) | *.txt|2052"));
    }

    void choosingAFileShowsAndComparesIt()
    {
        file(0)->setText(makeFile(QStringLiteral("a"), "abc"));
        f.form->ShowFileDS(0);
        const QString second = makeFile(QStringLiteral("b"), "abd");
        f.fake->fileAnswers.enqueue(second);
        QTest::mouseClick(f.button("cmdGetFileLocation", 1), Qt::LeftButton);
        QCOMPARE(f.row(1) + u'|' + result()->text(),
                 second + QStringLiteral("|4911E516E5AA21D327512E0C8B197616|3 bytes  ") + m_when + u'|' + kText56);
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

CHEQORA_TEST_GUI_MAIN(TestFilePanel)
#include "tst_filepanel.moc"
