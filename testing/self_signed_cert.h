// A self-signed TLS certificate made in memory, for loopback servers in tests
// and for the demo gallery. Nothing is read from or written to disk.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <string>
#include <string_view>

namespace qimbra::testing {

struct X509Free {
    void operator()(X509* cert) const { X509_free(cert); }
};
struct EvpPkeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};

// An owned certificate and its private key. Both are null when making them
// failed.
struct SelfSignedCert {
    std::unique_ptr<X509, X509Free> cert;
    std::unique_ptr<EVP_PKEY, EvpPkeyFree> key;

    [[nodiscard]] bool valid() const { return cert && key; }
    // PEM text of the certificate and of the (unencrypted PKCS#8) key; empty
    // when not valid.
    [[nodiscard]] std::string CertPem() const;
    [[nodiscard]] std::string KeyPem() const;
};

// A new EC P-256 key and a certificate for it, signed by itself, valid from an
// hour ago for ten years. Subject CN is `common_name`; the subject alternative
// names are DNS:`common_name`, DNS:localhost, IP:127.0.0.1 and IP:::1.
// Quick enough (a millisecond or so) to make one per server.
[[nodiscard]] SelfSignedCert MakeSelfSignedCert(std::string_view common_name = "localhost");

}  // namespace qimbra::testing
