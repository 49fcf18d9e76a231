#include "filesystem.h"

#include "textcodec.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A path with a NUL character would reach the system as a shorter path that names something else,
// so it is refused rather than truncated.
bool nativePath(const QString &path, QByteArray &out, FileError &err)
{
    out = encodeName(path);
    if (out.contains('\0')) {
        err.set(ErrBadFileName);
        return false;
    }
    return true;
}

// Opening a folder that is not there is a missing path, not a missing file.
void setFolderError(FileError &err, int errnoValue)
{
    if (errnoValue == ENOENT)
        err.set(ErrPathNotFound);
    else
        setFromErrno(err, errnoValue);
}

// Resolves every folder of a path but the last component one level at a time, for paths longer
// than the system accepts whole; returns a descriptor of the last folder and the last component.
int openParentDeep(const QByteArray &native, QByteArray &last)
{
    const QList<QByteArray> parts = native.split('/');
    int dir = ::open(native.startsWith('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    qsizetype lastIndex = parts.size() - 1;
    while (lastIndex > 0 && parts.at(lastIndex).isEmpty())
        --lastIndex;
    for (qsizetype i = 0; dir >= 0 && i < lastIndex; ++i) {
        if (parts.at(i).isEmpty())
            continue;
        const int next = ::openat(dir, parts.at(i).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        const int saved = errno;
        ::close(dir);
        errno = saved;
        dir = next;
    }
    last = parts.value(lastIndex);
    if (last.isEmpty())
        last = ".";
    return dir;
}

// Runs op (a call relative to a folder descriptor) on a path; a path longer than the system accepts
// whole is taken as its last component relative to its folder, reached one level at a time.
template <typename Op>
int onDeepPath(const QByteArray &native, Op op)
{
    const int rc = op(AT_FDCWD, native.constData());
    if (rc >= 0 || errno != ENAMETOOLONG)
        return rc;
    QByteArray last;
    const int dir = openParentDeep(native, last);
    if (dir < 0)
        return -1;
    const int out = op(dir, last.constData());
    const int saved = errno;
    ::close(dir);
    errno = saved;
    return out;
}

int openNative(const QByteArray &native, int flags, mode_t mode = 0)
{
    return onDeepPath(native, [&](int dir, const char *path) { return ::openat(dir, path, flags, mode); });
}

int statNative(const QByteArray &native, struct stat *st)
{
    return onDeepPath(native, [&](int dir, const char *path) { return ::fstatat(dir, path, st, 0); });
}

// A name that is not there is a missing file when its folder exists, else a missing path.
void setPathError(FileError &err, int errnoValue, const QByteArray &native)
{
    if (errnoValue == ENOENT) {
        const qsizetype slash = native.lastIndexOf('/', native.endsWith('/') ? native.size() - 2 : -1);
        struct stat st;
        if (slash > 0 && (statNative(native.left(slash), &st) != 0 || !S_ISDIR(st.st_mode))) {
            err.set(ErrPathNotFound);
            return;
        }
    }
    setFromErrno(err, errnoValue);
}

// Counting and listing stop at the same entries: "." and "..".
bool isDotEntry(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

void fillStat(const struct stat &st, FileStat &out)
{
    if (S_ISREG(st.st_mode))
        out.kind = EntryKind::File;
    else if (S_ISDIR(st.st_mode))
        out.kind = EntryKind::Folder;
    else
        out.kind = EntryKind::Special;
    out.length = out.kind == EntryKind::Folder ? 0 : qint64(st.st_size);
    out.modifiedSecs = qint64(st.st_mtim.tv_sec);
    out.modifiedNsecs = qint64(st.st_mtim.tv_nsec);
    out.device = quint64(st.st_dev);
    out.inode = quint64(st.st_ino);
}

// 0 when all was written, else the errno of the write that failed.
int writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= n;
    }
    return 0;
}

// The mode any newly created file gets.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

struct DateTimeFormats {
    QString date;
    QString time;
};

// The locale's short date with the year widened to four digits, and its short time with seconds
// added; any time-zone field is dropped.
DateTimeFormats computeFormats()
{
    const QLocale locale = QLocale::system();
    DateTimeFormats f;
    f.date = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression years(QStringLiteral("y+"));
    f.date.replace(years, QStringLiteral("yyyy"));
    // Report columns expect a numeric date without blanks; locales whose short date spells the month
    // (the C locale's "d MMM yyyy") get the ISO form instead.
    if (f.date.contains(u' ') || f.date.contains(QStringLiteral("MMM")))
        f.date = QStringLiteral("yyyy-MM-dd");

    QString time = locale.timeFormat(QLocale::ShortFormat);
    static const QRegularExpression zone(QStringLiteral("\\s*t+"));
    time.remove(zone);
    if (!time.contains(u's')) {
        const qsizetype minutes = time.indexOf(QStringLiteral("mm"));
        if (minutes > 0) {
            const QChar separator = time.at(minutes - 1);
            const QString seconds = QString(separator.isLetter() ? QChar(u':') : separator) + QStringLiteral("ss");
            time.insert(minutes + 2, seconds);
        } else {
            time = QStringLiteral("HH:mm:ss");
        }
    }
    f.time = time.trimmed();
    return f;
}

const DateTimeFormats &formats()
{
    static const DateTimeFormats f = computeFormats();
    return f;
}

} // namespace

QDateTime FileStat::modified() const
{
    return QDateTime::fromSecsSinceEpoch(modifiedSecs);
}

bool statPath(const QString &path, FileStat &out, FileError &err)
{
    out = FileStat();
    if (path.isEmpty()) {
        err.set(ErrFileNotFound);
        return false;
    }
    QByteArray native;
    if (!nativePath(path, native, err))
        return false;
    struct stat st;
    if (statNative(native, &st) != 0) {
        setPathError(err, errno, native);
        return false;
    }
    fillStat(st, out);
    return true;
}

bool fileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    FileStat st;
    FileError err;
    return statPath(path, st, err) && st.kind != EntryKind::Folder;
}

bool folderExists(const QString &path)
{
    const QString trimmed = path.trimmed();
    if (trimmed.isEmpty())
        return false;
    FileStat st;
    FileError err;
    return statPath(trimmed, st, err) && st.kind == EntryKind::Folder;
}

qint64 fileLength(const QString &path, FileError &err)
{
    FileStat st;
    if (!statPath(path, st, err))
        return -1;
    return st.length;
}

QDateTime lastModified(const QString &path, FileError &err)
{
    FileStat st;
    if (!statPath(path, st, err))
        return QDateTime();
    return st.modified();
}

QString dateTimeText(const QDateTime &when)
{
    const QLocale locale = QLocale::system();
    const QDateTime local = when.toLocalTime();
    return locale.toString(local.date(), formats().date) + u' ' + locale.toString(local.time(), formats().time);
}

QString groupedNumber(qint64 value)
{
    return QLocale::system().toString(value);
}

QString groupedDecimal2(double value)
{
    return QLocale::system().toString(value, 'f', 2);
}

FolderHandle::~FolderHandle()
{
    close();
}

void FolderHandle::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool FolderHandle::finishOpen(int fd, FileError &err)
{
    if (fd < 0) {
        setFolderError(err, errno);
        return false;
    }
    // Looking up "." needs the right to search the folder: a folder that can be listed but not
    // searched fails here, rather than listing names that cannot be examined.
    struct stat st;
    if (::fstatat(fd, ".", &st, 0) != 0) {
        setFromErrno(err, errno);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_id = FileId{quint64(st.st_dev), quint64(st.st_ino)};
    return true;
}

bool FolderHandle::open(const QString &path, FileError &err)
{
    close();
    QByteArray native;
    if (path.isEmpty()) {
        err.set(ErrPathNotFound);
        return false;
    }
    if (!nativePath(path, native, err))
        return false;
    return finishOpen(openNative(native, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK), err);
}

bool FolderHandle::openIn(const FolderHandle &parent, const QString &name, FileError &err)
{
    close();
    QByteArray native;
    if (!nativePath(name, native, err))
        return false;
    return finishOpen(::openat(parent.fd(), native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK), err);
}

bool listFolder(const QString &path, FolderListing &out, FileError &err, bool examineFiles)
{
    out = FolderListing();
    FolderHandle folder;
    return folder.open(path, err) && listFolder(folder, out, err, examineFiles);
}

bool listFolder(const FolderHandle &folder, FolderListing &out, FileError &err, bool examineFiles)
{
    out = FolderListing();
    // The listing reads through a descriptor of its own, so the folder's stays usable for opening.
    const int listFd = ::openat(folder.fd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!dir) {
        setFolderError(err, errno);
        if (listFd >= 0)
            ::close(listFd);
        return false;
    }
    const int dirFd = folder.fd();
    struct Keyed {
        QString folded;
        DirEntry entry;
    };
    QVector<Keyed> files;
    QVector<Keyed> folders;
    int readErr = 0;
    for (;;) {
        // readdir reports an error only through errno, and the fstatat of a skipped entry leaves one
        // behind, so errno is cleared before every call.
        errno = 0;
        const struct dirent *d = ::readdir(dir);
        if (!d) {
            readErr = errno;
            break;
        }
        const char *name = d->d_name;
        if (isDotEntry(name))
            continue;
        Keyed k;
        struct stat st;
        if (!examineFiles && d->d_type == DT_REG) {
            k.entry.stat.kind = EntryKind::File;
            k.entry.examined = false;
        } else if (::fstatat(dirFd, name, &st, 0) != 0) {
            const int statErr = errno;
            // Vanished, or a dangling link: nothing is there to compare.
            if (statErr == ENOENT)
                continue;
            k.entry.error = fileErrorFromErrno(statErr);
        } else {
            fillStat(st, k.entry.stat);
        }
        k.entry.name = decodeName(QByteArray(name));
        k.folded = k.entry.name.toLower();
        if (k.entry.stat.kind == EntryKind::Folder)
            folders.append(std::move(k));
        else
            files.append(std::move(k));
    }
    ::closedir(dir);
    if (readErr != 0) {
        setFromErrno(err, readErr);
        return false;
    }
    const auto byName = [](const Keyed &a, const Keyed &b) {
        const int c = QString::compare(a.folded, b.folded, Qt::CaseSensitive);
        if (c != 0)
            return c < 0;
        return QString::compare(a.entry.name, b.entry.name, Qt::CaseSensitive) < 0;
    };
    std::sort(files.begin(), files.end(), byName);
    std::sort(folders.begin(), folders.end(), byName);
    out.files.reserve(files.size());
    for (Keyed &k : files)
        out.files.append(std::move(k.entry));
    out.subfolders.reserve(folders.size());
    for (Keyed &k : folders)
        out.subfolders.append(std::move(k.entry));
    return true;
}

bool statIn(const FolderHandle &folder, const QString &name, FileStat &out, FileError &err)
{
    out = FileStat();
    QByteArray native;
    if (!nativePath(name, native, err))
        return false;
    struct stat st;
    if (::fstatat(folder.fd(), native.constData(), &st, 0) != 0) {
        setFromErrno(err, errno);
        return false;
    }
    fillStat(st, out);
    return true;
}

QVector<FileId> folderAncestry(const QString &path)
{
    QVector<FileId> chain;
    QByteArray native;
    FileError err;
    if (path.trimmed().isEmpty() || !nativePath(path.trimmed(), native, err))
        return chain;
    // ".." of an open folder is its real parent, whatever links the path went through.
    int fd = openNative(native, O_PATH | O_DIRECTORY | O_CLOEXEC);
    while (fd >= 0) {
        struct stat st;
        if (::fstat(fd, &st) != 0)
            break;
        const FileId id{quint64(st.st_dev), quint64(st.st_ino)};
        if (!chain.isEmpty() && chain.constLast() == id)
            break; // the root is its own parent
        chain.append(id);
        const int up = ::openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = up;
    }
    if (fd >= 0)
        ::close(fd);
    return chain;
}

void raiseOpenFileLimit()
{
    struct rlimit lim;
    if (::getrlimit(RLIMIT_NOFILE, &lim) == 0 && lim.rlim_cur < lim.rlim_max) {
        lim.rlim_cur = lim.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &lim);
    }
}

namespace {

// Counts subfolders up to limit: a caller that only asks whether there is one stops at the first.
int countSubfolders(const QString &path, int limit, FileError &err)
{
    if (path.isEmpty()) {
        err.set(ErrPathNotFound);
        return -1;
    }
    QByteArray native;
    if (!nativePath(path, native, err))
        return -1;
    DIR *dir = ::opendir(native.constData());
    if (!dir) {
        setFolderError(err, errno);
        return -1;
    }
    const int dirFd = ::dirfd(dir);
    int count = 0;
    while (count < limit) {
        const struct dirent *d = ::readdir(dir);
        if (!d)
            break;
        const char *name = d->d_name;
        if (isDotEntry(name))
            continue;
        if (d->d_type == DT_DIR) {
            ++count;
            continue;
        }
        if (d->d_type != DT_LNK && d->d_type != DT_UNKNOWN)
            continue;
        struct stat st;
        if (::fstatat(dirFd, name, &st, 0) == 0 && S_ISDIR(st.st_mode))
            ++count;
    }
    ::closedir(dir);
    return count;
}

} // namespace

int hasSubfolder(const QString &path, FileError &err)
{
    return countSubfolders(path, 1, err);
}

bool createFolder(const QString &path, FileError &err)
{
    QByteArray native;
    if (!nativePath(path, native, err))
        return false;
    if (::mkdir(native.constData(), 0777) != 0) {
        setFromErrno(err, errno);
        return false;
    }
    return true;
}

bool deleteFile(const QString &path, FileError &err)
{
    QByteArray native;
    if (!nativePath(path, native, err))
        return false;
    struct stat st;
    if (::lstat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        err.set(ErrPathFileAccess);
        return false;
    }
    if (::unlink(native.constData()) != 0) {
        setPathError(err, errno, native);
        return false;
    }
    return true;
}

namespace {

// The user's data folder, which holds the home trash.
QString dataHomeFolder()
{
    const char *xdg = ::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/')
        return decodeName(QByteArray(xdg));
    const QString home = homeFolder();
    return home.isEmpty() ? QString() : home + QStringLiteral("/.local/share");
}

// The device of a path, or of the nearest folder above it that exists.
bool deviceOf(QString path, dev_t &device)
{
    struct stat st;
    while (!path.isEmpty()) {
        if (::stat(encodeName(path).constData(), &st) == 0) {
            device = st.st_dev;
            return true;
        }
        path.truncate(qMax<qsizetype>(path.lastIndexOf(u'/'), 0));
    }
    return false;
}

} // namespace

bool moveToTrash(const QString &path, QString &inTrash, FileError &err)
{
    inTrash.clear();
    QByteArray native;
    if (!nativePath(path, native, err))
        return false;
    struct stat file;
    if (::lstat(native.constData(), &file) != 0) {
        setPathError(err, errno, native);
        return false;
    }
    // A file on the home trash's device has no other trash; where that trash cannot be made, Qt 6.4
    // would move the file into "files/" under the working folder instead.
    const QString homeTrash = dataHomeFolder() + QStringLiteral("/Trash");
    dev_t homeDevice = 0;
    const bool onHomeDevice = !dataHomeFolder().isEmpty() && deviceOf(homeTrash, homeDevice) && homeDevice == file.st_dev;
    if (onHomeDevice && !(QDir().mkpath(homeTrash + QStringLiteral("/files")) && QDir().mkpath(homeTrash + QStringLiteral("/info")))) {
        err.set(ErrNoTrash);
        return false;
    }
    QString moved;
    if (!QFile::moveToTrash(path, &moved)) {
        err.set(ErrNoTrash);
        return false;
    }
    // Anything but a place of its own is no trash: the file goes back.
    if (QDir::isRelativePath(moved)) {
        ::rename(encodeName(QDir::current().absoluteFilePath(moved)).constData(), native.constData());
        err.set(ErrNoTrash);
        return false;
    }
    inTrash = moved;
    return true;
}

bool clearFileAttributes(const QString &path, FileError &err)
{
    QByteArray native;
    if (!nativePath(path, native, err))
        return false;
    struct stat st;
    if (::stat(native.constData(), &st) != 0 || ::chmod(native.constData(), (st.st_mode & 07777) | S_IWUSR) != 0) {
        setFromErrno(err, errno);
        return false;
    }
    return true;
}

bool readWholeFile(const QString &path, QByteArray &out, FileError &err)
{
    out.clear();
    QByteArray native;
    if (!nativePath(path, native, err))
        return false;
    const int fd = openNative(native, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        setPathError(err, errno, native);
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        setFromErrno(err, errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        err.set(S_ISDIR(st.st_mode) ? ErrPathFileAccess : ErrNotRegularFile);
        ::close(fd);
        return false;
    }
    // Regular files never block; clear the flag the open used to stay clear of FIFOs.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    out.reserve(qsizetype(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            setFromErrno(err, errno);
            ::close(fd);
            out.clear();
            return false;
        }
        if (n == 0)
            break;
        out.append(buffer, qsizetype(n));
    }
    ::close(fd);
    return true;
}

bool readWholeTextFile(const QString &path, QString &out, FileError &err)
{
    out.clear();
    QByteArray bytes;
    if (!readWholeFile(path, bytes, err))
        return false;
    // Reading all of an empty text file is reading past its end, as callers have always been told.
    if (bytes.isEmpty()) {
        err.set(ErrInputPastEnd);
        return false;
    }
    out = decodeText(bytes);
    return true;
}

bool writeFileAtomically(const QString &path, const QByteArray &data, FileError &err)
{
    QByteArray native;
    if (!nativePath(path, native, err))
        return false;
    if (path.isEmpty()) {
        err.set(ErrPathNotFound);
        return false;
    }
    // The replacement keeps the mode of the file it replaces; a new file gets the mode any other
    // newly created file would (mkstemp alone would make it private to the owner).
    struct stat old;
    const mode_t mode = ::stat(native.constData(), &old) == 0 && S_ISREG(old.st_mode) ? old.st_mode & 07777 : newFileMode();
    QByteArray tmpl = native + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0) {
        setFromErrno(err, errno);
        return false;
    }
    bool ok = true;
    if (::fchmod(fd, mode) != 0) {
        setFromErrno(err, errno);
        ok = false;
    }
    if (const int e = ok ? writeAll(fd, data.constData(), data.size()) : 0) {
        setFromErrno(err, e);
        ok = false;
    }
    if (ok && ::fsync(fd) != 0) {
        setFromErrno(err, errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        setFromErrno(err, errno);
        ok = false;
    }
    if (ok && ::rename(tmpl.constData(), native.constData()) != 0) {
        setFromErrno(err, errno);
        ok = false;
    }
    if (!ok)
        ::unlink(tmpl.constData());
    return ok;
}

QString programFolder()
{
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        return QString();
    QByteArray exe(buffer, qsizetype(n));
    const qsizetype slash = exe.lastIndexOf('/');
    if (slash <= 0)
        return QStringLiteral("/");
    return decodeName(exe.left(slash));
}

QString homeFolder()
{
    const char *home = ::getenv("HOME");
    if (home && *home)
        return decodeName(QByteArray(home));
    if (const struct passwd *pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir)
        return decodeName(QByteArray(pw->pw_dir));
    return QString();
}

QString appDataFolder()
{
    const char *xdg = ::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return decodeName(QByteArray(xdg));
    const QString home = homeFolder();
    if (home.isEmpty())
        return QString();
    return home + QStringLiteral("/.config");
}

BinaryReader::~BinaryReader()
{
    close();
}

constexpr off_t kSequentialAdviceBytes = 1 << 20;

// O_NONBLOCK keeps a FIFO that slipped past the caller's checks from hanging the open.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

bool BinaryReader::open(const QString &path, FileError &err)
{
    close();
    QByteArray native;
    if (!nativePath(path, native, err))
        return false;
    m_fd = openNative(native, kReadFlags);
    if (m_fd < 0) {
        setPathError(err, errno, native);
        return false;
    }
    return finishOpen(err);
}

bool BinaryReader::openIn(const FolderHandle &folder, const QString &name, FileError &err)
{
    close();
    QByteArray native;
    if (!nativePath(name, native, err))
        return false;
    m_fd = ::openat(folder.fd(), native.constData(), kReadFlags);
    if (m_fd < 0) {
        setFromErrno(err, errno);
        return false;
    }
    return finishOpen(err);
}

bool BinaryReader::finishOpen(FileError &err)
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0) {
        setFromErrno(err, errno);
        close();
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        err.set(S_ISDIR(st.st_mode) ? ErrPathFileAccess : ErrNotRegularFile);
        close();
        return false;
    }
    // O_NONBLOCK has no effect on a regular file's reads, so it stays; small files are read in one
    // go, and the read-ahead advice would cost them a call of its own.
    fillStat(st, m_opened);
    if (st.st_size > kSequentialAdviceBytes)
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return true;
}

bool BinaryReader::stat(FileStat &out, FileError &err) const
{
    out = FileStat();
    struct stat st;
    if (::fstat(m_fd, &st) != 0) {
        setFromErrno(err, errno);
        return false;
    }
    fillStat(st, out);
    return true;
}

qint64 BinaryReader::read(char *buffer, qint64 size, FileError &err)
{
    qint64 total = 0;
    // Fill the whole request unless the file ends: callers count on full blocks before the end.
    while (total < size) {
        const ssize_t n = ::read(m_fd, buffer + total, size_t(size - total));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            setFromErrno(err, errno);
            return -1;
        }
        if (n == 0)
            break;
        total += n;
    }
    return total;
}

void BinaryReader::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

TextFileWriter::~TextFileWriter()
{
    FileError ignored;
    close(ignored);
}

bool TextFileWriter::open(const QString &path, FileError &err)
{
    FileError ignored;
    close(ignored);
    m_path = path;
    QByteArray native;
    if (!nativePath(path, native, err))
        return false;
    // Without O_NONBLOCK, opening a FIFO that nobody reads would wait for ever; with it the open
    // fails at once. Writes then go back to blocking.
    m_fd = openNative(native, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (m_fd < 0) {
        const int e = errno;
        FileError located; // its number tells a missing folder from a missing file
        setPathError(located, e, native);
        setWriteError(err, e, path);
        err.number = located.number;
        return false;
    }
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    // Advisory, and not waited for: another writer of the same file is no reason to fail.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    m_buffer.clear();
    m_buffer.reserve(1 << 16);
    return true;
}

void TextFileWriter::adopt(int fd, const QString &path)
{
    FileError ignored;
    close(ignored);
    m_fd = fd;
    m_path = path;
    m_buffer.clear();
    m_buffer.reserve(1 << 16);
}

bool TextFileWriter::failed(FileError &err, int errnoValue) const
{
    setWriteError(err, errnoValue, m_path);
    return false;
}

bool TextFileWriter::write(const QString &text, FileError &err)
{
    if (m_fd < 0)
        return failed(err, EBADF);
    m_buffer.append(encodeText(text));
    if (m_buffer.size() >= (1 << 16))
        return flush(err);
    return true;
}

bool TextFileWriter::flush(FileError &err)
{
    if (m_fd < 0 || m_buffer.isEmpty())
        return true;
    const int e = writeAll(m_fd, m_buffer.constData(), m_buffer.size());
    m_buffer.clear();
    return e == 0 || failed(err, e);
}

bool TextFileWriter::sync(FileError &err)
{
    return flush(err) && (m_fd < 0 || ::fsync(m_fd) == 0 || failed(err, errno));
}

bool TextFileWriter::close(FileError &err)
{
    if (m_fd < 0)
        return true;
    bool ok = flush(err);
    if (::close(m_fd) != 0 && ok)
        ok = failed(err, errno);
    m_fd = -1;
    return ok;
}

bool AtomicTextFileWriter::open(const QString &path, FileError &err)
{
    discard();
    QByteArray native;
    if (!nativePath(path, native, err))
        return false;
    struct stat st;
    if (::lstat(native.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char *target = ::realpath(native.constData(), nullptr)) {
            native = target;
            ::free(target);
        }
    }
    const qsizetype slash = native.lastIndexOf('/');
    m_name = native.mid(slash + 1);
    m_folder = openNative(slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : native.left(slash),
                          O_PATH | O_DIRECTORY | O_CLOEXEC);
    int e = m_folder < 0 ? errno : m_name.isEmpty() ? EISDIR : 0;
    int fd = -1;
    for (int attempt = 0; e == 0 && fd < 0; ++attempt) {
        static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        m_temporary = '.' + m_name + '.';
        for (int i = 0; i < 6; ++i)
            m_temporary += kChars[QRandomGenerator::global()->bounded(int(sizeof kChars) - 1)];
        fd = ::openat(m_folder, m_temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && (errno != EEXIST || attempt == 99))
            e = errno;
    }
    if (fd < 0) {
        m_temporary.clear();
        discard();
        setWriteError(err, e, path);
        return false;
    }
    m_file.adopt(fd, path);
    const bool replaces = ::fstatat(m_folder, m_name.constData(), &st, 0) == 0 && S_ISREG(st.st_mode);
    if (::fchmod(fd, replaces ? st.st_mode & 07777 : newFileMode()) != 0) {
        m_file.failed(err, errno);
        discard();
        return false;
    }
    return true;
}

bool AtomicTextFileWriter::commit(FileError &err)
{
    if (m_temporary.isEmpty())
        return m_file.failed(err, EBADF);
    bool ok = m_file.sync(err) && m_file.close(err);
    if (ok && ::renameat(m_folder, m_temporary.constData(), m_folder, m_name.constData()) != 0)
        ok = m_file.failed(err, errno);
    if (ok)
        m_temporary.clear();
    discard();
    return ok;
}

void AtomicTextFileWriter::discard()
{
    m_file.m_buffer.clear(); // nothing more goes into a file about to be removed
    FileError ignored;
    m_file.close(ignored);
    if (!m_temporary.isEmpty())
        ::unlinkat(m_folder, m_temporary.constData(), 0);
    m_temporary.clear();
    if (m_folder >= 0)
        ::close(m_folder);
    m_folder = -1;
}

// ---------------------------------------------------------------------------------------------
// Start-up tidying of an empty report file

bool isEmptyRegularFile(const QString &path)
{
    QByteArray native;
    FileError err;
    if (!nativePath(path, native, err))
        return false;
    struct stat st;
    return ::lstat(native.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0;
}

bool isLockedByAnother(const QString &path)
{
    QByteArray native;
    FileError err;
    if (!nativePath(path, native, err))
        return true;
    const int fd = openNative(native, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (fd < 0)
        return true;
    // A descriptor of its own: a lock of this process on another descriptor counts as another's. A
    // shared lock is refused only while an exclusive one is held.
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

} // namespace platform
