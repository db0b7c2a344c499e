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
#include "server/Server.h"

namespace kel::server {

Listener::Listener(Server& server, ListenerOptions options) : server_(server), options_(std::move(options)) {}

Listener::~Listener() { Stop(); }

void Listener::Log(const std::string& text) const {
    if (options_.log) options_.log(text);
}

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
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::lock_guard lock(sessionsMutex_);
        if (sessions_.size() >= options_.maxClients) {
            Log("too many clients: connection refused");
            ::close(fd);
            continue;
        }
        Session& s = sessions_.emplace_back();
        s.fd = fd;
        s.thread = std::thread([this, &s] { Serve(s); });
    }
}

void Listener::Serve(Session& session) {
    using namespace kel::net;
    const int fd = session.fd;
    _PacketHead head{}, answer{};
    std::vector<char> body, answerBody;
    bool loggedOn = false;
    for (;;) {
        const int wait = loggedOn ? options_.idleTimeoutMs : options_.logonTimeoutMs;
        int r = WaitReadable(fd, DeadlineAfter(wait));
        if (r == kChannelTimeout) {
            Log(loggedOn ? "idle client: connection closed" : "no log-on in time: connection closed");
            break;
        }
        if (r == kChannelOk) r = ReadFrame(fd, head, body, DeadlineAfter(options_.frameTimeoutMs));
        if (r != kChannelOk) {
            if (r == kChannelTimeout)
                Log("a frame did not arrive whole in time: connection closed");
            else if (r == kChannelFrameTooLarge)
                Log("frame above the cap: connection closed");
            else if (r != kChannelClosed)
                Log("unreadable frame: connection closed");
            break;
        }
        if (!loggedOn && head.nTransCode != kLogonTransCode) {
            answer = _PacketHead{};
            answer.nTransCode = head.nTransCode;
            answer.cStatus = 1;
            WriteFrame(fd, answer, nullptr, 0, DeadlineAfter(options_.frameTimeoutMs));
            Log("first frame is not a log-on: connection closed");
            break;
        }
        server_.Handle(head, std::string_view(body.data(), body.size()), answer, answerBody);
        r = WriteFrame(fd, answer, answerBody.data(), answerBody.size(), DeadlineAfter(options_.frameTimeoutMs));
        if (r != kChannelOk) break;
        if (head.nTransCode == kLogonTransCode) {
            if (answer.cStatus != 0) {
                Log("log-on refused: connection closed");
                break;
            }
            loggedOn = true;
        }
    }
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
