#pragma once

#include <QtGlobal>

namespace platform {

// The hash functions libcrypto computes for the program; core maps its own algorithm names onto these.
enum class HashFunction : quint8 { Md5, Sha1, Sha256, Sha512, Blake2b512 };

// The largest digest of any HashFunction, in bytes (SHA-512 and BLAKE2b-512).
constexpr int kMaxDigestBytes = 64;

// The three-call digest interface the digest engine drives, backed by OpenSSL's libcrypto (EVP).
// The context owns its libcrypto state; one context can be reused for any number of digests, of any
// function.
class DigestContext {
public:
    DigestContext();
    ~DigestContext();
    DigestContext(const DigestContext &) = delete;
    DigestContext &operator=(const DigestContext &) = delete;

private:
    friend bool digestInit(DigestContext &, HashFunction);
    friend bool digestUpdate(DigestContext &, const void *, quint32);
    friend int digestFinal(unsigned char *, DigestContext &);
    void *m_ctx = nullptr;
};

// Each call fails when libcrypto cannot give the function (for instance a configuration that allows
// only approved algorithms); the caller then has no digest.
// Starts a new digest of function: nothing hashed so far.
bool digestInit(DigestContext &context, HashFunction function);
// Appends length bytes to the message.
bool digestUpdate(DigestContext &context, const void *data, quint32 length);
// Writes the digest of everything passed since digestInit into digest (room for kMaxDigestBytes) and
// returns its length in bytes, or 0 on failure.
int digestFinal(unsigned char *digest, DigestContext &context);

} // namespace platform
