// The client's TLS on Linux: OpenSSL, in the library TlsClientLoader.cpp opens at
// the first encrypted connection. The server is checked before the handshake's
// result is handed back, so the log-on never reaches a server that did not pass.
#include <arpa/inet.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstring>

#include "common/net/OpenSslStream.h"
#include "common/net/ServerList.h"
#include "common/net/TlsClient.h"

namespace kel::net {
namespace {

struct ContextFree {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};

bool IsAddressLiteral(const std::string& host) {
    unsigned char address[16];
    return ::inet_pton(AF_INET, host.c_str(), address) == 1 || ::inet_pton(AF_INET6, host.c_str(), address) == 1;
}

// Why the chain did not pass, for the user; the library's words after it for the administrator.
std::string VerifyText(long code, const std::string& host, const std::string& caFile) {
    std::string text;
    switch (code) {
        case X509_V_ERR_CERT_HAS_EXPIRED: text = "证书已过期"; break;
        case X509_V_ERR_CERT_NOT_YET_VALID: text = "证书尚未生效"; break;
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH: text = "证书不是签发给 " + host + " 的"; break;
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            text = "证书不是由 CA 证书文件 " + caFile + " 中的机构签发的";
            break;
        case X509_V_ERR_CERT_REVOKED: text = "证书已被吊销"; break;
        default: text = "证书链无效"; break;
    }
    return text + "（" + X509_verify_cert_error_string(code) + "）";
}

ConnectResult StartWithOpenSsl(std::unique_ptr<Stream>& stream, const std::string& host, std::uint16_t port,
                               const TlsClientOptions& options, Deadline deadline) {
    const std::string where = AddressText({host, port});
    const auto failed = [&](const std::string& why) {
        return ConnectResult{kChannelNotConnected, false, "无法与应用服务器 " + where + " 建立加密连接：" + why};
    };
    const auto unverified = [&](const std::string& why) {
        return ConnectResult{kChannelNotConnected, false,
                             "应用服务器 " + where + " 的证书未通过验证，未发送任何数据：" + why};
    };

    std::optional<Sha256> pinned;
    if (!options.fingerprintHex.empty()) {
        pinned = ParseFingerprint(options.fingerprintHex);
        if (!pinned)
            return failed("服务器证书指纹 \"" + options.fingerprintHex +
                          "\" 格式不对（应为 SHA-256 的 64 位十六进制数，可用冒号分隔）");
    }
    std::unique_ptr<SSL_CTX, ContextFree> context(SSL_CTX_new(TLS_client_method()));
    if (!context || SSL_CTX_set_min_proto_version(context.get(), TLS1_2_VERSION) != 1)
        return failed("无法初始化 TLS（" + OpenSslErrorText() + "）");
    if (!options.caFile.empty()) {
        if (SSL_CTX_load_verify_file(context.get(), options.caFile.c_str()) != 1)
            return failed("无法读取 CA 证书文件 " + options.caFile + "（" + OpenSslErrorText() + "）");
        SSL_CTX_set_verify(context.get(), SSL_VERIFY_PEER, nullptr);
    } else {
        // Pinned only: whoever signed it, the certificate must be exactly the one named.
        SSL_CTX_set_verify(context.get(), SSL_VERIFY_NONE, nullptr);
    }

    auto tls = std::make_unique<OpenSslStream>(std::move(stream), context.get());
    if (!tls->Ready()) return failed("无法初始化 TLS（" + OpenSslErrorText() + "）");
    SSL* ssl = tls->Handle();
    if (!IsAddressLiteral(host)) SSL_set_tlsext_host_name(ssl, host.c_str());
    if (!options.caFile.empty()) {
        X509_VERIFY_PARAM* param = SSL_get0_param(ssl);
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        const int named = IsAddressLiteral(host) ? X509_VERIFY_PARAM_set1_ip_asc(param, host.c_str())
                                                 : X509_VERIFY_PARAM_set1_host(param, host.c_str(), 0);
        if (named != 1) return failed("无法设置要验证的主机名 " + host);
    }

    std::string why;
    const int r = tls->Handshake(false, deadline, why);
    const long verified = SSL_get_verify_result(ssl);
    if (!options.caFile.empty() && verified != X509_V_OK) return unverified(VerifyText(verified, host, options.caFile));
    if (r == kChannelTimeout) return ConnectResult{r, false, "与应用服务器 " + where + " 的 TLS 握手超时"};
    if (r == kChannelClosed) return failed("服务器在握手时断开了连接（该端口可能不接受加密连接）");
    if (r != kChannelOk) return failed("TLS 握手失败（" + why + "）");

    if (pinned) {
        X509* certificate = SSL_get0_peer_certificate(ssl);
        Sha256 actual{};
        unsigned int length = 0;
        if (!certificate) return unverified("服务器没有出示证书");
        if (X509_digest(certificate, EVP_sha256(), actual.data(), &length) != 1 || length != actual.size())
            return unverified("无法计算证书指纹");
        if (actual != *pinned)
            return unverified("证书指纹 " + FingerprintText(actual) + " 与配置的指纹 " + FingerprintText(*pinned) +
                              " 不符");
    }
    stream = std::move(tls);
    return {};
}

}  // namespace
}  // namespace kel::net

// What TlsClientLoader.cpp looks up: StartClientTls's work, with the same arguments.
extern "C" __attribute__((visibility("default"))) void KelmorStartClientTls(kel::net::ConnectResult& result,
                                                                            std::unique_ptr<kel::net::Stream>& stream,
                                                                            const std::string& host, std::uint16_t port,
                                                                            const kel::net::TlsClientOptions& options,
                                                                            kel::net::Deadline deadline) {
    result = kel::net::StartWithOpenSsl(stream, host, port, options, deadline);
}
