#include "demo/self_signed.h"

#include <openssl/x509v3.h>

namespace qimbra::demo {

namespace {

struct ExtensionDeleter {
    void operator()(X509_EXTENSION* extension) const { X509_EXTENSION_free(extension); }
};

bool AddExtension(X509* certificate, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    std::unique_ptr<X509_EXTENSION, ExtensionDeleter> extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value));
    return extension && X509_add_ext(certificate, extension.get(), -1) == 1;
}

}  // namespace

SelfSigned MakeSelfSigned() {
    SelfSigned made;
    std::unique_ptr<EVP_PKEY, KeyDeleter> key(EVP_EC_gen("P-256"));
    std::unique_ptr<X509, CertificateDeleter> certificate(X509_new());
    if (!key || !certificate) return made;

    X509* cert = certificate.get();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 365L * 24 * 3600);
    X509_set_pubkey(cert, key.get());
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("localhost"), -1, -1,
                               0);
    X509_set_issuer_name(cert, name);
    if (!AddExtension(cert, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1,IP:::1") ||
        !AddExtension(cert, NID_basic_constraints, "critical,CA:FALSE") ||
        X509_sign(cert, key.get(), EVP_sha256()) == 0) {
        return made;
    }
    made.key = std::move(key);
    made.certificate = std::move(certificate);
    return made;
}

}  // namespace qimbra::demo
