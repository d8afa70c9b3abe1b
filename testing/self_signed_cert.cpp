#include "testing/self_signed_cert.h"

#include <openssl/bio.h>
#include <openssl/ec.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <string>

namespace qimbra::testing {
namespace {

struct BioFree {
    void operator()(BIO* bio) const { BIO_free(bio); }
};
struct PkeyCtxFree {
    void operator()(EVP_PKEY_CTX* ctx) const { EVP_PKEY_CTX_free(ctx); }
};
struct ExtensionFree {
    void operator()(X509_EXTENSION* ext) const { X509_EXTENSION_free(ext); }
};

std::string BioText(BIO* bio) {
    char* data = nullptr;
    long size = BIO_get_mem_data(bio, &data);
    return size > 0 ? std::string(data, static_cast<size_t>(size)) : std::string();
}

bool AddExtension(X509* cert, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, cert, cert, nullptr, nullptr, 0);
    std::unique_ptr<X509_EXTENSION, ExtensionFree> ext(X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str()));
    return ext && X509_add_ext(cert, ext.get(), -1) == 1;
}

}  // namespace

std::string SelfSignedCert::CertPem() const {
    if (!valid()) return {};
    std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_X509(bio.get(), cert.get()) != 1) return {};
    return BioText(bio.get());
}

std::string SelfSignedCert::KeyPem() const {
    if (!valid()) return {};
    std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_PrivateKey(bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1) return {};
    return BioText(bio.get());
}

SelfSignedCert MakeSelfSignedCert(std::string_view common_name) {
    SelfSignedCert result;

    std::unique_ptr<EVP_PKEY_CTX, PkeyCtxFree> kctx(EVP_PKEY_CTX_new_id(EVP_PKEY_EC, nullptr));
    EVP_PKEY* raw_key = nullptr;
    if (!kctx || EVP_PKEY_keygen_init(kctx.get()) != 1 ||
        EVP_PKEY_CTX_set_ec_paramgen_curve_nid(kctx.get(), NID_X9_62_prime256v1) != 1 ||
        EVP_PKEY_keygen(kctx.get(), &raw_key) != 1) {
        return {};
    }
    std::unique_ptr<EVP_PKEY, EvpPkeyFree> key(raw_key);

    std::unique_ptr<X509, X509Free> cert(X509_new());
    if (!cert) return {};
    const std::string cn(common_name);
    X509_set_version(cert.get(), 2);  // v3, for the extensions
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 10L * 365 * 24 * 3600);
    X509_NAME* name = X509_get_subject_name(cert.get());
    if (X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(cn.c_str()), -1, -1,
                                   0) != 1 ||
        X509_set_issuer_name(cert.get(), name) != 1 || X509_set_pubkey(cert.get(), key.get()) != 1) {
        return {};
    }
    std::string alt_names = "DNS:" + cn;
    if (cn != "localhost") alt_names += ",DNS:localhost";
    alt_names += ",IP:127.0.0.1,IP:::1";
    if (!AddExtension(cert.get(), NID_subject_alt_name, alt_names) ||
        !AddExtension(cert.get(), NID_basic_constraints, "critical,CA:FALSE") ||
        X509_sign(cert.get(), key.get(), EVP_sha256()) == 0) {
        return {};
    }

    result.cert = std::move(cert);
    result.key = std::move(key);
    return result;
}

}  // namespace qimbra::testing
