// The TCP listener of kelmor-server: one thread per client.
//
// A client's first frame must be a log-on (transaction 1); a failed log-on, or any
// other first frame, is answered with status 1 and the connection closed. After
// that each frame is one request answered by Server::Handle. A frame whose length
// is out of range, a frame that does not arrive whole within the frame time-out,
// or a client silent for the idle time-out, ends the connection.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "server/Log.h"

namespace kel::server {

class Server;

struct ListenerOptions {
    std::string address = "127.0.0.1";   // loopback unless told otherwise
    uint16_t port = 0;                   // 0: any free port (see Port())
    int idleTimeoutMs = 30 * 60 * 1000;  // between requests
    int frameTimeoutMs = 30 * 1000;      // for a frame once begun, and for sending an answer
    int logonTimeoutMs = 30 * 1000;      // for the first frame
    std::size_t maxClients = 256;        // more are closed at once
    // Connection events, log-ons and (at Debug) each request, every line led by the
    // peer address; nullptr: silent.
    std::function<void(LogLevel, std::string_view)> log;
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

private:
    struct Session {
        std::thread thread;
        int fd = -1;
        std::atomic<bool> done{false};
    };

    void AcceptLoop();
    void Serve(Session& session, const std::string& peer);
    void CloseSession(Session& session);
    void ReapFinished();
    void Log(LogLevel level, const std::string& text) const;

    Server& server_;
    ListenerOptions options_;
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
