#include "md5adapter.h"

#include <openssl/evp.h>

namespace platform {

namespace {
EVP_MD_CTX *evp(void *p) { return static_cast<EVP_MD_CTX *>(p); }
} // namespace

// A context that libcrypto could not make leaves every call false.
MD5Context::MD5Context()
    : m_ctx(EVP_MD_CTX_new())
{
}

MD5Context::~MD5Context()
{
    EVP_MD_CTX_free(evp(m_ctx));
}

bool md5Init(MD5Context &context)
{
    return context.m_ctx && EVP_DigestInit_ex(evp(context.m_ctx), EVP_md5(), nullptr) == 1;
}

bool md5Update(MD5Context &context, const void *data, quint32 length)
{
    return context.m_ctx && EVP_DigestUpdate(evp(context.m_ctx), data, length) == 1;
}

bool md5Final(unsigned char *digest, MD5Context &context)
{
    unsigned int size = 0;
    return context.m_ctx && EVP_DigestFinal_ex(evp(context.m_ctx), digest, &size) == 1 && size == 16;
}

} // namespace platform
