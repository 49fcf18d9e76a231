#pragma once

#include <QtGlobal>

namespace platform {

// The three-call MD5 interface the digest engine drives, backed by OpenSSL's libcrypto.
// The context owns its libcrypto state; one context can be reused for any number of digests.
class MD5Context {
public:
    MD5Context();
    ~MD5Context();
    MD5Context(const MD5Context &) = delete;
    MD5Context &operator=(const MD5Context &) = delete;

private:
    friend void MD5Init2(MD5Context &);
    friend void MD5Update2(MD5Context &, const void *, quint32);
    friend void MD5Final2(unsigned char *, MD5Context &);
    void *m_ctx = nullptr;
};

// Starts a new digest: nothing hashed so far.
void MD5Init2(MD5Context &context);
// Appends length bytes to the message.
void MD5Update2(MD5Context &context, const void *data, quint32 length);
// Writes the 16-byte digest of everything passed since MD5Init2 into digest.
void MD5Final2(unsigned char *digest, MD5Context &context);

} // namespace platform
