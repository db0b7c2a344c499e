// The channel to a remote application server over TCP (IPv4 or IPv6), plain or TLS.
//
// Connect resolves the host, connects with a time-out, starts TLS when the options
// ask for it (the server verified before the log-on goes out) and logs on. After that
// Send/Receive carry one transaction each. Any transport failure (time-out, broken
// connection, a frame that makes no sense) closes the connection for good: later
// calls fail at once with kChannelClosed, so a half-read answer can never be taken
// for the next one.
//
// Threads: the first Send of a thread makes it the owner of the connection until it
// has received an answer for every request it sent; Send/Receive of another thread
// wait for that (at most twice the receive time-out, then kChannelTimeout). So a
// poller sharing the channel with the UI thread never gets the UI thread's answer.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/net/Channel.h"
#include "common/net/Logon.h"
#include "common/net/Stream.h"
#include "common/net/TlsOptions.h"

namespace kel::net {

struct TcpOptions {
    int connectTimeoutMs = 5000;   // name lookup and TCP connect, all addresses together
    int receiveTimeoutMs = 60000;  // a whole answer (also the log-on answer), or a request
                                   // waiting to leave; values <= 0 take the default
    int logonTimeoutMs = 0;        // the TLS handshake and the log-on's answer; <= 0: the receive time-out
    TlsClientOptions tls;          // empty: plain TCP
};

class TcpChannel final : public Channel {
public:
    TcpChannel() = default;
    ~TcpChannel() override;
    TcpChannel(const TcpChannel&) = delete;
    TcpChannel& operator=(const TcpChannel&) = delete;

    // Drops any previous connection, then connects and logs on. On failure the
    // channel is left unconnected (kChannelNotConnected from Send/Receive).
    ConnectResult Connect(const std::string& host, std::uint16_t port, std::string_view userCode,
                          std::string_view password, const TcpOptions& options = {});

    // Closes the connection; Send/Receive then give kChannelNotConnected.
    void Close();
    bool IsConnected() const;
    // Not connected, broken, or closed by the server while idle.
    bool Gone() override;

    int Send(const _PacketHead& head, const void* body, std::size_t length) override;
    int Receive(_PacketHead& head, std::vector<char>& body) override;

private:
    enum class State { NotConnected, Connected, Broken };

    // Waits until no other thread is in the middle of a transaction.
    int AwaitTurnLocked(std::unique_lock<std::mutex>& lock);
    int StateErrorLocked() const;
    void ReleaseTurnLocked();
    void DropLocked(State next);

    mutable std::mutex m_mutex;
    std::condition_variable m_turnFree;
    std::unique_ptr<Stream> m_stream;  // plain or TLS; null when not connected
    State m_state = State::NotConnected;
    TcpOptions m_options;
    std::thread::id m_owner;  // default id: no transaction open
    int m_pending = 0;        // answers the owner still has to receive
};

}  // namespace kel::net
