// What the host sets up before any screen runs: the channel to the application
// server (logged on), the shared database connection and the logged-in user.
#pragma once

#include <memory>
#include <string>

#include "shell/Options.h"

namespace kel {
class Channel;
namespace net {
class SessionChannel;
}
namespace db {
class Connection;
}
namespace server {
class Server;
}
}  // namespace kel

namespace kel::shell {

class Session {
public:
    ~Session();
    // Opens the server side: the embedded server (nothing to reach over the network)
    // or nothing yet for a remote one. False with `error` when it cannot.
    bool Prepare(const Options& options, std::string& error);
    bool IsEmbedded() const { return m_embedded; }
    // Logs the user on through a new channel; on success installs the channel, the
    // database and the user for host and module. `refused` tells a wrong user or
    // password from a server that cannot be reached.
    bool LogOn(const std::string& user, const std::string& password, std::string& error, bool& refused);
    // Takes back what LogOn installed.
    void Close();
    // The channel to the remote servers after a log-on; null on the embedded default.
    std::shared_ptr<kel::net::SessionChannel> Remote() const { return m_remote; }

private:
    Options m_options;
    bool m_embedded = true;
    std::string m_databaseTarget;
    std::shared_ptr<kel::server::Server> m_server;
    std::shared_ptr<kel::Channel> m_channel;
    std::shared_ptr<kel::net::SessionChannel> m_remote;
    std::shared_ptr<kel::db::Connection> m_database;
};

// Logs on without asking: the user and password of the command line, or the demo
// user of the embedded default when none is given.
bool LogOnQuietly(Session& session, const Options& options, std::string& error);

// The demo user the embedded default is created with.
inline constexpr const char* kDemoUser = "demo";
inline constexpr const char* kDemoPassword = "demo";

}  // namespace kel::shell
