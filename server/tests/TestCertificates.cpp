#include "server/tests/TestCertificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <stdexcept>

namespace kel::server::test {
namespace {

EVP_PKEY* NewKey() { return EVP_EC_gen("P-256"); }

void Write(const std::filesystem::path& path, X509* cert, EVP_PKEY* key, CertificateFiles& files) {
    files.cert = (path.string() + ".crt");
    files.key = (path.string() + ".key");
    std::FILE* c = std::fopen(files.cert.c_str(), "wb");
    std::FILE* k = std::fopen(files.key.c_str(), "wb");
    if (!c || !k || PEM_write_X509(c, cert) != 1 ||
        PEM_write_PrivateKey(k, key, nullptr, nullptr, 0, nullptr, nullptr) != 1)
        throw std::runtime_error("cannot write test certificate " + files.cert);
    std::fclose(c);
    std::fclose(k);
}

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
    if (!ext) throw std::runtime_error("bad test certificate extension " + value);
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}

// A certificate for `key` named `commonName`, signed by `issuerKey` (itself when the issuer is null).
X509* Make(EVP_PKEY* key, const std::string& commonName, X509* issuer, EVP_PKEY* issuerKey, long fromDays, long toDays,
           long serial) {
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert), fromDays * 86400L);
    X509_gmtime_adj(X509_getm_notAfter(cert), toDays * 86400L);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(commonName.c_str()),
                               -1, -1, 0);
    X509_set_issuer_name(cert, issuer ? X509_get_subject_name(issuer) : name);
    return cert;
}

}  // namespace

TestCertificates::TestCertificates(const std::filesystem::path& folder, const std::string& name) : folder_(folder) {
    EVP_PKEY* key = NewKey();
    X509* cert = Make(key, "Kelmor Test CA " + name, nullptr, key, -1, 365, 1);
    AddExtension(cert, cert, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(cert, cert, NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(cert, cert, NID_subject_key_identifier, "hash");
    X509_sign(cert, key, EVP_sha256());
    Write(folder / ("ca-" + name), cert, key, ca_);
    caKey_ = key;
    caCert_ = cert;
}

TestCertificates::~TestCertificates() {
    X509_free(static_cast<X509*>(caCert_));
    EVP_PKEY_free(static_cast<EVP_PKEY*>(caKey_));
}

CertificateFiles TestCertificates::Issue(const std::string& file, const std::vector<std::string>& dnsNames,
                                         const std::vector<std::string>& ipAddresses, long fromDays, long toDays) {
    static long serial = 100;
    auto* ca = static_cast<X509*>(caCert_);
    EVP_PKEY* key = NewKey();
    X509* cert = Make(key, dnsNames.empty() ? "server" : dnsNames.front(), ca, static_cast<EVP_PKEY*>(caKey_), fromDays,
                      toDays, ++serial);
    std::string names;
    for (const auto& n : dnsNames) names += (names.empty() ? "DNS:" : ",DNS:") + n;
    for (const auto& a : ipAddresses) names += (names.empty() ? "IP:" : ",IP:") + a;
    AddExtension(cert, ca, NID_subject_alt_name, names);
    AddExtension(cert, ca, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(cert, ca, NID_ext_key_usage, "serverAuth");
    AddExtension(cert, ca, NID_authority_key_identifier, "keyid:always");
    X509_sign(cert, static_cast<EVP_PKEY*>(caKey_), EVP_sha256());
    CertificateFiles files;
    Write(folder_ / file, cert, key, files);
    X509_free(cert);
    EVP_PKEY_free(key);
    return files;
}

CertificateFiles TestCertificates::SelfSigned(const std::filesystem::path& folder, const std::string& file) {
    EVP_PKEY* key = NewKey();
    X509* cert = Make(key, "localhost", nullptr, key, -1, 30, 7);
    AddExtension(cert, cert, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
    X509_sign(cert, key, EVP_sha256());
    CertificateFiles files;
    Write(folder / file, cert, key, files);
    X509_free(cert);
    EVP_PKEY_free(key);
    return files;
}

}  // namespace kel::server::test
