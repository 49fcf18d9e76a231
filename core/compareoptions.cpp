#include "compareoptions.h"

#include <cmath>

namespace cheqora {

qint64 lineLimitFromText(const QString &text)
{
    // The number at the start of the text, blanks ignored, as the field's numeric value.
    QString digits;
    for (const QChar c : text) {
        if (c != u' ')
            digits.append(c);
    }
    qsizetype n = 0;
    if (n < digits.size() && (digits.at(n) == u'+' || digits.at(n) == u'-'))
        ++n;
    bool seenPoint = false;
    while (n < digits.size() && (digits.at(n).isDigit() || (!seenPoint && digits.at(n) == u'.'))) {
        seenPoint = seenPoint || digits.at(n) == u'.';
        ++n;
    }
    bool ok = false;
    const double value = digits.left(n).toDouble(&ok);
    if (!ok)
        return 0;
    const double rounded = std::nearbyint(value); // the default rounding mode takes halves to even
    if (rounded >= 2147483647.0)
        return 2147483647;
    if (rounded <= -2147483648.0)
        return -2147483648LL;
    return qint64(rounded);
}

} // namespace cheqora
