#pragma once

// What every fuzz target shares: a property that must hold, and inputs handed to parsers that read files.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace fuzz {

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A broken property is a finding: libFuzzer keeps the input that broke it.
inline void check(bool holds, const char *what, const QString &detail = QString())
{
    if (holds)
        return;
    std::fprintf(stderr, "PROPERTY BROKEN: %s%s%s\n", what, detail.isEmpty() ? "" : ": ", qPrintable(detail));
    std::abort();
}

// The bytes as a file of that name in a folder kept for the whole run; plain calls, as a buffered
// QFile costs more than most parses.
inline QString scratchFile(const QString &name, const QByteArray &bytes)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const bool written = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    check(dir.isValid() && written && ::close(fd) == 0, "cannot write the scratch file", path);
    return path;
}

} // namespace fuzz
