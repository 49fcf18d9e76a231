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
    friend bool md5Init(MD5Context &);
    friend bool md5Update(MD5Context &, const void *, quint32);
    friend bool md5Final(unsigned char *, MD5Context &);
    void *m_ctx = nullptr;
};

// Each call is false when libcrypto cannot give MD5 (for instance a configuration that allows only
// approved algorithms); the caller then has no digest.
// Starts a new digest: nothing hashed so far.
bool md5Init(MD5Context &context);
// Appends length bytes to the message.
bool md5Update(MD5Context &context, const void *data, quint32 length);
// Writes the 16-byte digest of everything passed since md5Init into digest.
bool md5Final(unsigned char *digest, MD5Context &context);

} // namespace platform
