// The client's TLS on Linux, opened with the first encrypted connection: OpenSSL
// lives in libkelmor_tls (TlsClientOpenSsl.cpp), so a clerk on the embedded
// default, or on a plain connection, never maps it.
#include <string>

#include "common/net/ServerList.h"
#include "common/net/TlsClient.h"
#include "common/sys/LibraryBeside.h"

namespace kel::net {
namespace {

constexpr const char* kTlsLibrary = "libkelmor_tls.so";

using Start = void (*)(ConnectResult&, std::unique_ptr<Stream>&, const std::string&, std::uint16_t,
                       const TlsClientOptions&, Deadline);

// Found beside this library once per process.
Start Load(std::string& error) {
    static std::string why;
    static const auto start = reinterpret_cast<Start>(kel::sys::FindInLibraryBeside(
        reinterpret_cast<const void*>(&StartClientTls), kTlsLibrary, "KelmorStartClientTls", why));
    if (!start) error = why;
    return start;
}

}  // namespace

ConnectResult StartClientTls(std::unique_ptr<Stream>& stream, const std::string& host, std::uint16_t port,
                             const TlsClientOptions& options, Deadline deadline) {
    std::string error;
    const Start start = Load(error);
    if (!start)
        return ConnectResult{
            kChannelNotConnected, false,
            "无法与应用服务器 " + AddressText({host, port}) + " 建立加密连接：无法加载 TLS 库（" + error + "）"};
    ConnectResult result;
    start(result, stream, host, port, options, deadline);
    return result;
}

}  // namespace kel::net
