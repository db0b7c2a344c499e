#include "server/Listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "common/net/Frame.h"
#include "common/net/Logon.h"
#include "common/text/GbkText.h"
#include "server/Server.h"

namespace kel::server {

namespace {

// The peer's host as text; an IPv4 address reached over IPv6 reads as IPv4.
std::string HostOf(const sockaddr_storage& peer) {
    char text[INET6_ADDRSTRLEN] = "?";
    if (peer.ss_family == AF_INET) {
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(peer).sin_addr, text, sizeof text);
    } else if (peer.ss_family == AF_INET6) {
        const in6_addr& a = reinterpret_cast<const sockaddr_in6&>(peer).sin6_addr;
        if (IN6_IS_ADDR_V4MAPPED(&a))
            ::inet_ntop(AF_INET, a.s6_addr + 12, text, sizeof text);
        else
            ::inet_ntop(AF_INET6, &a, text, sizeof text);
    }
    return text;
}

// "127.0.0.1:51234" or "[::1]:51234".
std::string PeerText(const sockaddr_storage& peer) {
    const std::string host = HostOf(peer);
    if (peer.ss_family == AF_INET6 && host.find(':') != std::string::npos)
        return "[" + host + "]:" + std::to_string(ntohs(reinterpret_cast<const sockaddr_in6&>(peer).sin6_port));
    const in_port_t port = peer.ss_family == AF_INET6 ? reinterpret_cast<const sockaddr_in6&>(peer).sin6_port
                                                      : reinterpret_cast<const sockaddr_in&>(peer).sin_port;
    return host + ":" + std::to_string(ntohs(port));
}

// The user code of a log-on body as sent (GBK bytes up to the NUL), for the brake.
std::string UserCodeOf(const std::vector<char>& body) {
    const std::size_t width = std::min(body.size(), sizeof(_LogonBody::szUserCode));
    std::string code(body.data(), width);
    return code.substr(0, code.find('\0'));
}

// The user code a log-on names, readable in a log line.
std::string LogonUser(const std::vector<char>& body) {
    if (body.size() < sizeof(_LogonBody)) return "(none)";
    const auto utf8 = kel::text::GbkToUtf8(UserCodeOf(body));
    if (!utf8) return "(unreadable)";
    return utf8->empty() ? "(empty)" : *utf8;
}

// The bytes of a whole log-on frame: its length field, head and body.
constexpr int kLogonFrameBytes =
    static_cast<int>(kel::net::kFramePrefixBytes + kel::net::kFrameHeadBytes + sizeof(_LogonBody));

}  // namespace

std::string SourceOf(const sockaddr_storage& peer) {
    if (peer.ss_family == AF_INET6) {
        const in6_addr& a = reinterpret_cast<const sockaddr_in6&>(peer).sin6_addr;
        if (IN6_IS_ADDR_LOOPBACK(&a)) return "127.0.0.1";
        if (!IN6_IS_ADDR_V4MAPPED(&a)) {
            in6_addr prefix{};
            std::memcpy(prefix.s6_addr, a.s6_addr, 8);
            char text[INET6_ADDRSTRLEN] = "?";
            ::inet_ntop(AF_INET6, &prefix, text, sizeof text);
            return std::string(text) + "/64";
        }
    }
    return HostOf(peer);
}

Listener::Listener(Server& server, ListenerOptions options)
    : server_(server),
      options_(std::move(options)),
      brake_(options_.brake),
      held_(HeldBytes::Limits{options_.maxHeldPerClient, options_.maxHeldInAll}) {}

Listener::~Listener() { Stop(); }

void Listener::Log(LogLevel level, const std::string& text) const {
    if (options_.log) options_.log(level, text);
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
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        const int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // The connection stays queued; without a pause poll would report it at once, forever.
                Log(LogLevel::Error, std::string("cannot accept a connection: ") + std::strerror(errno));
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            continue;
        }
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        try {
            Admit(fd, peer);
        } catch (...) {
            // Only the words of a log line are left to fail here; the loop goes on.
        }
    }
}

bool Listener::MayGiveWay(const Session& s) const {
    if (s.done || s.evicted || s.loggedOn || s.logonIn || s.fd < 0) return false;
    // Its log-on frame already waiting whole in the socket: about to be served.
    int waiting = 0;
    return ::ioctl(s.fd, FIONREAD, &waiting) != 0 || waiting < kLogonFrameBytes;
}

void Listener::Admit(int fd, const sockaddr_storage& peerAddress) {
    std::string address = SourceOf(peerAddress);
    std::string peer = PeerText(peerAddress);
    std::lock_guard lock(sessionsMutex_);
    std::size_t total = 0, waitingHere = 0, usersHere = 0;
    Session* oldestWaiting = nullptr;  // of all connections that may give way
    Session* oldestHere = nullptr;     // of those from this source
    for (Session& s : sessions_) {
        if (s.done || s.evicted) continue;
        ++total;
        const bool here = s.address == address;
        if (here) ++(s.loggedOn ? usersHere : waitingHere);
        if (!MayGiveWay(s)) continue;
        if (!oldestWaiting || s.accepted < oldestWaiting->accepted) oldestWaiting = &s;
        if (here && (!oldestHere || s.accepted < oldestHere->accepted)) oldestHere = &s;
    }
    auto refuse = [&](const std::string& why) {
        Log(LogLevel::Warning, peer + " connection refused: " + why);
        ::close(fd);
    };
    // A real log-on takes milliseconds: a connection still without one yields its place.
    auto makeWay = [&](Session* s, const char* why) {
        s->evicted = true;
        if (s->fd >= 0) ::shutdown(s->fd, SHUT_RDWR);
        Log(LogLevel::Warning, s->peer + " made way for a new connection: " + why);
    };
    if (usersHere >= options_.maxUsersPerAddress) return refuse("too many users logged on from " + address);
    if (waitingHere >= options_.maxClientsPerAddress) {
        if (!oldestHere) return refuse("too many connections from " + address);
        if (oldestHere == oldestWaiting) oldestWaiting = nullptr;
        makeWay(oldestHere, "too many connections from its address");
        --total;
    }
    if (total >= options_.maxClients) {
        if (!oldestWaiting) return refuse("too many clients");
        makeWay(oldestWaiting, "too many clients");
    }
    bool added = false;
    try {
        Session& s = sessions_.emplace_back();
        added = true;
        s.fd = fd;
        s.address = std::move(address);
        s.peer = peer;
        s.accepted = std::chrono::steady_clock::now();
        Log(LogLevel::Info, peer + (options_.tls ? " connection opened (TLS)" : " connection opened (plain)"));
        if (options_.fault) options_.fault("thread");
        s.thread = std::thread([this, &s] { Serve(s); });
    } catch (const std::exception& e) {
        // No thread or no memory: this client is not served, the others are.
        if (added) sessions_.pop_back();
        ::close(fd);
        Log(LogLevel::Error, peer + " connection closed: cannot serve it (" + e.what() + ")");
    }
}

void Listener::Serve(Session& session) {
    Ending ending;
    try {
        ending = ServeClient(session);
    } catch (const std::exception& e) {
        ending = {LogLevel::Error, std::string("cannot serve it (") + e.what() + ")"};
    } catch (...) {
        ending = {LogLevel::Error, "cannot serve it"};
    }
    Log(ending.level, session.peer + " connection closed" + (ending.why.empty() ? "" : ": " + ending.why));
    CloseSession(session);
}

Listener::Ending Listener::ServeClient(Session& session) {
    using namespace kel::net;
    const int fd = session.fd;
    const Deadline logonDeadline = session.accepted + std::chrono::milliseconds(std::max(options_.logonTimeoutMs, 0));
    // The socket stays the session's (CloseSession closes it); the stream only reads and writes.
    std::unique_ptr<Stream> stream = std::make_unique<SocketStream>(fd, false);
    if (options_.tls) {
        // A plain client's log-on is no handshake: refused at its first bytes.
        std::string why;
        stream = options_.tls->Accept(std::move(stream), logonDeadline, why);
        if (!stream) return {LogLevel::Warning, "TLS handshake failed: " + why};
    }
    static constexpr FrameRule kLogonFrame{static_cast<std::uint32_t>(kFrameHeadBytes + sizeof(_LogonBody)),
                                           kLogonTransCode};
    _PacketHead head{}, answer{};
    std::vector<char> body, answerBody;
    HeldBytes::Share held(held_, fd);
    bool loggedOn = false;
    for (;;) {
        if (stream->WaitReadable(loggedOn ? DeadlineAfter(options_.idleTimeoutMs) : logonDeadline) == kChannelTimeout)
            return {LogLevel::Info, loggedOn ? "idle" : "no log-on in time"};
        if (!loggedOn) {
            // A log-on frame that has arrived whole is served from now on: no newcomer
            // takes its place while this thread reads and checks it.
            char whole[kLogonFrameBytes];
            if (stream->Peek(whole, sizeof whole) == kLogonFrameBytes) {
                std::lock_guard lock(sessionsMutex_);
                if (!session.evicted) session.logonIn = true;
            }
        }
        const Deadline frameDeadline = loggedOn ? DeadlineAfter(options_.frameTimeoutMs) : logonDeadline;
        const ReadOutcome got =
            ReadRequest(*stream, loggedOn ? FrameRule{} : kLogonFrame, frameDeadline, held_, head, body, &held);
        if (got != ReadOutcome::kWhole && held.Squeezed())
            return {LogLevel::Warning, "it held the most bytes of unfinished frames when the server held too many"};
        if (got == ReadOutcome::kRefusedAtHead) {
            answer = _PacketHead{};
            answer.nTransCode = head.nTransCode;
            answer.cStatus = 1;
            WriteFrame(*stream, answer, nullptr, 0, DeadlineAfter(options_.frameTimeoutMs));
            return {LogLevel::Warning, "first frame is not a log-on"};
        }
        switch (got) {
            case ReadOutcome::kWhole: break;
            case ReadOutcome::kClosed: return {};
            case ReadOutcome::kTimeout:
                return {LogLevel::Warning, loggedOn ? "a frame did not arrive whole in time" : "no log-on in time"};
            case ReadOutcome::kBadLength: return {LogLevel::Warning, "frame length out of range"};
            case ReadOutcome::kNoMemory: return {LogLevel::Error, "no memory for a request"};
            case ReadOutcome::kOverBound:
                return {LogLevel::Warning, "a frame would hold more than the server keeps for unfinished frames"};
            default: return {LogLevel::Warning, "unreadable frame"};
        }
        if (options_.fault) options_.fault("request");
        if (head.nTransCode == kLogonTransCode) {
            // Also a log-on after the first: each one passes the brake.
            Ending ending;
            if (!LogOn(session, *stream, head, body, ending)) return ending;
            loggedOn = true;
            continue;
        }
        server_.Handle(session.client, head, std::string_view(body.data(), body.size()), answer, answerBody);
        std::vector<char>().swap(body);  // nothing kept while the client is idle
        if (options_.log && options_.logLevel >= LogLevel::Debug)
            Log(LogLevel::Debug, session.peer + " request " + std::to_string(head.nTransCode) + " status " +
                                     std::to_string(static_cast<int>(answer.cStatus)));
        if (WriteFrame(*stream, answer, answerBody.data(), answerBody.size(), DeadlineAfter(options_.frameTimeoutMs)) !=
            kChannelOk)
            return {LogLevel::Warning, "the answer could not be sent"};
        if (answerBody.capacity() > kReadChunkBytes) std::vector<char>().swap(answerBody);
    }
}

bool Listener::LogOn(Session& session, kel::net::Stream& stream, const _PacketHead& head, const std::vector<char>& body,
                     Ending& ending) {
    using namespace kel::net;
    {
        std::lock_guard lock(sessionsMutex_);
        if (session.evicted) {
            ending.why = "made way for a new connection";
            return false;
        }
        session.logonIn = true;  // from now on served, never made to give way (if not already)
    }
    const std::string user = UserCodeOf(body);
    LogonBrake::Ticket turn;
    const auto asked = std::chrono::steady_clock::now();
    for (;;) {
        turn = brake_.Admit(user, session.address);
        if (!turn.retry) break;
        // Another log-on on the code from this source is being checked: its outcome decides.
        if (std::chrono::steady_clock::now() - asked > std::chrono::milliseconds(options_.brake.maxWaitMs)) {
            turn.refused = true;
            break;
        }
        if (!WaitOut(session.fd, std::chrono::milliseconds(20))) return false;
    }
    _PacketHead answer{};
    if (turn.refused) {
        Log(LogLevel::Warning,
            session.peer + " log-on " + LogonUser(body) + " refused unchecked: too many failed log-ons");
        answer.nTransCode = head.nTransCode;
        answer.nSubSystem = head.nSubSystem;
        answer.cStatus = kRefused;
        WriteFrame(stream, answer, nullptr, 0, DeadlineAfter(options_.frameTimeoutMs));
        ending.why = "log-on refused";
        return false;
    }
    // Whatever ends the attempt, the brake learns that it is over.
    bool settled = false;
    struct Settle {
        std::function<void()> abandon;
        bool& settled;
        ~Settle() {
            if (!settled) abandon();
        }
    } settle{[&] { brake_.Abandoned(turn, user, session.address); }, settled};
    // A guesser that hangs up while waiting leaves its turn spent.
    if (!WaitOut(session.fd, turn.wait)) return false;
    std::vector<char> answerBody;
    server_.Handle(session.client, head, std::string_view(body.data(), body.size()), answer, answerBody);
    const bool accepted = answer.cStatus == 0;
    brake_.Checked(turn, user, session.address, accepted);
    settled = true;
    Log(accepted ? LogLevel::Info : LogLevel::Warning,
        session.peer + " log-on " + LogonUser(body) + (accepted ? " accepted" : " refused"));
    if (!accepted) {
        WriteFrame(stream, answer, nullptr, 0, DeadlineAfter(options_.frameTimeoutMs));
        ending.why = "log-on refused";
        return false;
    }
    {
        std::lock_guard lock(sessionsMutex_);
        if (session.evicted) {
            ending.why = "made way for a new connection";
            return false;
        }
        session.loggedOn = true;
    }
    if (WriteFrame(stream, answer, answerBody.data(), answerBody.size(), DeadlineAfter(options_.frameTimeoutMs)) ==
        kChannelOk)
        return true;
    ending = {LogLevel::Warning, "the answer could not be sent"};
    return false;
}

bool Listener::WaitOut(int fd, std::chrono::milliseconds delay) const {
    const auto until = std::chrono::steady_clock::now() + delay;
    while (!stopping_) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0) return true;
        // Wakes when the client hangs up (or Stop shuts the socket), not when it sends.
        pollfd p{fd, POLLRDHUP, 0};
        const int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 200)));
        if (n > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL))) return false;
    }
    return false;
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
