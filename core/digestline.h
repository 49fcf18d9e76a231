#pragma once

#include <QString>

namespace cheqora {

// The one-line description of a file that the digest panel copies and the command line prints:
// caption (digest or status text), two blanks, path, ",", length, " bytes (", kilobytes with two
// decimals, " KB), ", date and time. "" when the file cannot be examined.
QString digestLine(const QString &caption, const QString &path);

} // namespace cheqora
