// Digests one file with digestOfFile and prints the digest text, so that the calling script can time
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
    const cheqora::FileDigest digest = cheqora::digestOfFile(platform::decodeName(QByteArray(argv[1])));
    if (!digest.ok()) {
        std::fprintf(stderr, "bench_digest: status %d %s\n", digest.status,
                     platform::encodeText(digest.statusText).constData());
        return 1;
    }
    std::printf("%s\n", platform::encodeText(digest.hex).constData());
    return 0;
}
