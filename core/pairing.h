#pragma once

// The pairing of the walked files with the reference records. The records come from the side walked
// first (the old folder when changes are compared, the new one for duplicates), are sorted by folded
// path, and each walked file takes the record of its path: the exact path first, else one that
// differs in letter case only. Pairing judges each walked file (added, modified, identical, not
// compared) and, once the walk is over, tells the records no file took (removed, not compared). It
// writes nothing: the comparison turns its verdicts into report entries.

#include "compareoptions.h"
#include "digestfield.h"
#include "scanlist.h"
#include "walksink.h"

#include <QSet>
#include <QString>
#include <QVector>

#include <functional>

namespace cheqora {

class Pairing {
public:
    struct Verdict {
        enum Kind {
            Nothing,     // nothing to report
            Added,       // no record (Changes mode)
            NotCompared, // no digest on one side, or an entry that could not be examined
            Modified,    // a record with another content (Changes mode)
            Identical,   // a record with the same content (Duplicates mode)
        };
        Kind kind = Nothing;
        qsizetype record = -1;   // the record paired with, if any
        bool walkedNamed = true; // NotCompared: the walked file is the one named, else the record
    };

    explicit Pairing(CompareMode mode);

    // ---- The records, from the first walk
    void addRecord(QStringView relativePath, const DigestField &field, const platform::FileStat &st);
    // A folder of the first walk not read (relative path with its trailing separator, "" the root):
    // a walked file below it is not called added.
    void recordFolderNotRead(const QString &relativePath);
    // The records' memory back, when the side they came from failed.
    void release();
    // Sorts the records; walked files are paired from here on.
    void sortRecords();
    const ScanList &records() const { return m_records; }

    // ---- The walked side
    // Tells whether the walked side has a file at exactly this path: a case-only match leaves a
    // record to its exact twin.
    void setExactFileTest(const std::function<bool(QStringView)> &test) { m_walkedHasExactFile = test; }
    // A folder of the walked side not read: the records below it are not called removed.
    void walkedFolderNotRead(const QString &relativePath);
    Verdict judge(const WalkedFile &file);

    // ---- After the walk
    // The records no walked file took, in path order: removed, or not compared when their entry could
    // not be examined. visit returning false ends the run.
    void forEachUnpaired(const std::function<bool(qsizetype record)> &visit) const;

private:
    qsizetype findPair(QStringView relativePath) const;

    CompareMode m_mode;
    ScanList m_records;
    QVector<quint8> m_matched; // 1: taken by a walked file
    // Folders not read on either side, as folded paths relative to their root ("" the root itself).
    QSet<QString> m_recordFoldersNotRead;
    QSet<QString> m_walkedFoldersNotRead;
    std::function<bool(QStringView)> m_walkedHasExactFile;
};

} // namespace cheqora
