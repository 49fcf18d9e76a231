#pragma once

// The report of a folder comparison: its header, its entries with the blank lines between them, the
// line limit and the summary. ReportWriter owns the report file; every piece of text goes through one
// write, which counts the lines, notes the line breaks that end the text so far and ends the report
// at the line limit. It counts the entries for the summary but decides nothing: the comparison tells
// it what to write.

#include "compareoptions.h"
#include "filesystem.h"

#include <QString>

#include <functional>

namespace cheqora {

// Report texts write line breaks inside names visibly ("\n", "\r"...), so that each entry stays one
// line.
QString visibleText(const QString &text);

class ReportWriter {
public:
    // What the header says.
    struct Header {
        QString oldFolder; // as entered; a folder with one trailing separator
        QString newFolder;
        CompareMode mode = CompareMode::Changes;
        bool recursive = false;
        DigestAlgorithm algorithm = DigestAlgorithm::Md5; // named below the folders unless MD5
        // Whether either side has a subfolder: asked for the header of changes with subfolders only.
        std::function<bool()> anySubfolder;
    };

    // With limitLines the report ends once it has more than maxLines lines; lineCounted hears the
    // count after each write that counts.
    ReportWriter(const Header &header, bool limitLines, qint64 maxLines, std::function<void(qint64)> lineCounted);

    bool open(const QString &path, QString &error);
    // Flushes and closes; false with error when the report could not be written whole. A report
    // never opened closes without error.
    bool close(QString &error);

    // The entries, each after the header when the report has none yet. walked is the file of the
    // walked folder, record the file it pairs with; the modified file is the walked one, the 1st of
    // an identical pair the walked one.
    void added(const QString &path, const platform::FileStat &st, bool isReport);
    void modified(const QString &walkedPath, const platform::FileStat &walked, const QString &recordPath,
                  const platform::FileStat &record);
    void identical(const QString &walkedPath, const platform::FileStat &walked, const QString &recordPath,
                   const platform::FileStat &record);
    void notCompared(const QString &path, const QString &status);
    void folderNotRead(const QString &path, const QString &status);
    // The removed files follow the walk's entries, without a header of their own.
    void startRemovedEntries();
    void removed(const QString &path);
    // The counts at the end of a report that ran to its end.
    void summary();

    const CompareCounts &counts() const { return m_counts; }
    qint64 lines() const { return m_lines; }
    bool linesExceeded() const { return m_linesExceeded; }
    // A write failed: the report ends there.
    bool failed() const { return m_failed; }
    const QString &error() const { return m_error; }

private:
    void write(const QString &text);
    void fail(const QString &error);
    void ensureHeader();
    void oneLineEntry(const QString &text);
    void pairEntry(const QString &heading, const QString &walkedPath, const platform::FileStat &walked,
                   const QString &recordPath, const platform::FileStat &record, const QString &same);

    Header m_header;
    bool m_limitLines;
    qint64 m_maxLines;
    std::function<void(qint64)> m_lineCounted;
    platform::TextFileWriter m_file;
    CompareCounts m_counts;
    qint64 m_lines = 0;
    int m_trailingBreaks = 0; // line breaks at the end of what was written
    bool m_headerDone = false;
    bool m_oneLineEntries = false; // an added, not-compared or not-read line stands in the report
    bool m_firstRemoved = true;
    bool m_linesExceeded = false;
    bool m_failed = false;
    QString m_error;
};

} // namespace cheqora
