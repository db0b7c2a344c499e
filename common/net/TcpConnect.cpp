#include "common/net/TcpConnect.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "common/net/Socket.h"

namespace kel::net {
namespace {

struct Address {
    sockaddr_storage storage{};
    socklen_t length = 0;
};

int Resolve(const std::string& host, std::uint16_t port, int flags, std::vector<Address>& out) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICSERV | flags;
    addrinfo* list = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
    if (rc != 0) return rc;
    for (const addrinfo* a = list; a; a = a->ai_next) {
        if (a->ai_addrlen > sizeof(sockaddr_storage)) continue;
        Address address;
        std::memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
        address.length = a->ai_addrlen;
        out.push_back(address);
    }
    ::freeaddrinfo(list);
    return 0;
}

// The lookup of a name may wait on DNS far longer than the caller allows; it runs on
// a helper thread that is left to finish on its own when the deadline passes first.
struct Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    int rc = 0;
    std::vector<Address> addresses;
};

int ResolveWithin(const std::string& host, std::uint16_t port, Deadline deadline, std::vector<Address>& out,
                  bool& timedOut) {
    timedOut = false;
    const int numeric = Resolve(host, port, AI_NUMERICHOST, out);
    if (numeric != EAI_NONAME) return numeric;

    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, host, port] {
            std::vector<Address> addresses;
            const int rc = Resolve(host, port, 0, addresses);
            std::lock_guard lock(lookup->mutex);
            lookup->rc = rc;
            lookup->addresses = std::move(addresses);
            lookup->done = true;
            lookup->finished.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return Resolve(host, port, 0, out);  // no thread to be had: look up in line
    }
    std::unique_lock lock(lookup->mutex);
    const auto isDone = [&] { return lookup->done; };
    if (deadline == kNoDeadline) {
        lookup->finished.wait(lock, isDone);
    } else if (!lookup->finished.wait_until(lock, deadline, isDone)) {
        timedOut = true;
        return EAI_AGAIN;
    }
    out = std::move(lookup->addresses);
    return lookup->rc;
}

bool IsSystemLookupError(int rc) {
#ifdef EAI_SYSTEM
    return rc == EAI_SYSTEM;
#else
    return false;
#endif
}

std::string Endpoint(const std::string& host, std::uint16_t port) {
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

// Connects one address before the deadline: the socket, or -1 with errno-like
// `error` (ETIMEDOUT when the deadline passed).
int ConnectOne(const Address& address, Deadline deadline, int& error) {
    const int fd = sock::OpenStream(address.storage.ss_family);
    if (fd < 0) {
        error = sock::LastError();
        return -1;
    }
    int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length);
    int connectError = rc != 0 ? sock::LastError() : 0;
    // An interrupted non-blocking connect goes on in the background, like EINPROGRESS
    // (Windows says it would block).
    if (rc != 0 && (connectError == EINPROGRESS || connectError == EINTR || connectError == EWOULDBLOCK)) {
        const int wait = WaitWritable(fd, deadline);
        int soError = 0;
        socklen_t length = sizeof soError;
        if (wait == kChannelTimeout)
            soError = ETIMEDOUT;
        else if (wait != kChannelOk)
            soError = EIO;
        else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length) != 0)
            soError = sock::LastError();
        rc = soError == 0 ? 0 : -1;
        connectError = soError;
    }
    if (rc != 0) {
        error = connectError;
        sock::Close(fd);
        return -1;
    }
    const int on = 1;
    // Requests and answers are single frames; waiting to merge them only adds delay.
    const auto* option = reinterpret_cast<const char*>(&on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, option, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, option, sizeof on);
    return fd;
}

}  // namespace

OpenResult OpenTcpConnection(const std::string& host, std::uint16_t port, Deadline deadline) {
    OpenResult result;
    const std::string where = Endpoint(host, port);
    if (host.empty() || port == 0) {
        result.error = kChannelNotConnected;
        result.message = "应用服务器地址无效：" + where;
        return result;
    }

    std::vector<Address> addresses;
    bool timedOut = false;
    const int rc = ResolveWithin(host, port, deadline, addresses, timedOut);
    if (timedOut) {
        result.error = kChannelTimeout;
        result.message = "解析应用服务器地址 " + host + " 超时";
        return result;
    }
    if (rc != 0 || addresses.empty()) {
        result.error = kChannelNotConnected;
        result.message =
            "无法解析应用服务器地址 " + host + "：" +
            (IsSystemLookupError(rc) ? sock::ErrorText(errno) : std::string(rc ? ::gai_strerror(rc) : "no address"));
        return result;
    }

    int lastError = 0;
    for (const Address& address : addresses) {
        result.fd = ConnectOne(address, deadline, lastError);
        if (result.fd >= 0) return result;
        if (lastError == ETIMEDOUT && Clock::now() >= deadline) break;
    }
    const bool late = lastError == ETIMEDOUT;
    result.error = late ? kChannelTimeout : kChannelNotConnected;
    result.message = late ? "连接应用服务器 " + where + " 超时"
                          : "无法连接到应用服务器 " + where + "：" + sock::ErrorText(lastError);
    return result;
}

}  // namespace kel::net
