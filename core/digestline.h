#pragma once

#include <QString>

namespace cheqora {

// The one-line description of a file that the digest panel copies and the command line prints:
// caption (digest or status text), two blanks, path, ",", length, " bytes (", kilobytes with two
// decimals, " KB), ", date and time. False, with out empty, when the file cannot be examined.
bool BuildDigestLine(const QString &strCaption, const QString &strPath, QString &out);

} // namespace cheqora
