#include "server/Server.h"

#include <cstdio>
#include <mutex>
#include <optional>

#include "common/net/Channel.h"
#include "common/net/Logon.h"
#include "common/net/SessionResume.h"
#include "server/AnswerCache.h"
#include "server/Audit.h"
#include "server/CommandTable.h"
#include "server/Password.h"
#include "server/PrivateFile.h"
#include "server/ReadGate.h"
#include "server/SessionKeeping.h"
#include "server/SessionRegistry.h"
#include "server/ShortSlice.h"
#include "server/Sql.h"
#include "server/Store.h"
#include "server/StoredFloats.h"
#include "server/Versions.h"

namespace kel::server {
namespace {

constexpr std::size_t kMaxAnswerBody = kel::kMaxFrameBytes - sizeof(_PacketHead);

// Runs one command on a leased connection inside the transaction its entry asks for.
void Run(const Command& cmd, Call& call, Store& store) {
    if (cmd.tx == Tx::None) {
        cmd.handler(call);
        return;
    }
    std::unique_lock<std::mutex> writeLock;
    try {
        if (cmd.tx == Tx::Write)
            store.BeginWrite(call.db, writeLock);
        else
            store.BeginRead(call.db);
        cmd.handler(call);
        if (cmd.tx == Tx::Write) WriteAudit(call);  // committed with the change, or not at all
        store.Commit(call.db);
    } catch (...) {
        store.Rollback(call.db);  // also after a failed BEGIN: harmless
        throw;
    }
}

}  // namespace

Server::Server(std::unique_ptr<Store> store, ServerOptions options)
    : store_(std::move(store)),
      options_(std::move(options)),
      sessions_(std::make_unique<SessionRegistry>()),
      reads_(std::make_unique<ReadGate>(options_.readsAtOnce ? options_.readsAtOnce : ReadGate::DefaultAtOnce())) {
    if (options_.cacheAnswers && store_->IsSqlite()) cache_ = std::make_unique<AnswerCache>();
    sessions_->SetFinder(
        [this](std::string_view token, const std::string& user) { return TakeKeptSession(*store_, token, user); });
}

Server::~Server() {
    // The clients come back after a restart, or to another server on the database:
    // what they had read waits for them there.
    std::string why;
    if (!KeepSessions(*store_, sessions_->All(), &why)) Log(kel::net::kResumeTransCode, kServerFailure, why);
}

std::unique_ptr<Server> Server::Open(const std::string& database, std::string* error, ServerOptions options) {
    if (!PrepareDatabaseFile(database, error)) return nullptr;
    auto store = Store::Open(database, error);
    if (!store) return nullptr;
    try {
        auto lease = store->Acquire();
        UpgradeVersionColumns(*lease);
        const int64_t cleaned = CleanStoredFloats(*lease);
        if (cleaned > 0 && options.note)
            options.note("gave " + std::to_string(cleaned) +
                         " stored quota shares and coefficients their typed decimals");
    } catch (const std::exception& e) {
        if (error) *error = std::string("cannot upgrade the schema: ") + e.what();
        return nullptr;
    }
    return std::unique_ptr<Server>(new Server(std::move(store), std::move(options)));
}

void Server::Log(int code, Status status, std::string_view why) const {
    if (options_.log) options_.log(code, status, why);
}

void Server::Handle(ConnectionContext& client, const _PacketHead& request, std::string_view body,
                    _PacketHead& answerHead, std::vector<char>& answerBody) {
    answerHead = _PacketHead{};
    answerHead.nTransCode = request.nTransCode;
    answerHead.nSubSystem = request.nSubSystem;
    answerHead.nOperation = request.nOperation;
    answerBody.clear();
    if (request.nTransCode == kel::records::kRefusalReasonCode) {
        AnswerReason(client, body, answerHead, answerBody);
        return;
    }
    Status status = kOk;
    std::size_t count = 0;
    std::string reason;
    try {
        if (request.nTransCode == kel::net::kLogonTransCode) {
            client.LogOn({});  // a refused log-on leaves nobody logged on
            if (body.size() != sizeof(_LogonBody)) BadRequest("log-on body is not 64 bytes");
            const auto logon = wire::Load<_LogonBody>(body);
            const std::string user = wire::Required(logon.szUserCode, "user code");
            const std::string password = wire::Text(logon.szPassword, "password");
            if (!CheckLogon(user, password)) Refuse("wrong user code or password for " + user, "用户代码或密码不正确");
            client.LogOn(user);
        } else if (request.nTransCode == kel::net::kResumeTransCode) {
            if (client.User().empty()) Refuse("nobody is logged on to this connection", "尚未登录，请重新登录");
            if (body.size() != sizeof(_ResumeBody)) BadRequest("session body is not 32 bytes");
            const auto resume = wire::Load<_ResumeBody>(body);
            const std::string_view token(reinterpret_cast<const char*>(resume.token), sizeof resume.token);
            count = sessions_->Attach(client, token, resume.cAgain != 0) ? 1 : 0;
        } else {
            const std::string user = client.User();
            if (user.empty()) Refuse("nobody is logged on to this connection", "尚未登录，请重新登录");
            const Command* cmd = FindCommand(request.nTransCode);
            if (!cmd) throw Fault(kUnknownCode, "no such transaction");
            CheckRequest(*cmd->rule, request, body);
            auto lease = store_->Acquire();
            const bool cacheable = cache_ && cmd->tx != Tx::Write;
            std::string key;
            uint64_t generation = 0;
            _PacketHead kept{};
            if (cacheable) {
                store_->NoticeOutsideChanges(*lease);
                generation = store_->Generation();  // before the query: a change meanwhile outdates it
                key = AnswerCache::KeyOf(request, body) + '\0' + user;  // the answer is this user's
                SeenVersions seen;
                if (cache_->Find(key, generation, kept, answerBody, seen)) {
                    client.Remember(seen);
                    client.SetReason({});
                    answerHead.nCount = kept.nCount;
                    return;
                }
            }
            wire::Answer answer(answerBody);
            Call call{request, body, *lease, *store_, answer, user, client, options_.limits, {}, {}, 0, {}};
            try {
                // A read waits for its turn (ReadGate.h); a write never does, and takes
                // short turns on the processor so that it runs as soon as it can (ShortSlice.h).
                std::optional<ReadGate::Turn> turn;
                std::optional<ShortSlice> prompt;
                if (cmd->tx != Tx::Write)
                    turn.emplace(*reads_);
                else
                    prompt.emplace();
                Run(*cmd, call, *store_);
                if (cmd->tx == Tx::Write) store_->Touch();
            } catch (const Fault& f) {
                if (cmd->tx == Tx::Write) store_->Touch();
                if (f.status() == kServerFailure) lease.Discard();  // the connection may be broken
                throw;
            }
            count = answer.Count();
            if (count > static_cast<std::size_t>(INT16_MAX) || answerBody.size() > kMaxAnswerBody)
                throw Fault(kAnswerTooLarge, "the answer does not fit one frame");
            // Committed and answered: the connection now knows these versions.
            client.Remember(call.seen);
            for (RecordHash record : call.gone) client.Forget(record);
            if (cacheable) {
                kept.nCount = static_cast<int16_t>(count);
                cache_->Keep(std::move(key), generation, kept, answerBody, std::move(call.seen));
            }
        }
    } catch (const Fault& f) {
        status = f.status();
        reason = f.reason();
        Log(request.nTransCode, status, f.what());
    } catch (const std::exception& e) {
        status = kServerFailure;
        Log(request.nTransCode, status, e.what());
    } catch (...) {
        status = kServerFailure;
        Log(request.nTransCode, status, "unknown failure");
    }
    if (status != kOk) {
        answerBody.clear();
        count = 0;
        if (reason.empty()) reason = GeneralReason(status);
    }
    client.SetReason(std::move(reason));
    answerHead.cStatus = status;
    answerHead.nCount = static_cast<int16_t>(count);
}

void Server::AnswerReason(ConnectionContext& client, std::string_view body, _PacketHead& answerHead,
                          std::vector<char>& answerBody) {
    // Asking keeps the reason: a second ask (a lost answer) gets the same text.
    if (!body.empty()) {
        answerHead.cStatus = kBadRequest;
        return;
    }
    const std::string reason = client.Reason();
    if (reason.empty()) return;
    answerBody.assign(kel::records::kRefusalReasonBytes, '\0');
    wire::Put(answerBody.data(), answerBody.size(), reason);
    answerHead.nCount = 1;
}

bool Server::CheckLogon(std::string_view userCode, std::string_view password) {
    std::string hash;
    try {
        auto lease = store_->Acquire();
        const auto rs = sql::Query(*lease, "SELECT c_pwd_hash FROM t_user WHERE c_user_cde = ?",
                                   {sql::Text(std::string(userCode))});
        if (!rs.rows.empty()) hash = sql::Str(rs.rows[0][0]);
    } catch (const std::exception& e) {
        Log(kel::net::kLogonTransCode, kServerFailure, e.what());
        return false;
    }
    // An unknown user costs as much as a wrong password: one check against a fixed
    // hash of the same cost (making one here would cost the first log-on two hashes).
    static const std::string dummy = "$y$j9T$EsOB2mbOpeH6hcV/MC86T/$gxuaxB/bZgUVYH9QI/sz7rAOw1IhauBLnU3JidvoEHC";
    const bool ok = VerifyPassword(password, hash.empty() ? dummy : hash);
    // An empty password never logs on, also one stored before they were refused.
    return ok && !hash.empty() && !password.empty();
}

bool Server::SetUser(const std::string& userCode, const std::string& name, const std::string& password,
                     std::string* error) {
    auto fail = [error](std::string why) {
        if (error) *error = std::move(why);
        return false;
    };
    if (userCode.empty() || userCode.size() > 20) return fail("a user code has 1 to 20 characters");
    if (password.empty()) return fail("a password cannot be empty");
    const auto hash = HashPassword(password);
    if (!hash) return fail("cannot hash the password");
    try {
        store_->Write([&](kel::db::Connection& db) {
            sql::Execute(db, "DELETE FROM t_user WHERE c_user_cde = ?", {sql::Text(userCode)});
            sql::Execute(db, "INSERT INTO t_user (c_user_cde, c_user_nme, c_pwd_hash) VALUES (?, ?, ?)",
                         {sql::Text(userCode), sql::Text(name), sql::Text(*hash)});
        });
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return true;
}

bool Server::ForEachAudit(const std::string& since, const std::function<void(const AuditEntry&)>& each,
                          std::string* error) {
    if (!since.empty() && !IsAuditTime(since)) {
        if (error) *error = "a time is YYYY-MM-DD or YYYY-MM-DD HH:MM:SS, not " + since;
        return false;
    }
    try {
        auto lease = store_->Acquire();
        ReadAudit(*lease, since, each);
        return true;
    } catch (const std::exception& e) {
        if (error) *error = e.what();
        return false;
    }
}

bool Server::IsEmpty() {
    try {
        auto lease = store_->Acquire();
        for (const char* table : {"t_user", "t_cont_code", "t_ri_company", "t_cont_info"})
            if (sql::Exists(*lease, std::string("SELECT 1 FROM ") + table)) return false;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::unique_ptr<Server> OpenEmbedded(const std::string& databasePath, std::string* error) {
    ServerOptions options;
    options.log = [](int code, Status status, std::string_view why) {
        if (status == kServerFailure)
            std::fprintf(stderr, "kelmor server: transaction %d failed: %.*s\n", code, static_cast<int>(why.size()),
                         why.data());
    };
    options.note = [](std::string_view what) {
        std::fprintf(stderr, "kelmor server: %.*s\n", static_cast<int>(what.size()), what.data());
    };
    auto server = Server::Open(databasePath, error, std::move(options));
    if (!server) return nullptr;
    // The demo users of the embedded database have published passwords (each is the
    // user's code): a costly hash would guard nothing, and it made every start of the
    // program wait for one at its log-on. A password anybody sets (SetUser) is hashed
    // at the full cost, as on a server.
    if (server->IsEmpty() && !server->LoadDemoData(error, true)) return nullptr;
    return server;
}

}  // namespace kel::server
