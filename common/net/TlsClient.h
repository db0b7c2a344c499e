// The client's side of TLS, one implementation per system: OpenSSL on Linux
// (TlsClientOpenSsl.cpp), the system's own TLS on Windows. The channel opens the TCP
// connection as a SocketStream, hands it here, and then runs its frames over the
// stream it gets back exactly as over the plain one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/net/Logon.h"
#include "common/net/Stream.h"
#include "common/net/TlsOptions.h"

namespace kel::net {

// Handshakes as the client over `stream` (a connected plain stream) before the
// deadline and checks the server's certificate as `options` ask (`host` is the name
// the certificate must carry). On success `stream` is replaced by the TLS stream,
// which owns the plain one. On failure the caller drops whatever `stream` still
// holds (it may be empty), and the result's message names the server (host:port)
// and says why; not one byte of the caller's has been sent.
ConnectResult StartClientTls(std::unique_ptr<Stream>& stream, const std::string& host, std::uint16_t port,
                             const TlsClientOptions& options, Deadline deadline);

}  // namespace kel::net
