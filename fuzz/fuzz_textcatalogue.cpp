// The text catalogue: a load's result is the number of texts it took, none longer than a text may be
// or than the file; the same file stretched past 1 MiB is refused without a text taken.
#include "fuzzcheck.h"
#include "textcatalogue.h"

#include <bitset>

using namespace platform::toolbelt;

namespace {

// The texts loaded now, asked by every number the file could give one: a run of at most five digits.
int textsTaken(const QByteArray &bytes)
{
    std::bitset<kMaxTextNumber + 1> asked;
    int taken = 0;
    QChar text[kMaxTextLength + 1];
    for (qsizetype i = 0; i < bytes.size();) {
        qsizetype end = i;
        while (end < bytes.size() && bytes[end] >= '0' && bytes[end] <= '9')
            ++end;
        const int number = end > i && end - i <= 5 ? bytes.mid(i, end - i).toInt() : -1;
        i = qMax(end, i + 1);
        if (number < 0 || number > kMaxTextNumber || asked[size_t(number)])
            continue;
        asked[size_t(number)] = true;
        const int length = catalogueText(number, 0, text, kMaxTextLength + 1, 1);
        fuzz::check(length <= kMaxTextLength && length <= bytes.size(), "a text too long", QString::number(number));
        taken += length > 0 ? 1 : 0;
    }
    return taken;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QString path = fuzz::scratchFile(QStringLiteral("chqr.dat"), bytes);
    const int result = loadCatalogue(path, 0);
    fuzz::check(textsTaken(bytes) == qMax(result, 0), "the result is not the number of texts taken",
                QString::number(result));

    fuzz::check(QFile::resize(path, (qint64(1) << 20) + 1), "cannot stretch the file", path);
    const int stretched = loadCatalogue(path, 0);
    fuzz::check(stretched == LtTooMuchText && textsTaken(bytes) == 0, "a file over 1 MiB was read",
                QString::number(stretched));
    return 0;
}
