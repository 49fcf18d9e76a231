#include "md5adapter.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace platform {

namespace {
EVP_MD_CTX *evp(void *p) { return static_cast<EVP_MD_CTX *>(p); }
} // namespace

MD5Context::MD5Context()
    : m_ctx(EVP_MD_CTX_new())
{
    if (!m_ctx)
        throw std::bad_alloc();
}

MD5Context::~MD5Context()
{
    EVP_MD_CTX_free(evp(m_ctx));
}

void MD5Init2(MD5Context &context)
{
    if (EVP_DigestInit_ex(evp(context.m_ctx), EVP_md5(), nullptr) != 1)
        throw std::runtime_error("MD5 is not available from libcrypto");
}

void MD5Update2(MD5Context &context, const void *data, quint32 length)
{
    EVP_DigestUpdate(evp(context.m_ctx), data, length);
}

void MD5Final2(unsigned char *digest, MD5Context &context)
{
    unsigned int size = 0;
    EVP_DigestFinal_ex(evp(context.m_ctx), digest, &size);
}

} // namespace platform
