#include "filefilter.h"
#include "testmain.h"

#include <QTest>

using namespace cheqora;
using namespace Qt::StringLiterals;

class FileFilterTest : public QObject {
    Q_OBJECT

private slots:
    void wildcardMatch()
    {
        const struct {
            QString text, pattern;
            bool caseSensitive, expected;
        } cases[] = {
            {u"abc"_s, QString(), true, true},  {QString(), u"***"_s, true, true}, {u"abc"_s, u"a?c"_s, true, true},
            {u"ab"_s, u"ab?"_s, true, false},   {u"ab"_s, u"abc"_s, true, false},  {u"abcd"_s, u"abc"_s, true, false},
            {u"b"_s, u"*?b"_s, true, true},     {u"abc"_s, u"*x"_s, true, false},  {u"ABC"_s, u"abc"_s, true, false},
            {u"ÀÉÜ"_s, u"àéü"_s, false, true}, // accented capitals folded
            {u"a*c"_s, u"a?c"_s, true, true},   // wildcards in the text are literal
            // No backtracking: the first "." is taken, so the rest must follow it.
            {u"a.b.txt"_s, u"*.txt"_s, true, false},
        };
        for (const auto &c : cases)
            QVERIFY2(WildcardMatch(c.text, c.pattern, c.caseSensitive) == c.expected,
                     qPrintable(c.text + u" ~ "_s + c.pattern));
    }

    void fileNameMatches()
    {
        // Name and pattern are split at their last "."; both halves must match, in any letter case.
        const struct {
            QString name, filespec;
            bool expected;
        } cases[] = {
            {u"anything.bin"_s, QString(), true}, {u"a.doc"_s, u"*.txt"_s, false},    {u"A.b.TXT"_s, u"*.txt"_s, true},
            {u"README"_s, u"*.txt"_s, false},     {u"README"_s, u"*.*"_s, true},      {u".txt"_s, u"*.txt"_s, true},
            {u"a.txt"_s, u"a*"_s, false},         {u"Makefile"_s, u"Make*"_s, true},  {u"x.tar.gz"_s, u"*.tar.gz"_s, true},
            {u"what?.txt"_s, u"*.txt"_s, true}, // names that Windows forbids are ordinary names here
            {u"a/b"_s, QString(), false},
        };
        for (const auto &c : cases)
            QVERIFY2(FileNameMatches(c.name, c.filespec, false) == c.expected, qPrintable(c.name + u" ~ "_s + c.filespec));
    }

    void buildFilespecTrimsTheExtension()
    {
        QString extension = u"  .txt  "_s;
        QCOMPARE(BuildFilespec(true, extension), u"*.txt"_s);
        QCOMPARE(extension, u".txt"_s); // trimmed in place, for the field
        QCOMPARE(BuildFilespec(true, extension = u"   "_s), QString());
        QCOMPARE(BuildFilespec(false, extension = u"txt"_s), QString());
        // Blanks only: other white space is part of a path.
        QCOMPARE(TrimBlanks(u"\t/tmp/a b\n "_s), u"\t/tmp/a b\n"_s);
    }
};

CHEQORA_TEST_MAIN(FileFilterTest)
#include "tst_filefilter.moc"
