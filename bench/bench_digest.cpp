// Digests one file with GetDSOfFile and prints the digest text, so that the calling script can time
// the whole run the same way it times md5sum and check that both agree.
#include "digest.h"
#include "textcodec.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: bench_digest FILE\n", stderr);
        return 2;
    }
    int status = 0;
    QString statusText;
    const QString digest = cheqora::GetDSOfFile(platform::decodeName(QByteArray(argv[1])), status, statusText);
    if (status != 0) {
        std::fprintf(stderr, "bench_digest: status %d %s\n", status,
                     platform::encodeText(statusText).constData());
        return 1;
    }
    std::printf("%s\n", platform::encodeText(digest).constData());
    return 0;
}
