#include "shell/Session.h"

#include "common/net/Channel.h"
#include "common/net/InProcessChannel.h"
#include "common/net/SessionChannel.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxcommon/StaticDatabase.h"
#include "host/win/UiDriver.h"
#include "server/Server.h"
#include "server/store/NativeConnection.h"

namespace kel::shell {

Session::~Session() { Close(); }

bool Session::Prepare(const Options& options, std::string& error) {
    m_options = options;
    m_embedded = options.servers.empty();
    m_databaseTarget = options.database;
    if (!m_embedded) return true;
    if (m_databaseTarget.empty()) m_databaseTarget = DefaultDatabaseFile();
    std::string why;
    std::unique_ptr<kel::server::Server> server = kel::server::OpenEmbedded(m_databaseTarget, &why);
    if (!server) {
        error = "无法打开数据库 " + m_databaseTarget + ": " + why;
        return false;
    }
    m_server = std::move(server);
    return true;
}

bool Session::LogOn(const std::string& user, const std::string& password, std::string& error, bool& refused) {
    refused = false;
    std::shared_ptr<kel::Channel> channel;
    std::shared_ptr<kel::net::SessionChannel> remote;
    kel::net::ConnectResult result;
    if (m_embedded) {
        std::weak_ptr<kel::server::Server> server = m_server;
        // One connection: it acts for the user who logs on through it below.
        auto client = std::make_shared<kel::server::ConnectionContext>();
        auto inProcess = std::make_shared<kel::net::InProcessChannel>(
            [server, client](const _PacketHead& request, std::string_view body, _PacketHead& head,
                             std::vector<char>& answer) {
                if (auto s = server.lock()) s->Handle(*client, request, body, head, answer);
            });
        result = inProcess->LogOn(user, password);
        channel = inProcess;
    } else {
        kel::net::SessionOptions sessionOptions;
        sessionOptions.tcp.tls = m_options.tls;  // every connection, the reconnects too
        auto session = std::make_shared<kel::net::SessionChannel>(m_options.servers, user, password, sessionOptions);
        // Connecting again takes a few seconds at most: the wait cursor shows it.
        session->OnWaiting([](bool waiting) {
            if (auto driver = ::win::InstalledDriver()) waiting ? driver->BeginWaitCursor() : driver->EndWaitCursor();
        });
        result = session->Open();
        channel = session;
        remote = session;
    }
    if (!result.ok()) {
        refused = result.refused;
        error = refused ? "用户代码或密码错误" : result.message;
        return false;
    }

    // The host's shared database: the embedded file, or what --database names. Opened
    // as the server opens its store: a SQLite file or PostgreSQL through its own
    // library, only another ODBC driver through ODBC (whose driver manager and driver
    // cost every start more than the reading they serve).
    std::shared_ptr<kel::db::Connection> database;
    if (!m_databaseTarget.empty()) {
        std::string why;
        database = kel::server::store::Open(m_databaseTarget, &why);
        if (!database) {
            error = "无法打开数据库 " + m_databaseTarget + ": " + why;
            return false;
        }
    }
    m_channel = channel;
    m_remote = remote;
    m_database = database;
    SetStaticDatabase(m_database);
    CBASEBASE::SetLoginUser(user.c_str());
    kel::InstallChannel(m_channel);
    return true;
}

void Session::Close() {
    if (m_channel && kel::InstalledChannel() == m_channel) kel::InstallChannel(nullptr);
    m_channel.reset();
    m_remote.reset();
    SetStaticDatabase(nullptr);
    m_database.reset();
}

bool LogOnQuietly(Session& session, const Options& options, std::string& error) {
    std::string user = options.user.value_or(kDemoUser);
    std::string password = options.password.value_or(options.user ? "" : kDemoPassword);
    bool refused = false;
    return session.LogOn(user, password, error, refused);
}

}  // namespace kel::shell
