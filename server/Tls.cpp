#include "server/Tls.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <cstdio>

#include "common/net/OpenSslStream.h"

namespace kel::server {
namespace {

bool DigestOf(X509* certificate, kel::net::Sha256& fingerprint) {
    unsigned int length = 0;
    return X509_digest(certificate, EVP_sha256(), fingerprint.data(), &length) == 1 && length == fingerprint.size();
}

// The server's TLS through OpenSSL: one context for every connection.
class OpenSslTlsServer final : public TlsServer {
public:
    ~OpenSslTlsServer() override { SSL_CTX_free(context_); }

    std::unique_ptr<kel::net::Stream> Accept(std::unique_ptr<kel::net::Stream> plain, kel::net::Deadline deadline,
                                             std::string& why) const override {
        auto tls = std::make_unique<kel::net::OpenSslStream>(std::move(plain), context_);
        const int r = tls->Handshake(true, deadline, why);
        if (r != kChannelOk) return nullptr;
        return tls;
    }

    SSL_CTX* context_ = nullptr;
};

}  // namespace

bool CertificateFingerprint(const std::string& certFile, kel::net::Sha256& fingerprint, std::string& error) {
    std::FILE* file = std::fopen(certFile.c_str(), "rb");
    if (!file) {
        error = "cannot open the certificate " + certFile;
        return false;
    }
    X509* certificate = PEM_read_X509(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    if (!certificate) {
        error = "no PEM certificate in " + certFile + " (" + kel::net::OpenSslErrorText() + ")";
        return false;
    }
    const bool ok = DigestOf(certificate, fingerprint);
    X509_free(certificate);
    if (!ok) error = "cannot hash the certificate " + certFile;
    return ok;
}

std::shared_ptr<const TlsServer> TlsServer::Load(const std::string& certFile, const std::string& keyFile,
                                                 std::string& error) {
    auto tls = std::make_shared<OpenSslTlsServer>();
    tls->context_ = SSL_CTX_new(TLS_server_method());
    SSL_CTX* context = tls->context_;
    if (!context || SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) != 1) {
        error = "cannot set up TLS: " + kel::net::OpenSslErrorText();
        return nullptr;
    }
    if (SSL_CTX_use_certificate_chain_file(context, certFile.c_str()) != 1) {
        error = "cannot read the TLS certificate " + certFile + ": " + kel::net::OpenSslErrorText();
        return nullptr;
    }
    if (SSL_CTX_use_PrivateKey_file(context, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
        const bool mismatch = ERR_GET_REASON(ERR_peek_error()) == X509_R_KEY_VALUES_MISMATCH;
        error = mismatch ? "the TLS key " + keyFile + " does not belong to the certificate " + certFile
                         : "cannot read the TLS key " + keyFile + ": " + kel::net::OpenSslErrorText();
        ERR_clear_error();
        return nullptr;
    }
    if (SSL_CTX_check_private_key(context) != 1) {
        error = "the TLS key " + keyFile + " does not belong to the certificate " + certFile;
        return nullptr;
    }
    // Clients connect once per session: tickets would only be unasked-for bytes on an
    // idle connection. No renegotiation either.
    SSL_CTX_set_num_tickets(context, 0);
    SSL_CTX_set_session_cache_mode(context, SSL_SESS_CACHE_OFF);
    SSL_CTX_set_options(context, SSL_OP_NO_RENEGOTIATION | SSL_OP_CIPHER_SERVER_PREFERENCE);
    if (!DigestOf(SSL_CTX_get0_certificate(context), tls->fingerprint_)) {
        error = "cannot hash the TLS certificate " + certFile;
        return nullptr;
    }
    return tls;
}

}  // namespace kel::server
