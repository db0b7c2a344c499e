#include "server/SessionKeeping.h"

#include <chrono>
#include <cstring>

#include "server/Sql.h"
#include "server/Store.h"

namespace kel::server {
namespace {

std::string Hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

int64_t Now() {
    return static_cast<int64_t>(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count());
}

// Record hashes are unsigned; the column is a signed 64-bit integer.
int64_t ToColumn(RecordHash h) {
    int64_t v;
    std::memcpy(&v, &h, sizeof v);
    return v;
}
RecordHash FromColumn(int64_t v) {
    RecordHash h;
    std::memcpy(&h, &v, sizeof h);
    return h;
}

}  // namespace

bool KeepSessions(Store& store, const std::vector<SessionRegistry::Held>& sessions, std::string* error) {
    try {
        store.Write([&](kel::db::Connection& db) {
            const int64_t now = Now();
            sql::Execute(db, "DELETE FROM t_session_read WHERE n_saved < ?", {sql::Value(now - kKeptSessionSeconds)});
            for (const SessionRegistry::Held& s : sessions) {
                const std::string token = Hex(s.token);
                sql::Execute(db, "DELETE FROM t_session_read WHERE c_token = ?", {sql::Text(token)});
                SeenVersions versions = s.memory->Versions();
                const bool forgot = s.memory->Forgotten() || versions.size() > kMaxKeptVersions;
                if (versions.size() > kMaxKeptVersions) versions.resize(kMaxKeptVersions);
                // The session's own row says it exists, even with nothing read.
                sql::Execute(db,
                             "INSERT INTO t_session_read (c_token, c_user_cde, n_record, n_version, c_forgot, n_saved) "
                             "VALUES (?, ?, NULL, NULL, ?, ?)",
                             {sql::Text(token), sql::Text(s.user), sql::Text(forgot ? "Y" : "N"), sql::Value(now)});
                for (const auto& [record, version] : versions)
                    sql::Execute(db,
                                 "INSERT INTO t_session_read (c_token, c_user_cde, n_record, n_version, c_forgot, "
                                 "n_saved) VALUES (?, ?, ?, ?, NULL, ?)",
                                 {sql::Text(token), sql::Text(s.user), sql::Value(ToColumn(record)),
                                  sql::Value(version), sql::Value(now)});
            }
        });
    } catch (const std::exception& e) {
        if (error) *error = e.what();
        return false;
    }
    return true;
}

std::shared_ptr<ReadMemory> TakeKeptSession(Store& store, std::string_view token, const std::string& user) {
    try {
        std::shared_ptr<ReadMemory> memory;
        store.Write([&](kel::db::Connection& db) {
            const std::string key = Hex(token);
            const auto rs = sql::Query(db,
                                       "SELECT n_record, n_version, c_forgot FROM t_session_read "
                                       "WHERE c_token = ? AND c_user_cde = ? AND n_saved >= ?",
                                       {sql::Text(key), sql::Text(user), sql::Value(Now() - kKeptSessionSeconds)});
            sql::Execute(db, "DELETE FROM t_session_read WHERE c_token = ?", {sql::Text(key)});
            if (rs.rows.empty()) return;
            memory = std::make_shared<ReadMemory>();
            SeenVersions seen;
            bool forgot = false;
            for (const auto& row : rs.rows) {
                if (row[0].IsNull())
                    forgot = forgot || sql::Str(row[2]) == "Y";
                else
                    seen.emplace_back(FromColumn(sql::Int(row[0])), sql::Int(row[1]));
            }
            if (forgot) memory->ForgetAll();
            memory->Remember(seen);
        });
        return memory;
    } catch (const std::exception&) {
        return nullptr;  // not found: the client reads again before it saves
    }
}

}  // namespace kel::server
