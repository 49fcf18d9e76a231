#include "digestcontext.h"

#include <openssl/evp.h>

namespace platform {

namespace {

EVP_MD_CTX *evp(void *p) { return static_cast<EVP_MD_CTX *>(p); }

// Each function fetched once per process: an init with a fetched EVP_MD reuses the provider's state,
// where a legacy EVP_md5() would be looked up again on every small file. Null when the running
// configuration refuses the function. Never freed: the program uses them to its end.
const EVP_MD *fetched(HashFunction function)
{
    static const EVP_MD *const table[] = {
        EVP_MD_fetch(nullptr, "MD5", nullptr),    EVP_MD_fetch(nullptr, "SHA1", nullptr),
        EVP_MD_fetch(nullptr, "SHA256", nullptr), EVP_MD_fetch(nullptr, "SHA512", nullptr),
        EVP_MD_fetch(nullptr, "BLAKE2B-512", nullptr),
    };
    const auto i = size_t(function);
    return i < sizeof table / sizeof table[0] ? table[i] : nullptr;
}

} // namespace

// A context that libcrypto could not make leaves every call failing.
DigestContext::DigestContext()
    : m_ctx(EVP_MD_CTX_new())
{
}

DigestContext::~DigestContext()
{
    EVP_MD_CTX_free(evp(m_ctx));
}

bool digestInit(DigestContext &context, HashFunction function)
{
    const EVP_MD *md = fetched(function);
    return context.m_ctx && md && EVP_DigestInit_ex2(evp(context.m_ctx), md, nullptr) == 1;
}

bool digestUpdate(DigestContext &context, const void *data, quint32 length)
{
    return context.m_ctx && EVP_DigestUpdate(evp(context.m_ctx), data, length) == 1;
}

int digestFinal(unsigned char *digest, DigestContext &context)
{
    unsigned int size = 0;
    if (!context.m_ctx || EVP_MD_CTX_get0_md(evp(context.m_ctx)) == nullptr
        || EVP_MD_get_size(EVP_MD_CTX_get0_md(evp(context.m_ctx))) > kMaxDigestBytes
        || EVP_DigestFinal_ex(evp(context.m_ctx), digest, &size) != 1)
        return 0;
    return int(size);
}

} // namespace platform
