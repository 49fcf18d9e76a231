#pragma once

// A digest list standing in for a folder: its entries handed to a WalkSink as the walk of that folder
// with the same filter would have handed them over (see listRecordOf). The list is either read whole
// first and walked later (the side walked against the records, read before anything else so that a
// list that cannot stand in for its folder is refused before any walk), or handed over as it is read
// (the side the records come from).

#include "digestfield.h"
#include "digestlist.h"
#include "filefilter.h"
#include "walkhost.h"
#include "walksink.h"

#include <QSet>
#include <QString>

namespace cheqora {

class ListWalk {
public:
    // algorithm, when given, is the one the list must have.
    ListWalk(WalkHost &host, DigestFieldTexts &texts, const WalkFilter &filter, const DigestAlgorithm *algorithm = nullptr);

    // Reads the whole list; sink hears only progress and is asked whether to go on. False with error
    // set when the list cannot be read or cannot stand in for its folder with this filter; false with
    // error empty on a stop.
    bool load(const QString &listPath, WalkSink &sink, QString &error);
    // Walks the list loaded.
    void replay(WalkSink &sink);
    // Reads the list and hands its entries over at once, as load() fails. The list's folder is known
    // only once the whole list is read: the files handed over have their paths below it alone (a
    // root length of 0); its folders not read come last, with their full paths.
    bool stream(const QString &listPath, WalkSink &sink, QString &error);

    // The folder the list's paths are relative to, with one trailing separator.
    const QString &folder() const { return m_folder; }
    // Whether any entry of the list says that its folder has a subfolder.
    bool namesSubfolders() const { return m_namesSubfolders; }
    // Whether the loaded list has an entry at exactly this path.
    bool hasExactFile(QStringView relativePath);

private:
    bool fits(const QString &listPath, const DigestListHeader &header, QString &error) const;

    WalkHost &m_host;
    DigestFieldTexts &m_texts;
    WalkFilter m_filter;
    const DigestAlgorithm *m_algorithm;
    DigestList m_list;
    QString m_folder;
    bool m_namesSubfolders = false;
    QSet<QString> m_paths; // the loaded list's paths, made when first asked for
};

} // namespace cheqora
