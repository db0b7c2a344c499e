// A one-connection server on the loopback interface for channel tests: listens on
// port 0, accepts one client and runs a script on the connection in its own thread.
#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <functional>
#include <thread>

#include "common/net/Frame.h"
#include "common/net/Logon.h"

namespace kel::net::test {

class LoopbackPeer {
public:
    using Script = std::function<void(int fd)>;

    // family AF_INET listens on 127.0.0.1, AF_INET6 on ::1.
    explicit LoopbackPeer(Script script, int family = AF_INET);
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    bool listening() const { return m_listen >= 0; }
    std::uint16_t port() const { return m_port; }
    // Waits for the script to finish; whatever it recorded may be read afterwards.
    void Join();

private:
    int m_listen = -1;
    std::uint16_t m_port = 0;
    std::thread m_thread;
};

// Every wait of a script ends by itself, so a broken test cannot hang the run.
inline Deadline PeerDeadline() { return DeadlineAfter(5000); }

// Reads the log-on frame and answers it with `status`; false when none came.
bool AnswerLogon(int fd, std::int8_t status, _PacketHead* seenHead = nullptr, std::vector<char>* seenBody = nullptr);

// Answers every request with its own head (status 0, count = transaction code)
// and body, until the client goes away.
void Echo(int fd);

// Blocks until the client closes the connection (or the peer deadline passes).
void WaitForClose(int fd);

// A loopback port on which nobody listens.
std::uint16_t ClosedPort();

}  // namespace kel::net::test
