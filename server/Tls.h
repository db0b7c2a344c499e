// TLS for kelmor-server: the certificate and key are loaded once at start; each
// connection then handshakes on its own thread, within the log-on time-out, so a
// slow or foreign client holds up nobody else. TLS 1.2 at least, 1.3 preferred.
//
// Built apart from the server's library (kelmor_server_tls, with OpenSSL): the
// listener holds an interface whose every virtual member is defined here or pure,
// so nothing of it (code, vtable, type) has to come from the TLS library, and the
// embedded server of a desktop client maps none.
#pragma once

#include <memory>
#include <string>

#include "common/net/Stream.h"
#include "common/net/TlsOptions.h"

namespace kel::server {

class TlsServer {
public:
    // The certificate chain file (PEM, the server's certificate first) and its key;
    // null with `error` when either cannot be read or they do not belong together.
    static std::shared_ptr<const TlsServer> Load(const std::string& certFile, const std::string& keyFile,
                                                 std::string& error);
    virtual ~TlsServer() = default;
    TlsServer(const TlsServer&) = delete;
    TlsServer& operator=(const TlsServer&) = delete;

    // Handshakes as the server on `plain` before the deadline: the TLS stream, or null
    // with `why` (a plain client, a client that gave up, a time-out).
    virtual std::unique_ptr<kel::net::Stream> Accept(std::unique_ptr<kel::net::Stream> plain,
                                                     kel::net::Deadline deadline, std::string& why) const = 0;
    // The SHA-256 of the server's certificate, which clients may pin.
    const kel::net::Sha256& Fingerprint() const { return fingerprint_; }

protected:
    TlsServer() = default;
    kel::net::Sha256 fingerprint_{};
};

// The SHA-256 of the first certificate in a PEM file; false with `error`.
bool CertificateFingerprint(const std::string& certFile, kel::net::Sha256& fingerprint, std::string& error);

}  // namespace kel::server
