#include "filefilter.h"
#include "testmain.h"

#include <QTest>

using namespace cheqora;
using namespace Qt::StringLiterals;

class FileFilterTest : public QObject {
    Q_OBJECT

private slots:
    void wildcardMatch_data();
    void wildcardMatch();
    void fileNameMatches_data();
    void fileNameMatches();
    void buildFilespec_data();
    void buildFilespec();
    void trimBlanksKeepsOtherWhiteSpace();
};

void FileFilterTest::wildcardMatch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<bool>("expected");

    QTest::newRow("equal") << u"abc"_s << u"abc"_s << true << true;
    QTest::newRow("empty pattern matches anything") << u"abc"_s << QString() << true << true;
    QTest::newRow("stars match empty text") << QString() << u"***"_s << true << true;
    QTest::newRow("star matches all") << u"abc"_s << u"*"_s << true << true;
    QTest::newRow("question is one character") << u"abc"_s << u"a?c"_s << true << true;
    QTest::newRow("question is not the end") << u"ab"_s << u"ab?"_s << true << false;
    QTest::newRow("pattern longer") << u"ab"_s << u"abc"_s << true << false;
    QTest::newRow("text longer") << u"abcd"_s << u"abc"_s << true << false;
    QTest::newRow("star then literal") << u"report.txt"_s << u"*.txt"_s << true << true;
    // No backtracking: the first "." is taken, so the rest must follow it.
    QTest::newRow("first occurrence only") << u"a.b.txt"_s << u"*.txt"_s << true << false;
    QTest::newRow("star at end") << u"abc"_s << u"ab*"_s << true << true;
    QTest::newRow("star with question dropped") << u"b"_s << u"*?b"_s << true << true;
    QTest::newRow("literal absent after star") << u"abc"_s << u"*x"_s << true << false;
    QTest::newRow("case-sensitive differs") << u"ABC"_s << u"abc"_s << true << false;
    QTest::newRow("case folded") << u"ABC"_s << u"abc"_s << false << true;
    QTest::newRow("accented capitals folded") << u"ÀÉÜ"_s << u"àéü"_s << false << true;
    QTest::newRow("text wildcard characters are literal") << u"a*c"_s << u"a?c"_s << true << true;
}

void FileFilterTest::wildcardMatch()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, caseSensitive);
    QFETCH(bool, expected);
    QCOMPARE(WildcardMatch(text, pattern, caseSensitive), expected);
}

void FileFilterTest::fileNameMatches_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filespec");
    QTest::addColumn<bool>("expected");

    QTest::newRow("no filter") << u"anything.bin"_s << QString() << true;
    QTest::newRow("blank filter") << u"anything.bin"_s << u"   "_s << true;
    QTest::newRow("extension") << u"a.txt"_s << u"*.txt"_s << true;
    QTest::newRow("other extension") << u"a.doc"_s << u"*.txt"_s << false;
    QTest::newRow("upper-case name") << u"A.TXT"_s << u"*.txt"_s << true;
    QTest::newRow("two dots") << u"a.b.txt"_s << u"*.txt"_s << true;
    QTest::newRow("no extension never selected") << u"README"_s << u"*.txt"_s << false;
    QTest::newRow("no extension, star extension") << u"README"_s << u"*.*"_s << true;
    QTest::newRow("dot file") << u".txt"_s << u"*.txt"_s << true;
    QTest::newRow("filter without dot, name with dot") << u"a.txt"_s << u"a*"_s << false;
    QTest::newRow("neither has dot") << u"Makefile"_s << u"Make*"_s << true;
    QTest::newRow("extension with dot") << u"x.tar.gz"_s << u"*.tar.gz"_s << true;
    QTest::newRow("extension wildcard") << u"a.txt"_s << u"*.t?t"_s << true;
    // Names that Windows forbids are ordinary Linux names and take part in the comparison.
    QTest::newRow("colon in name") << u"a:b.txt"_s << QString() << true;
    QTest::newRow("question mark in name") << u"what?.txt"_s << u"*.txt"_s << true;
    QTest::newRow("star in name") << u"*.txt"_s << QString() << true;
    QTest::newRow("backslash in name") << u"back\\slash"_s << QString() << true;
    QTest::newRow("separator never") << u"a/b"_s << QString() << false;
}

void FileFilterTest::fileNameMatches()
{
    QFETCH(QString, name);
    QFETCH(QString, filespec);
    QFETCH(bool, expected);
    QCOMPARE(FileNameMatches(name, filespec, false), expected);
}

void FileFilterTest::buildFilespec_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("filespec");
    QTest::addColumn<QString>("trimmed");

    QTest::newRow("unchecked") << false << u" txt "_s << QString() << u"txt"_s;
    QTest::newRow("plain") << true << u"txt"_s << u"*.txt"_s << u"txt"_s;
    QTest::newRow("leading dot") << true << u".txt"_s << u"*.txt"_s << u".txt"_s;
    QTest::newRow("blanks trimmed") << true << u"  txt  "_s << u"*.txt"_s << u"txt"_s;
    QTest::newRow("blank only") << true << u"   "_s << QString() << QString();
    QTest::newRow("empty") << true << QString() << QString() << QString();
}

void FileFilterTest::buildFilespec()
{
    QFETCH(bool, checked);
    QFETCH(QString, extension);
    QFETCH(QString, filespec);
    QFETCH(QString, trimmed);
    QCOMPARE(BuildFilespec(checked, extension), filespec);
    QCOMPARE(extension, trimmed);
}

void FileFilterTest::trimBlanksKeepsOtherWhiteSpace()
{
    QCOMPARE(TrimBlanks(u"  /tmp/a b  "_s), u"/tmp/a b"_s);
    QCOMPARE(TrimBlanks(u"\t/tmp/x\n"_s), u"\t/tmp/x\n"_s);
    QCOMPARE(TrimBlanks(u"    "_s), QString());
}

CHEQORA_TEST_MAIN(FileFilterTest)
#include "tst_filefilter.moc"
