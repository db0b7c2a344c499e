// The TCP listener of kelmor-server: one thread per client, plain or TLS (the
// handshake on the client's thread, within the log-on time-out).
//
// A client's first frame must be a log-on (transaction 1 with its 64-byte body):
// any other length or code is refused at its head, before a body byte is read, and
// the whole log-on frame must arrive within the short log-on time-out. The brake
// (LogonBrake) gives each log-on its turn: one refused by the brake, or whose
// password is wrong, is answered with status 1 and the connection closed. After
// log-on each frame is one request answered by Server::Handle; its buffer grows
// with the bytes that arrive (RequestReader). A frame whose length is out of range,
// a frame that does not arrive whole within the frame time-out, or a client silent
// for the idle time-out, ends the connection.
//
// Connections are counted by source: an IPv4 address, an IPv6 /64 (one site's
// network), and loopback as one whichever family it came by. From one source at
// most maxClientsPerAddress connections wait for their log-on and at most
// maxUsersPerAddress are logged on; maxClients in all. Past a limit, the oldest
// connection that has sent no log-on gives way to the new one, so sockets held open
// never lock a user out; one whose log-on frame has arrived (read, or waiting whole
// in the socket) is served first and never gives way. Where none can give way, the
// new connection is closed. A connection the server cannot serve (no thread, no
// memory) is closed; the server goes on.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <sys/socket.h>

#include "common/records/PacketHead.h"
#include "server/ConnectionContext.h"
#include "server/Log.h"
#include "server/LogonBrake.h"
#include "server/RequestReader.h"
#include "server/Tls.h"

namespace kel::server {

class Server;

// What the limits and the brake count a peer by: an IPv4 address as text (also one
// reached over IPv6), "127.0.0.1" for IPv6 loopback, the /64 of other IPv6
// addresses ("2001:db8:1:2::/64").
std::string SourceOf(const sockaddr_storage& peer);

struct ListenerOptions {
    std::string address = "127.0.0.1";      // loopback unless told otherwise
    uint16_t port = 0;                      // 0: any free port (see Port())
    int idleTimeoutMs = 30 * 60 * 1000;     // between requests of a logged-on client
    int frameTimeoutMs = 30 * 1000;         // for a frame once begun, and for sending an answer
    int logonTimeoutMs = 5 * 1000;          // from the connection to the whole log-on frame
    std::size_t maxClients = 256;           // connections in all
    std::size_t maxClientsPerAddress = 32;  // connections from one source not logged on
    std::size_t maxUsersPerAddress = 256;   // logged-on connections from one source
    // Bytes held for frames not yet whole, by one connection and by all together;
    // past the latter the connection holding most is closed (RequestReader.h).
    std::size_t maxHeldPerClient = 16u << 20;
    std::size_t maxHeldInAll = 64u << 20;
    LogonBrakeOptions brake;  // the limit on failed log-ons
    // TLS on every connection, the handshake within the log-on time-out; null: plain.
    std::shared_ptr<const TlsServer> tls;
    // Connection events, log-ons and (at Debug) each request, every line led by the
    // peer address; nullptr: silent.
    std::function<void(LogLevel, std::string_view)> log;
    // The most detailed level `log` takes: a request's line is not even made below it.
    LogLevel logLevel = LogLevel::Debug;
    // For tests: called where a connection takes a thread ("thread") and before each
    // request it makes ("request"); it may throw what thread start and allocation throw.
    std::function<void(std::string_view stage)> fault;
};

class Listener {
public:
    Listener(Server& server, ListenerOptions options);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Binds, listens and starts accepting. false with `error` on failure.
    bool Start(std::string* error = nullptr);
    uint16_t Port() const { return port_; }
    // Stops accepting, closes every client connection and waits for their threads.
    void Stop();
    std::size_t ClientCount() const;
    // Bytes held in buffers of requests not yet whole, across every connection.
    const HeldBytes& FrameBytes() const { return held_; }

private:
    struct Session {
        std::thread thread;
        int fd = -1;
        std::string address;  // the peer's source, which the limits and the brake count by
        std::string peer;     // host and port, for the log
        std::chrono::steady_clock::time_point accepted;
        bool loggedOn = false;  // under sessionsMutex_
        bool evicted = false;   // under sessionsMutex_: gave its place to a newer connection
        bool logonIn = false;   // under sessionsMutex_: its log-on frame has been read
        std::atomic<bool> done{false};
        ConnectionContext client;  // the user it logged on as, and the versions it has read
    };

    // Why a connection ended; no words when the client simply hung up.
    struct Ending {
        LogLevel level = LogLevel::Info;
        std::string why;
    };

    void AcceptLoop();
    void Admit(int fd, const sockaddr_storage& peer);
    void Serve(Session& session);
    Ending ServeClient(Session& session);
    bool LogOn(Session& session, kel::net::Stream& stream, const _PacketHead& head, const std::vector<char>& body,
               Ending& ending);
    bool WaitOut(int fd, std::chrono::milliseconds delay) const;
    bool MayGiveWay(const Session& s) const;
    void CloseSession(Session& session);
    void ReapFinished();
    void Log(LogLevel level, const std::string& text) const;

    Server& server_;
    ListenerOptions options_;
    LogonBrake brake_;
    HeldBytes held_;
    int listenFd_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    uint16_t port_ = 0;
    std::thread acceptThread_;
    std::atomic<bool> stopping_{false};
    mutable std::mutex sessionsMutex_;
    std::list<Session> sessions_;
};

}  // namespace kel::server
