// A build without a TLS implementation: a client asked for TLS refuses to connect
// rather than talk in clear.
#include "common/net/TlsClient.h"

#include "common/net/ServerList.h"

namespace kel::net {

ConnectResult StartClientTls(std::unique_ptr<Stream>&, const std::string& host, std::uint16_t port,
                             const TlsClientOptions&, Deadline) {
    return ConnectResult{kChannelNotConnected, false,
                         "无法与应用服务器 " + AddressText({host, port}) + " 建立加密连接：此版本不支持 TLS"};
}

}  // namespace kel::net
