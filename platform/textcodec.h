#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// File names on Linux are byte strings that need not be valid UTF-8. Names are decoded so that every
// byte survives the round trip: a byte that is not part of valid UTF-8 becomes the lone surrogate
// U+DC80 + byte, and encoding turns such a surrogate back into that byte. Text files use the same
// codec, so a name written into a report keeps its own bytes.
QString decodeName(const QByteArray &bytes);
QByteArray encodeName(const QString &text);

inline QString decodeText(const QByteArray &bytes) { return decodeName(bytes); }
inline QByteArray encodeText(const QString &text) { return encodeName(text); }

} // namespace platform
