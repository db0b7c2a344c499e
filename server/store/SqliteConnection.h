// A SQLite file through the sqlite3 C API: WAL journal, a 10 s busy timeout,
// declared foreign keys enforced, statements prepared once and kept.
#pragma once

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "server/store/NativeConnection.h"

namespace kel::server::store {

class SqliteConnection final : public NativeConnection {
public:
    // Opens (creating) the file. nullptr when it cannot be opened or is no database.
    static std::unique_ptr<SqliteConnection> Open(const std::string& path, std::string* error);
    ~SqliteConnection() override;
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    bool Each(const std::string& sql, const std::vector<kel::db::Value>& params, const EachRow& each) override;
    int64_t Execute(const std::string& sql, const std::vector<kel::db::Value>& params = {}) override;
    bool Begin() override;
    bool Commit() override;
    bool Rollback() override;
    std::string LastError() const override { return lastError_; }
    std::string Dialect() const override { return "sqlite"; }

    // PRAGMA data_version: a library call on a kept statement, no driver between.
    // It opens a read transaction (two file-lock calls in WAL mode).
    std::optional<int64_t> DataVersion();

    // The header of the file's WAL index as the last commit left it, read from the
    // shared memory every connection to the file maps, without a lock or a call
    // into the library: every commit, by any connection in any process, changes
    // it. nullopt when the file is not in WAL mode (then DataVersion tells).
    std::optional<WalStamp> ReadWalStamp();

    // Statements kept at most; past that the cache starts afresh.
    static constexpr std::size_t kMaxStatements = 256;

private:
    explicit SqliteConnection(sqlite3* db) : db_(db) {}
    class Use;
    // The kept statement of `sql`, prepared when new; a fresh one when the kept
    // one is busy (a query run inside another's rows). nullptr on failure.
    sqlite3_stmt* Prepare(const std::string& sql, bool& kept);
    bool Bind(sqlite3_stmt* stmt, const std::vector<kel::db::Value>& params);
    bool Fail();

    sqlite3* db_;
    bool walLooked_ = false;
    const volatile uint32_t* walIndex_ = nullptr;  // the WAL index, mapped while the connection is open
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
    std::string lastError_;
};

}  // namespace kel::server::store
