#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

namespace qimbra::demo {

struct KeyDeleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateDeleter {
    void operator()(X509* certificate) const { X509_free(certificate); }
};

// A fresh key and a self-signed certificate for "localhost", 127.0.0.1 and
// ::1, valid for a year. Both are empty when OpenSSL fails.
struct SelfSigned {
    std::unique_ptr<EVP_PKEY, KeyDeleter> key;
    std::unique_ptr<X509, CertificateDeleter> certificate;
};

[[nodiscard]] SelfSigned MakeSelfSigned();

}  // namespace qimbra::demo
