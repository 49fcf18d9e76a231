// cheqora-cli check: the files a checksum list names, verified as `sha256sum -c` (or md5sum, sha1sum,
// sha512sum, b2sum) verifies them, relative to the current folder, on worker threads but reported in
// the list's order.
#include "checksumline.h"
#include "cliargs.h"
#include "digestlisttext.h"
#include "digestpipeline.h"
#include "standardoutput.h"
#include "terminalhost.h"
#include "textcodec.h"

#include <cerrno>
#include <cstring>
#include <memory>

namespace cli {
namespace {

using cheqora::DigestAlgorithm;
using cheqora::listtext::ChecksumLine;
using cheqora::listtext::ChecksumLineResult;

// The list's lines, read in large blocks; the last line may lack its line feed.
class LineReader {
public:
    bool open(const QString &path, platform::FileError &err) { return m_in.open(path, err); }
    // False at the end or on an error (err set).
    bool next(QByteArrayView &line, platform::FileError &err)
    {
        for (;;) {
            const qsizetype nl = m_data.indexOf('\n', m_pos);
            if (nl >= 0) {
                line = QByteArrayView(m_data).sliced(m_pos, nl - m_pos);
                m_pos = nl + 1;
                return true;
            }
            if (m_atEnd) {
                if (m_pos >= m_data.size())
                    return false;
                line = QByteArrayView(m_data).sliced(m_pos);
                m_pos = m_data.size();
                return true;
            }
            m_data.remove(0, m_pos);
            m_pos = 0;
            const qsizetype kept = m_data.size();
            m_data.resize(kept + kBlock);
            const qint64 n = m_in.read(m_data.data() + kept, kBlock, err);
            m_data.resize(kept + qMax<qint64>(n, 0));
            if (n < 0)
                return false;
            m_atEnd = n == 0;
        }
    }

private:
    static constexpr qsizetype kBlock = qsizetype(1) << 20;
    platform::BinaryReader m_in;
    QByteArray m_data;
    qsizetype m_pos = 0;
    bool m_atEnd = false;
};

// A name as the coreutils tools show it on stdout: with a line feed in it, escaped and marked by a
// leading "\".
QString shownName(const QByteArray &name)
{
    if (!name.contains('\n'))
        return platform::decodeName(name);
    QByteArray escaped = "\\";
    for (const char c : name)
        escaped += c == '\\' ? QByteArray("\\\\") : c == '\n' ? QByteArray("\\n") : QByteArray(1, c);
    return platform::decodeName(escaped);
}

// A name in a message on stderr, quoted as a shell would need it, as the coreutils tools quote it.
QString quotedName(const QByteArray &name)
{
    static const QByteArray plain = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789,._+:@%/-=^~";
    bool bare = !name.isEmpty() && !name.startsWith('~');
    bool control = false;
    for (const char c : name) {
        bare = bare && plain.contains(c);
        control = control || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    }
    if (bare)
        return platform::decodeName(name);
    if (!control && name.contains('\'') && !name.contains('"') && !name.contains('$') && !name.contains('`')
        && !name.contains('\\'))
        return u'"' + platform::decodeName(name) + u'"';
    QByteArray out = "'";
    for (const char c : name) {
        if (c == '\'') {
            out += "'\\''";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            static const char *const names[] = {"\\a", "\\b", "\\t", "\\n", "\\v", "\\f", "\\r"};
            const bool named = c >= 7 && c <= 13;
            out += "'$'" + (named ? QByteArray(names[c - 7]) : "\\" + QByteArray::number(int(c), 8).rightJustified(3, '0'))
                + "''";
        } else {
            out += c;
        }
    }
    out += '\'';
    // No empty quotes before or after a control character's part.
    if (out.startsWith("''$"))
        out.remove(0, 2);
    if (out.endsWith("'''"))
        out.chop(2);
    return platform::decodeName(out);
}

// The system's words for what kept a file from being read, as the coreutils tools print them.
QString readFailure(int number)
{
    switch (number) {
    case platform::ErrFileNotFound: return platform::systemErrorText(ENOENT);
    case platform::ErrPathNotFound: return platform::systemErrorText(ENOTDIR);
    case platform::ErrPermissionDenied: return platform::systemErrorText(EACCES);
    case platform::ErrDeviceIO: return platform::systemErrorText(EIO);
    default: return platform::fileErrorDescription(number);
    }
}

QString counted(qint64 n, const char *one, const char *many)
{
    return QString::number(n) + u' ' + QLatin1String(n == 1 ? one : many);
}

// What the list's first telling line says its algorithm is: a "#: algorithm" line of this program's
// lists, a tag, or a digest's length. False with a message when 128-digit lines leave it open.
bool listAlgorithm(const QString &path, DigestAlgorithm &out, QString &message)
{
    LineReader in;
    platform::FileError err;
    if (!in.open(path, err))
        return true; // the check itself says why
    QByteArrayView line;
    QByteArray buffer;
    bool undecided = false;
    while (in.next(line, err)) {
        if (line.startsWith("#: algorithm ") && cheqora::algorithmFromName(QString::fromLatin1(line.sliced(13)).trimmed(), out))
            return true;
        ChecksumLine parsed;
        if (line.startsWith('#') || parseChecksumLine(line, parsed, buffer) != ChecksumLineResult::Ok)
            continue;
        if (parsed.tagged ? cheqora::algorithmFromTag(QString::fromLatin1(parsed.tag), out)
                          : cheqora::listtext::algorithmOfLength(parsed.digits, out))
            return true;
        undecided = undecided || (!parsed.tagged && parsed.digits == 128);
    }
    if (undecided)
        message = path + QStringLiteral(": its digests of 128 hexadecimal digits are SHA-512 or BLAKE2b; name the "
                                        "algorithm with --algorithm sha512 or --algorithm blake2b.");
    return !undecided;
}

// One line to verify, and what became of it.
struct Entry {
    QByteArray name;
    std::array<quint8, 64> expected;
    platform::FileStat st;
    int failure = 0; // a file-layer error number; 0 when the file is there to digest
    bool queued = false;
    cheqora::FileDigest result;
};

class Check {
public:
    Check(const Arguments &args, DigestAlgorithm algorithm)
        : m_args(args), m_algorithm(algorithm), m_pipeline(args.jobs, algorithm)
    {
    }

    int run(const QString &listPath)
    {
        LineReader in;
        platform::FileError err;
        if (!in.open(listPath, err))
            return listFailed(listPath, err);
        QByteArrayView line;
        QByteArray buffer;
        const QString tag = cheqora::algorithmTag(m_algorithm);
        while (in.next(line, err) && !g_interrupted.load()) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.trimmed().isEmpty() || line.startsWith('#'))
                continue;
            ChecksumLine parsed;
            if (parseChecksumLine(line, parsed, buffer) != ChecksumLineResult::Ok
                || parsed.digits != cheqora::digestHexLength(m_algorithm)
                || (parsed.tagged && QString::fromLatin1(parsed.tag) != tag)) {
                ++m_badLines;
                continue;
            }
            ++m_goodLines;
            add(parsed);
            if (m_entries.size() >= kBatch)
                verifyBatch();
        }
        if (err.isSet())
            return listFailed(listPath, err);
        verifyBatch();
        if (g_interrupted.load())
            return interruptedStatus();
        return summary(listPath);
    }

private:
    static constexpr qsizetype kBatch = 512;

    void add(const ChecksumLine &parsed)
    {
        Entry e{parsed.name.toByteArray(), parsed.digest, {}, 0, false, {}};
        platform::FileError err;
        if (!platform::statPath(platform::decodeName(e.name), e.st, err))
            e.failure = err.number;
        else if (e.st.kind == platform::EntryKind::Folder)
            e.failure = -1; // read as a file, a folder fails with EISDIR
        else if (e.st.kind != platform::EntryKind::File)
            e.failure = platform::ErrNotRegularFile;
        // Missing files are left out with --ignore-missing, as if the list did not name them.
        if (m_args.ignoreMissing && e.failure == platform::ErrFileNotFound)
            return;
        e.queued = e.failure == 0 && e.st.length > 0;
        m_entries.push_back(std::move(e));
    }

    // Digests the batch's files on the workers, then reports the batch in the list's order.
    void verifyBatch()
    {
        QVector<cheqora::DigestPipeline::File> files;
        for (const Entry &e : m_entries) {
            if (e.queued)
                files.append({platform::decodeName(e.name), e.st});
        }
        qsizetype submitted = 0, taken = 0;
        std::deque<cheqora::ListedFileDigest> done;
        std::vector<cheqora::FileDigest> results;
        while (taken < files.size() && !g_interrupted.load()) {
            if (submitted < files.size()) {
                const qsizetype n = m_pipeline.room(files, submitted);
                m_pipeline.submit(files, submitted, n, nullptr);
                submitted += n;
            }
            if (m_pipeline.takeDone(50, done)) {
                taken += qsizetype(done.size());
                for (const cheqora::ListedFileDigest &d : done)
                    results.push_back(d.digest);
                done.clear();
            }
        }
        if (g_interrupted.load()) {
            m_pipeline.stop();
            m_entries.clear();
            return;
        }
        size_t next = 0;
        for (Entry &e : m_entries) {
            if (e.queued)
                e.result = results[next++];
            report(e);
        }
        m_entries.clear();
    }

    void report(const Entry &e)
    {
        const int length = cheqora::digestByteLength(m_algorithm);
        bool matches = false;
        int failure = e.failure;
        if (failure == 0 && !e.queued) {
            matches = std::memcmp(e.expected.data(), cheqora::listtext::emptyDigest(m_algorithm), size_t(length)) == 0;
        } else if (failure == 0 && e.result.ok()) {
            const QByteArray expected = QByteArray(reinterpret_cast<const char *>(e.expected.data()), length).toHex();
            matches = e.result.hex.compare(QLatin1String(expected), Qt::CaseInsensitive) == 0;
        } else if (failure == 0) {
            failure = e.result.status;
        }
        const QString name = shownName(e.name);
        if (failure != 0) {
            ++m_unread;
            const QString why = failure == -1 ? platform::systemErrorText(EISDIR)
                : failure == platform::ErrDigestUnavailable ? e.result.statusText
                                                            : readFailure(failure);
            writeText(stderr, QStringLiteral("cheqora-cli: ") + quotedName(e.name) + QStringLiteral(": ") + why + u'\n');
            writeOut(name + QStringLiteral(": FAILED open or read\n"));
            return;
        }
        ++m_verified;
        if (!matches) {
            ++m_mismatched;
            writeOut(name + QStringLiteral(": FAILED\n"));
        } else if (!m_args.quiet) {
            writeOut(name + QStringLiteral(": OK\n"));
        }
    }

    int listFailed(const QString &listPath, const platform::FileError &err)
    {
        writeText(stderr, QStringLiteral("cheqora-cli: ") + quotedName(platform::encodeName(listPath)) + QStringLiteral(": ")
                              + readFailure(err.number) + u'\n');
        return 1;
    }

    int summary(const QString &listPath)
    {
        const QString me = QStringLiteral("cheqora-cli: ");
        if (m_goodLines == 0) {
            writeText(stderr, me + listPath + QStringLiteral(": no properly formatted checksum lines found\n"));
            return 1;
        }
        if (m_badLines > 0)
            writeText(stderr, me + QStringLiteral("WARNING: ")
                                  + counted(m_badLines, "line is improperly formatted", "lines are improperly formatted") + u'\n');
        if (m_unread > 0)
            writeText(stderr, me + QStringLiteral("WARNING: ")
                                  + counted(m_unread, "listed file could not be read", "listed files could not be read") + u'\n');
        if (m_mismatched > 0)
            writeText(stderr, me + QStringLiteral("WARNING: ")
                                  + counted(m_mismatched, "computed checksum did NOT match", "computed checksums did NOT match")
                                  + u'\n');
        if (m_args.ignoreMissing && m_verified == 0 && m_unread == 0) {
            writeText(stderr, me + listPath + QStringLiteral(": no file was verified\n"));
            return 1;
        }
        const bool failed = m_unread > 0 || m_mismatched > 0 || (m_args.strict && m_badLines > 0);
        return failed ? 1 : 0;
    }

    const Arguments &m_args;
    DigestAlgorithm m_algorithm;
    cheqora::DigestPipeline m_pipeline;
    std::vector<Entry> m_entries; // the batch being verified
    qint64 m_goodLines = 0;
    qint64 m_badLines = 0;
    qint64 m_verified = 0;
    qint64 m_unread = 0;
    qint64 m_mismatched = 0;
};

} // namespace

// Exit status as `sha256sum -c` gives it: 0 every file named matched, 1 otherwise; 2 when the
// algorithm cannot be told or libcrypto refuses it, or stdout could not be written; 128 + the signal
// when interrupted.
int checkCommand(Arguments &args)
{
    const QString listPath = args.files.constFirst();
    DigestAlgorithm algorithm = args.options.algorithm.value_or(DigestAlgorithm::Md5);
    QString message;
    if (!args.options.algorithm && !listAlgorithm(listPath, algorithm, message)) {
        writeText(stderr, QStringLiteral("cheqora-cli: ") + message + u'\n');
        return 2;
    }
    if (!cheqora::digestAvailable(algorithm)) {
        writeText(stderr, QStringLiteral("cheqora-cli: ") + cheqora::algorithmTitle(algorithm)
                              + QStringLiteral(" is not available in this system's cryptographic library.\n"));
        return 2;
    }
    Check check(args, algorithm);
    return check.run(listPath);
}

} // namespace cli
