// Scan records of a folder comparison at scale: stores N records (default 1,000,000) as the first walk
// does, sorts them, looks every path up as the second walk does (folding the walked path first) plus
// as many absent paths, and prints the times and the peak memory of the process.
#include "scanlist.h"
#include "sortsearch.h"
#include "strproc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QVector>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

long peakKiB()
{
    struct rusage usage;
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QString pathOf(int i)
{
    // 200 folders of 20 subfolders; mixed letter case so that most keys need a folded copy.
    return QStringLiteral("Folder_%1/Sub%2/Photo_%3.JPG")
        .arg(i % 200, 3, 10, QChar(u'0'))
        .arg((i / 200) % 20, 2, 10, QChar(u'0'))
        .arg(i, 7, 10, QChar(u'0'));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;
    std::printf("records: %d\n", n);
    std::printf("peak memory at start: %.1f MB\n", double(peakKiB()) / 1024.0);

    // Insertion order shuffled, so the sort has real work to do.
    QVector<int> order(n);
    for (int i = 0; i < n; ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), *QRandomGenerator::global());

    cheqora::ScanList list;
    cheqora::DigestFieldTexts texts;
    platform::FileStat st;
    st.kind = platform::EntryKind::File;
    QElapsedTimer timer;
    timer.start();
    QString digest(32, u'0');
    static const char16_t hex[] = u"0123456789ABCDEF";
    for (int i = 0; i < n; ++i) {
        const int id = order[i];
        for (int k = 0; k < 32; ++k)
            digest[k] = QChar(hex[(id * 2654435761u >> (k % 28)) & 15]);
        st.length = 1000 + id;
        st.modifiedSecs = 1700000000 + id;
        list.append(pathOf(id), texts.fieldForDigest(digest), st);
    }
    const qint64 storeMs = timer.restart();
    list.sort();
    const qint64 sortMs = timer.restart();

    qint64 found = 0;
    for (int i = 0; i < n; ++i) {
        const QString folded = cheqora::foldCase(pathOf(i));
        qsizetype first = 0;
        qsizetype last = 0;
        if (list.find(folded, first, last))
            ++found;
    }
    const qint64 lookupMs = timer.restart();
    qint64 absent = 0;
    for (int i = 0; i < n; ++i) {
        const QString folded = cheqora::foldCase(pathOf(i) + QStringLiteral(".bak"));
        qsizetype first = 0;
        qsizetype last = 0;
        if (!list.find(folded, first, last))
            ++absent;
    }
    const qint64 missMs = timer.restart();

    bool sorted = true;
    for (qsizetype i = 1; i < list.count() && sorted; ++i)
        sorted = cheqora::compareCodeUnits(list.foldedKey(i - 1), list.foldedKey(i)) <= 0;

    std::printf("store:  %6lld ms\n", static_cast<long long>(storeMs));
    std::printf("sort:   %6lld ms\n", static_cast<long long>(sortMs));
    std::printf("lookup: %6lld ms (%lld of %d found)\n", static_cast<long long>(lookupMs),
                static_cast<long long>(found), n);
    std::printf("absent: %6lld ms (%lld of %d not found)\n", static_cast<long long>(missMs),
                static_cast<long long>(absent), n);
    std::printf("sorted: %s\n", sorted ? "yes" : "NO");
    const double peakMB = double(peakKiB()) / 1024.0;
    std::printf("peak memory: %.1f MB (target: under 300 MB)\n", peakMB);
    return (found == n && absent == n && sorted && peakMB < 300.0) ? 0 : 1;
}
