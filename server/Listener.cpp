#include "server/Listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "common/net/Frame.h"
#include "common/net/Logon.h"
#include "common/text/GbkText.h"
#include "server/Server.h"

namespace kel::server {

Listener::Listener(Server& server, ListenerOptions options) : server_(server), options_(std::move(options)) {}

Listener::~Listener() { Stop(); }

void Listener::Log(LogLevel level, const std::string& text) const {
    if (options_.log) options_.log(level, text);
}

namespace {

// "127.0.0.1:51234" or "[::1]:51234".
std::string PeerText(const sockaddr_storage& peer) {
    char host[INET6_ADDRSTRLEN] = "?";
    if (peer.ss_family == AF_INET6) {
        const auto& a = reinterpret_cast<const sockaddr_in6&>(peer);
        ::inet_ntop(AF_INET6, &a.sin6_addr, host, sizeof host);
        return "[" + std::string(host) + "]:" + std::to_string(ntohs(a.sin6_port));
    }
    const auto& a = reinterpret_cast<const sockaddr_in&>(peer);
    ::inet_ntop(AF_INET, &a.sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(a.sin_port));
}

// The user code a log-on names, readable in a log line.
std::string LogonUser(std::string_view body) {
    if (body.size() < sizeof(_LogonBody)) return "(none)";
    const std::string_view field(body.data(), sizeof(_LogonBody::szUserCode));
    const auto utf8 = kel::text::GbkToUtf8(field.substr(0, field.find('\0')));
    if (!utf8) return "(unreadable)";
    return utf8->empty() ? "(empty)" : *utf8;
}

}  // namespace

bool Listener::Start(std::string* error) {
    auto fail = [&](std::string why) {
        if (error) *error = std::move(why);
        if (listenFd_ >= 0) ::close(listenFd_);
        listenFd_ = -1;
        return false;
    };
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(options_.port);
    const char* host = options_.address.empty() ? "127.0.0.1" : options_.address.c_str();
    if (int r = ::getaddrinfo(host, port.c_str(), &hints, &found); r != 0)
        return fail("cannot resolve " + std::string(host) + ": " + gai_strerror(r));
    std::string why = "no address";
    for (addrinfo* a = found; a; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            why = std::strerror(errno);
            continue;
        }
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 128) == 0) {
            listenFd_ = fd;
            break;
        }
        why = std::strerror(errno);
        ::close(fd);
    }
    ::freeaddrinfo(found);
    if (listenFd_ < 0) return fail("cannot listen on " + std::string(host) + ":" + port + ": " + why);

    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&bound), &len);
    port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                              : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return fail(std::string("cannot make a pipe: ") + std::strerror(errno));
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
    stopping_ = false;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void Listener::AcceptLoop() {
    while (!stopping_) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        // Wakes now and then to join finished client threads.
        const int n = ::poll(fds, 2, 1000);
        ReapFinished();
        if (n <= 0 || stopping_ || (fds[1].revents & POLLIN)) continue;
        if (!(fds[0].revents & POLLIN)) continue;
        sockaddr_storage peerAddress{};
        socklen_t peerLength = sizeof peerAddress;
        const int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peerAddress), &peerLength, SOCK_CLOEXEC);
        if (fd < 0) continue;
        std::string peer = PeerText(peerAddress);
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard lock(sessionsMutex_);
        if (sessions_.size() >= options_.maxClients) {
            Log(LogLevel::Warning, peer + " connection refused: too many clients");
            ::close(fd);
            continue;
        }
        Session& s = sessions_.emplace_back();
        s.fd = fd;
        Log(LogLevel::Info, peer + " connection opened");
        s.thread = std::thread([this, &s, peer = std::move(peer)] { Serve(s, peer); });
    }
}

void Listener::Serve(Session& session, const std::string& peer) {
    using namespace kel::net;
    const int fd = session.fd;
    _PacketHead head{}, answer{};
    std::vector<char> body, answerBody;
    bool loggedOn = false;
    // Why the connection ended, when the client did not simply hang up.
    std::string why;
    LogLevel level = LogLevel::Info;
    for (;;) {
        const int wait = loggedOn ? options_.idleTimeoutMs : options_.logonTimeoutMs;
        int r = WaitReadable(fd, DeadlineAfter(wait));
        if (r == kChannelTimeout) {
            why = loggedOn ? "idle" : "no log-on in time";
            break;
        }
        if (r == kChannelOk) r = ReadFrame(fd, head, body, DeadlineAfter(options_.frameTimeoutMs));
        if (r != kChannelOk) {
            level = r == kChannelClosed ? LogLevel::Info : LogLevel::Warning;
            if (r == kChannelTimeout)
                why = "a frame did not arrive whole in time";
            else if (r == kChannelFrameTooLarge)
                why = "frame above the cap";
            else if (r != kChannelClosed)
                why = "unreadable frame";
            break;
        }
        if (!loggedOn && head.nTransCode != kLogonTransCode) {
            answer = _PacketHead{};
            answer.nTransCode = head.nTransCode;
            answer.cStatus = 1;
            WriteFrame(fd, answer, nullptr, 0, DeadlineAfter(options_.frameTimeoutMs));
            level = LogLevel::Warning;
            why = "first frame is not a log-on";
            break;
        }
        server_.Handle(head, std::string_view(body.data(), body.size()), answer, answerBody);
        if (head.nTransCode == kLogonTransCode) {
            const bool accepted = answer.cStatus == 0;
            Log(accepted ? LogLevel::Info : LogLevel::Warning,
                peer + " log-on " + LogonUser(std::string_view(body.data(), body.size())) +
                    (accepted ? " accepted" : " refused"));
        } else if (options_.log) {
            Log(LogLevel::Debug, peer + " request " + std::to_string(head.nTransCode) + " status " +
                                     std::to_string(static_cast<int>(answer.cStatus)));
        }
        r = WriteFrame(fd, answer, answerBody.data(), answerBody.size(), DeadlineAfter(options_.frameTimeoutMs));
        if (r != kChannelOk) {
            level = LogLevel::Warning;
            why = "the answer could not be sent";
            break;
        }
        if (head.nTransCode == kLogonTransCode) {
            if (answer.cStatus != 0) {
                why = "log-on refused";
                break;
            }
            loggedOn = true;
        }
    }
    Log(level, peer + " connection closed" + (why.empty() ? "" : ": " + why));
    CloseSession(session);
}

void Listener::CloseSession(Session& session) {
    std::lock_guard lock(sessionsMutex_);
    if (session.fd >= 0) ::close(session.fd);
    session.fd = -1;
    session.done = true;
}

void Listener::ReapFinished() {
    std::list<Session> finished;
    {
        std::lock_guard lock(sessionsMutex_);
        for (auto it = sessions_.begin(); it != sessions_.end();) {
            auto next = std::next(it);
            if (it->done) finished.splice(finished.end(), sessions_, it);
            it = next;
        }
    }
    for (Session& s : finished)
        if (s.thread.joinable()) s.thread.join();
}

void Listener::Stop() {
    if (listenFd_ < 0) return;
    stopping_ = true;
    const char wake = 1;
    [[maybe_unused]] auto ignored = ::write(wakeWrite_, &wake, 1);
    if (acceptThread_.joinable()) acceptThread_.join();
    {
        // Wakes every client thread: its next read fails and it ends.
        std::lock_guard lock(sessionsMutex_);
        for (Session& s : sessions_)
            if (s.fd >= 0) ::shutdown(s.fd, SHUT_RDWR);
    }
    for (;;) {
        ReapFinished();
        std::lock_guard lock(sessionsMutex_);
        if (sessions_.empty()) break;
        for (Session& s : sessions_)
            if (s.fd >= 0) ::shutdown(s.fd, SHUT_RDWR);
        // A thread inside a request finishes it first.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::close(listenFd_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
    listenFd_ = wakeRead_ = wakeWrite_ = -1;
}

std::size_t Listener::ClientCount() const {
    std::lock_guard lock(sessionsMutex_);
    std::size_t n = 0;
    for (const Session& s : sessions_)
        if (!s.done) ++n;
    return n;
}

}  // namespace kel::server
