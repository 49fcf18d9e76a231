#pragma once

// What a walk hands over, in walk order: the seam between a walk (TreeWalk, ListWalk) and whatever
// takes its files (the comparison's records, its pairing, the list command).

#include "digestfield.h"
#include "filesystem.h"

#include <QString>
#include <QStringView>

namespace cheqora {

// A file as a walk hands it over.
struct WalkedFile {
    QString path;         // the root, then the path below it
    qsizetype rootLength; // where the path below the root starts
    platform::FileStat stat;
    DigestField field;     // the digest, or why there is none
    bool isReport = false; // the report being written, walked as a file of the folder

    QStringView relativePath() const { return QStringView(path).mid(rootLength); }
};

// Where a walk hands what it meets, in walk order.
class WalkSink {
public:
    virtual ~WalkSink() = default;
    virtual void file(const WalkedFile &file) = 0;
    // A subfolder the walk went into, below the root, without a trailing separator.
    virtual void folderEntered(const QString &) {}
    // A folder the walk could not read, the root or one below it. path and relativePath end in a
    // separator (relativePath is "" for the root); status says why.
    virtual void folderNotRead(const QString &path, const QString &relativePath, const QString &status) = 0;
    // The walk moves on: a folder reached, or another few thousand entries of a list.
    virtual void progressed() {}
    // Asked between files and folders and while a digest is waited for: true ends the walk.
    virtual bool mustEnd() const = 0;
};

} // namespace cheqora
