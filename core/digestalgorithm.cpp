#include "digestalgorithm.h"

namespace cheqora {

namespace {

struct AlgorithmInfo {
    const char *name;
    const char *tag;
    const char *title;
    const char *tool;
    int hexLength;
};

// In the order of the enum.
constexpr AlgorithmInfo kInfo[] = {
    {"md5", "MD5", "MD5", "md5sum", 32},
    {"sha1", "SHA1", "SHA-1", "sha1sum", 40},
    {"sha256", "SHA256", "SHA-256", "sha256sum", 64},
    {"sha512", "SHA512", "SHA-512", "sha512sum", 128},
    {"blake2b", "BLAKE2b", "BLAKE2b", "b2sum", 128},
};

const AlgorithmInfo &info(DigestAlgorithm algorithm)
{
    return kInfo[size_t(algorithm)];
}

} // namespace

QList<DigestAlgorithm> allAlgorithms()
{
    return {DigestAlgorithm::Md5, DigestAlgorithm::Sha1, DigestAlgorithm::Sha256, DigestAlgorithm::Sha512,
            DigestAlgorithm::Blake2b};
}

QString algorithmName(DigestAlgorithm algorithm)
{
    return QLatin1String(info(algorithm).name);
}

bool algorithmFromName(const QString &name, DigestAlgorithm &out)
{
    for (DigestAlgorithm a : allAlgorithms()) {
        if (name.compare(QLatin1String(info(a).name), Qt::CaseInsensitive) == 0) {
            out = a;
            return true;
        }
    }
    return false;
}

QString algorithmTag(DigestAlgorithm algorithm)
{
    return QLatin1String(info(algorithm).tag);
}

bool algorithmFromTag(const QString &tag, DigestAlgorithm &out)
{
    for (DigestAlgorithm a : allAlgorithms()) {
        if (tag == QLatin1String(info(a).tag)) {
            out = a;
            return true;
        }
    }
    return false;
}

QString algorithmTitle(DigestAlgorithm algorithm)
{
    return QLatin1String(info(algorithm).title);
}

int digestHexLength(DigestAlgorithm algorithm)
{
    return info(algorithm).hexLength;
}

QString algorithmTool(DigestAlgorithm algorithm)
{
    return QLatin1String(info(algorithm).tool);
}

} // namespace cheqora
