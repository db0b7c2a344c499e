#include "common/net/tests/LoopbackPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cstring>

namespace kel::net::test {
namespace {

int Listen(int family, std::uint16_t& port) {
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_storage address{};
    socklen_t length;
    if (family == AF_INET6) {
        auto* a = reinterpret_cast<sockaddr_in6*>(&address);
        a->sin6_family = AF_INET6;
        a->sin6_addr = in6addr_loopback;
        length = sizeof *a;
    } else {
        auto* a = reinterpret_cast<sockaddr_in*>(&address);
        a->sin_family = AF_INET;
        a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof *a;
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                                    : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    return fd;
}

}  // namespace

LoopbackPeer::LoopbackPeer(Script script, int family) {
    m_listen = Listen(family, m_port);
    if (m_listen < 0) return;
    m_thread = std::thread([fd = m_listen, script = std::move(script)] {
        if (WaitReadable(fd, PeerDeadline()) != kChannelOk) return;
        const int client = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) return;
        script(client);
        ::close(client);
    });
}

LoopbackPeer::~LoopbackPeer() {
    Join();
    if (m_listen >= 0) ::close(m_listen);
}

void LoopbackPeer::Join() {
    if (m_thread.joinable()) m_thread.join();
}

bool AnswerLogon(int fd, std::int8_t status, _PacketHead* seenHead, std::vector<char>* seenBody) {
    _PacketHead head{};
    std::vector<char> body;
    if (ReadFrame(fd, head, body, PeerDeadline()) != kChannelOk) return false;
    if (seenHead) *seenHead = head;
    if (seenBody) *seenBody = body;
    _PacketHead answer{};
    answer.cStatus = status;
    return WriteFrame(fd, answer, nullptr, 0, PeerDeadline()) == kChannelOk;
}

void Echo(int fd) {
    _PacketHead head{};
    std::vector<char> body;
    while (ReadFrame(fd, head, body, PeerDeadline()) == kChannelOk) {
        head.nCount = head.nTransCode;
        head.cStatus = 0;
        if (WriteFrame(fd, head, body.data(), body.size(), PeerDeadline()) != kChannelOk) return;
    }
}

void WaitForClose(int fd) {
    char sink[4096];
    while (ReadExact(fd, sink, sizeof sink, PeerDeadline()) == kChannelOk) {
    }
}

std::uint16_t ClosedPort() {
    std::uint16_t port = 0;
    const int fd = Listen(AF_INET, port);
    if (fd >= 0) ::close(fd);
    return port;
}

}  // namespace kel::net::test
