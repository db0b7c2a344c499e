// The application server: answers every transaction of the module from its SQL
// store. The same object serves the TCP listener (kelmor-server) and, in-process,
// the host's embedded default. Handle is thread-safe: concurrent calls each use a
// database connection of their own.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/records/PacketHead.h"
#include "server/ConnectionContext.h"
#include "server/Limits.h"
#include "server/Status.h"

namespace kel::server {

class AnswerCache;
class ReadGate;
struct AuditEntry;
class SessionRegistry;
class Store;

struct ServerOptions {
    // Called with each refused or failed request (status and why); nullptr: silent.
    std::function<void(int code, Status status, std::string_view why)> log;
    // Called with what opening the store changed in the stored data; nullptr: silent.
    std::function<void(std::string_view what)> note;
    // Keep query answers while the store is unchanged (SQLite only, where every
    // commit by another connection or process is noticed).
    bool cacheAnswers = true;
    // Reads run at once; more wait their turn (ReadGate.h). 0: ReadGate::DefaultAtOnce.
    std::size_t readsAtOnce = 0;
    // How much work one request may make.
    WorkLimits limits;
};

class Server {
public:
    // Opens the database (a SQLite file path or an ODBC connection string) and
    // creates the schema where missing. nullptr on failure (`error` tells).
    static std::unique_ptr<Server> Open(const std::string& database, std::string* error = nullptr,
                                        ServerOptions options = {});
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Answers one request of the connection `client`, acting for its logged-on
    // user. The answer head repeats the request's code, subsystem and operation and
    // carries the record count and the status; a request that fails leaves the
    // answer body empty and the database unchanged. Never throws.
    // Transaction 1 is the log-on (body _LogonBody): status 0 or 1; it sets the
    // connection's user (none after a refusal). Any other request of a connection
    // nobody is logged on to is refused (status 1). Transaction 2 (body _ResumeBody)
    // after a log-on joins the connection to its client session (count 1 when the
    // session's read versions were held).
    void Handle(ConnectionContext& client, const _PacketHead& request, std::string_view body, _PacketHead& answerHead,
                std::vector<char>& answerBody);

    // True when the user exists and the password is right and not empty (UTF-8 texts).
    bool CheckLogon(std::string_view userCode, std::string_view password);

    // Adds a user or replaces the password of one; stores only a salted hash. An
    // empty password is refused.
    bool SetUser(const std::string& userCode, const std::string& name, const std::string& password,
                 std::string* error = nullptr);

    // True when the database holds no users, treaty codes, reinsurers or treaty data.
    bool IsEmpty();

    // Calls `each` with the audit's entries (who changed what) from `since` on
    // ("YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS", UTC; empty: all), oldest first.
    bool ForEachAudit(const std::string& since, const std::function<void(const AuditEntry&)>& each,
                      std::string* error = nullptr);

    // Loads the demo data in one transaction (into an empty database only). The demo
    // users' passwords are hashed as every other password is, or, when `published`,
    // as passwords everybody knows (HashPublishedPassword).
    bool LoadDemoData(std::string* error = nullptr, bool published = false);

    Store& GetStore() { return *store_; }

private:
    Server(std::unique_ptr<Store> store, ServerOptions options);
    void Log(int code, Status status, std::string_view why) const;
    // The refusal reason transaction: answered from the connection, no database.
    static void AnswerReason(ConnectionContext& client, std::string_view body, _PacketHead& answerHead,
                             std::vector<char>& answerBody);

    std::unique_ptr<Store> store_;
    ServerOptions options_;
    std::unique_ptr<AnswerCache> cache_;  // null: answers are not kept
    std::unique_ptr<SessionRegistry> sessions_;
    std::unique_ptr<ReadGate> reads_;
};

// The host's embedded default: opens (creating) the SQLite file, and loads the
// demo data when the database is empty. nullptr on failure (`error` tells).
std::unique_ptr<Server> OpenEmbedded(const std::string& databasePath, std::string* error = nullptr);

}  // namespace kel::server
