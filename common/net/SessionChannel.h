// The channel of a client session: logged on to the first of its servers that
// answers, and connected again by itself when the connection is gone.
//
// - A request that finds the connection gone (the server closed it, or an earlier
//   transport failure) connects again, logs on again with the session's user and
//   password (held in memory only) and then goes out. A failed send never delivers
//   a whole request, so such a request is sent again on the new connection.
// - A request whose answer is lost (it went out, the answer did not come) is never
//   sent again: Receive connects again and gives kChannelAnswerLost (or
//   kChannelAnswerLostOffline when that did not work), and the user is told.
// - Connecting again tries the servers in order and takes at most the reconnect
//   budget; when no server answers in time the request fails with
//   kChannelUnreachable and the next request tries again.
// - After each log-on the channel sends its session token (SessionResume.h), so the
//   server keeps what this session has read across the reconnect.
//
// How a connection is made (plain TCP, or anything else) is the Dial's business.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/net/Channel.h"
#include "common/net/Logon.h"
#include "common/net/ServerList.h"
#include "common/net/TcpChannel.h"

namespace kel::net {

struct SessionOptions {
    TcpOptions tcp;                // each connection's time-outs (the plain TCP dial)
    int reconnectBudgetMs = 5000;  // connecting again, every server together
};

// What the status bar shows.
struct SessionState {
    bool connected = false;
    std::string address;  // the server connected to, or the list when none is
    std::string user;
};

class SessionChannel final : public Channel {
public:
    // Opens one logged-on connection to `address` within `timeoutMs` into `link`.
    using Dial = std::function<ConnectResult(const ServerAddress& address, std::string_view user,
                                             std::string_view password, int timeoutMs, std::shared_ptr<Channel>& link)>;
    // The plain TCP dial with the options' time-outs.
    static Dial TcpDial(const TcpOptions& options);

    SessionChannel(std::vector<ServerAddress> servers, std::string user, std::string password,
                   SessionOptions options = {}, Dial dial = {});
    ~SessionChannel() override;  // wipes the password
    SessionChannel(const SessionChannel&) = delete;
    SessionChannel& operator=(const SessionChannel&) = delete;

    // The first log-on: each server in order, each with the connect time-out. A
    // refused log-on stops there (the next server would refuse the same user).
    ConnectResult Open();

    int Send(const _PacketHead& head, const void* body, std::size_t length) override;
    int Receive(_PacketHead& head, std::vector<char>& body) override;
    bool Gone() override;
    bool Away() override;
    // Connects again now, quietly, when the connection is gone; true when connected.
    bool Reach();

    // Called with true before connecting again and with false after (the host
    // shows the wait cursor meanwhile).
    void OnWaiting(std::function<void(bool)> waiting);
    // Called after every change of the state, on the thread that made it.
    void OnStateChange(std::function<void(const SessionState&)> changed);
    SessionState State() const;
    // How many times the session has connected again (each may need a fresh read).
    int Reconnects() const;

private:
    std::shared_ptr<Channel> Link() const;
    // Connects again unless another thread already has; null when no server answered.
    std::shared_ptr<Channel> Reconnect(const std::shared_ptr<Channel>& failed);
    // Tries every server in order; the link and the index of its server, or null.
    std::shared_ptr<Channel> DialAny(int budgetMs, bool again, std::size_t& index, ConnectResult& result);
    void Resume(Channel& link, bool again);
    void Changed();

    const std::vector<ServerAddress> m_servers;
    const std::string m_user;
    std::string m_password;
    const SessionOptions m_options;
    const Dial m_dial;
    unsigned char m_token[16] = {};

    std::mutex m_dialMutex;  // one reconnect at a time
    mutable std::mutex m_mutex;
    std::shared_ptr<Channel> m_link;
    std::size_t m_server = 0;  // index of the server m_link goes to
    int m_reconnects = 0;
    std::function<void(bool)> m_waiting;
    std::function<void(const SessionState&)> m_changed;
};

}  // namespace kel::net
