// The client's TLS on Linux, opened with the first encrypted connection: OpenSSL
// lives in libkelmor_tls (TlsClientOpenSsl.cpp), so a clerk on the embedded
// default, or on a plain connection, never maps it.
#include <dlfcn.h>

#include <string>

#include "common/net/ServerList.h"
#include "common/net/TlsClient.h"

namespace kel::net {
namespace {

constexpr const char* kTlsLibrary = "libkelmor_tls.so";

using Start = void (*)(ConnectResult&, std::unique_ptr<Stream>&, const std::string&, std::uint16_t,
                       const TlsClientOptions&, Deadline);

// The folder this library was loaded from, with its slash: the library beside it is
// opened by its whole path, since a sanitizer's interceptor of dlopen makes the run
// path it would search not this library's.
std::string OwnFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&OwnFolder), &info) || !info.dli_fname) return {};
    const std::string self = info.dli_fname;
    const auto slash = self.rfind('/');
    return slash == std::string::npos ? std::string() : self.substr(0, slash + 1);
}

// Found beside this library, once per process; it stays loaded.
Start Load(std::string& error) {
    static std::string why;
    static const Start start = [] {
        void* library = dlopen((OwnFolder() + kTlsLibrary).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            const char* text = dlerror();
            why = text ? text : kTlsLibrary;
            return Start{};
        }
        auto found = reinterpret_cast<Start>(dlsym(library, "KelmorStartClientTls"));
        if (!found) why = std::string(kTlsLibrary) + " has no KelmorStartClientTls";
        return found;
    }();
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
