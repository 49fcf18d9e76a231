// Digest lists at scale: writes a list of N entries (default 1,000,000), times the reader alone, then
// reads the list into scan records as a comparison would (streamed, or first held whole with "held"),
// sorts them and looks every path up, printing times and the peak memory. Given a folder, it then
// walks that folder into scan records without digests (the plain walk a list stands in for), sorts and
// looks them up the same way, and prints the cost per file of both.
//
// usage: bench_digestlist [stream|held] [N] [FOLDER]
#include "digestlist.h"
#include "filesystem.h"
#include "strproc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

double peakMB()
{
    struct rusage usage;
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// Wall-clock and processor time since the last lap, in ms. On a shared machine the processor time is
// the steadier of the two.
struct Lap {
    double wall = 0, cpu = 0;
};

class Stopwatch {
public:
    Stopwatch() { lap(); }
    Lap lap()
    {
        struct rusage usage;
        ::getrusage(RUSAGE_SELF, &usage);
        const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
            + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
        const Lap out{double(m_timer.restart()), cpu - m_cpu};
        m_cpu = cpu;
        return out;
    }

private:
    QElapsedTimer m_timer{};
    double m_cpu = 0;
};

void printLap(const char *what, const Lap &lap)
{
    std::printf("%-18s %7.0f ms (processor %7.0f ms)\n", what, lap.wall, lap.cpu);
}

QString pathOf(int i)
{
    QString path = QStringLiteral("Folder_000/Sub00/Photo_0000000.JPG");
    const auto put = [&](qsizetype end, int value, int digits) {
        for (int k = 1; k <= digits; ++k, value /= 10)
            path[end - k] = QChar(u'0' + value % 10);
    };
    put(10, i % 200, 3);
    put(16, (i / 200) % 20, 2);
    put(30, i, 7);
    return path;
}

// The plain walk: every file of the tree stored as a record, nothing read.
void walk(const QString &folder, const QString &root, cheqora::ScanList &records, const cheqora::DigestField &field)
{
    platform::FolderListing listing;
    platform::FileError err;
    if (!platform::listFolder(folder, listing, err))
        return;
    for (const platform::DirEntry &file : std::as_const(listing.files))
        records.append(QStringView(folder + file.name).mid(root.size()), field, file.stat);
    for (const platform::DirEntry &sub : std::as_const(listing.subfolders))
        walk(folder + sub.name + u'/', root, records, field);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool held = argc > 1 && qstrcmp(argv[1], "held") == 0;
    const int n = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000000;
    const QString folder = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    QTemporaryDir dir;
    const QString listPath = dir.path() + QStringLiteral("/list.md5");
    std::printf("entries: %d (%s)\n", n, held ? "held whole, then turned into records" : "streamed into records");

    Stopwatch watch;
    platform::TextFileWriter out;
    platform::FileError err;
    bool ok = out.open(listPath, err);
    cheqora::DigestListHeader header;
    header.ownFormat = true;
    header.program = QStringLiteral("bench");
    header.folder = QStringLiteral("/bench");
    header.recursive = true;
    ok = ok && out.write(cheqora::digestListHeaderText(header), err);
    cheqora::DigestListEntry e;
    e.statRecorded = true;
    for (int i = 0; i < n && ok; ++i) {
        e.relativePath = pathOf(i);
        for (int k = 0; k < 16; ++k)
            e.digest[size_t(k)] = quint8((quint32(i) * 2654435761u) >> (k % 24));
        e.length = 1000 + i;
        e.modifiedSecs = 1700000000 + i;
        ok = out.write(cheqora::digestListEntryText(e), err);
    }
    ok = ok && out.write(cheqora::digestListEndText(n), err) && out.close(err);
    if (!ok) {
        std::fprintf(stderr, "cannot write the list: %s\n", qPrintable(err.description));
        return 2;
    }
    const Lap write = watch.lap();
    const double peakBefore = peakMB();

    // The reader alone, entries dropped: what the list costs beyond the scan records.
    QString listError;
    qint64 parsed = 0;
    cheqora::readDigestList(listPath, [&](const cheqora::DigestListEntry &) { return ++parsed > 0; }, header, listError);
    const Lap parse = watch.lap();

    cheqora::ScanList records;
    cheqora::DigestFieldTexts texts;
    cheqora::WalkFilter filter;
    filter.recursive = true;
    cheqora::DigestField field;
    platform::FileStat st;
    if (held) {
        cheqora::DigestList list;
        ok = list.read(listPath, listError);
        ok = ok && cheqora::forEachListRecord(list, filter, texts,
                                              [&](QStringView path, const cheqora::DigestField &f, const platform::FileStat &s) {
                                                  records.append(path, f, s);
                                                  return true;
                                              });
    } else {
        const auto store = [&](const cheqora::DigestListEntry &entry) {
            if (cheqora::listRecordOf(entry, filter, texts, field, st))
                records.append(entry.relativePath, field, st);
            return true;
        };
        ok = cheqora::readDigestList(listPath, store, header, listError);
    }
    if (!ok) {
        std::fprintf(stderr, "cannot read the list: %s\n", qPrintable(listError));
        return 2;
    }
    const Lap read = watch.lap();
    records.sort();
    qint64 found = 0;
    for (int i = 0; i < n; ++i) {
        qsizetype first = 0;
        qsizetype last = 0;
        found += records.find(cheqora::foldCase(pathOf(i)), first, last) ? 1 : 0;
    }
    const Lap lookup = watch.lap();
    const Lap list{read.wall + lookup.wall, read.cpu + lookup.cpu};
    const double peak = peakMB();
    records.release();

    printLap("write:", write);
    printLap("parse only:", parse);
    printLap("read:", read);
    printLap("sort and look up:", lookup);
    printLap("read and look up:", list);
    std::printf("found: %lld of %d (target: under 3 s)\n", static_cast<long long>(found), n);
    std::printf("peak memory: %.1f MB, %.1f MB before the read (target: under 300 MB)\n", peak, peakBefore);
    const bool pass = parsed == n && found == n && list.wall < 3000.0 && peak < 300.0;

    if (!folder.isEmpty()) {
        QString root = folder;
        cheqora::ensureTrailingSeparator(root);
        cheqora::ScanList walked;
        cheqora::DigestFieldTexts walkedTexts;
        const cheqora::DigestField none = walkedTexts.fieldForText(QStringLiteral("not read"), cheqora::DigestField::Failed);
        watch.lap();
        walk(root, root, walked, none);
        walked.sort();
        for (qsizetype i = 0; i < walked.count(); ++i) {
            qsizetype first = 0;
            qsizetype last = 0;
            walked.find(cheqora::foldCase(walked.key(i).toString()), first, last);
        }
        const Lap walkLap = watch.lap();
        const double files = double(walked.count());
        std::printf("plain walk of %s: %.0f files stored, sorted and looked up, nothing read\n", qPrintable(folder), files);
        printLap("walk:", walkLap);
        if (files > 0 && walkLap.cpu > 0) {
            std::printf("ratio list / walk per file: %.2f wall, %.2f processor (%.2f us against %.2f us)\n",
                        (list.wall / n) / (walkLap.wall / files), (list.cpu / n) / (walkLap.cpu / files),
                        list.cpu * 1000.0 / n, walkLap.cpu * 1000.0 / files);
        }
    }
    return pass ? 0 : 1;
}
