// The server's store: a pool of database connections (one per request in flight,
// so concurrent clients are served at once), the schema, transactions and the
// identifiers the server hands out.
//
// Writes run one at a time: an in-process lock, plus on SQLite "BEGIN IMMEDIATE"
// (the file's write lock, waiting up to the busy timeout) and on PostgreSQL a
// transaction-scoped advisory lock, so that several server processes on one
// database also take turns. Reads run in parallel.
//
// A SQLite file deleted or replaced under the server would take every later write
// into a file nobody will open again: each write first checks that the path still
// names the file the store opened, and is refused (status 3) when it does not.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "common/db/Database.h"

namespace kel::server {

class Store {
public:
    // Opens the first connection and creates the schema where missing. `target`
    // is a SQLite file path, a PostgreSQL URI or an ODBC connection string (see
    // store/NativeConnection.h). nullptr on failure.
    static std::unique_ptr<Store> Open(const std::string& target, std::string* error);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    class Lease {
    public:
        Lease(Store& store, std::unique_ptr<kel::db::Connection> c) : store_(&store), c_(std::move(c)) {}
        Lease(Lease&& o) noexcept = default;
        ~Lease();
        kel::db::Connection& operator*() const { return *c_; }
        kel::db::Connection* operator->() const { return c_.get(); }
        // The connection may be broken: close it instead of returning it to the pool.
        void Discard();

    private:
        Store* store_;
        std::unique_ptr<kel::db::Connection> c_;
    };

    // A connection for one request; throws Fault(kServerFailure) when none can be opened.
    Lease Acquire();

    bool IsSqlite() const { return sqlite_; }
    const std::string& Target() const { return target_; }

    // Transactions on a leased connection. BeginWrite takes the write lock, which
    // Commit and Rollback release; the lock guard lives in `writeLock`. It throws
    // Fault(kServerFailure) when the store's file is no longer the one opened.
    void BeginWrite(kel::db::Connection& db, std::unique_lock<std::mutex>& writeLock);
    void BeginRead(kel::db::Connection& db);  // one snapshot for several statements
    void Commit(kel::db::Connection& db);     // throws Fault(kServerFailure)
    void Rollback(kel::db::Connection& db) noexcept;
    // Runs `work` in one write transaction on a connection of its own: committed and
    // counted as a change when it returns, rolled back when it throws (rethrown).
    void Write(const std::function<void(kel::db::Connection&)>& work);

    // The next free identifier of `table`.`column`, remembered in t_id_counter
    // under `name`; never below the largest identifier in the table. Inside a write.
    int32_t NextId(kel::db::Connection& db, const std::string& name, const std::string& table,
                   const std::string& column);

    // The generation of the stored data: moves on with every change the store
    // knows of (Touch after each write; NoticeOutsideChanges for other writers).
    uint64_t Generation() const { return generation_.load(); }
    void Touch() { ++generation_; }
    // On SQLite, moves the generation on when anyone else (another connection or
    // process) has committed since the last look: in WAL mode from the WAL index
    // header in shared memory (no lock, no call into the library), otherwise from
    // the connection's data_version. Elsewhere a no-op.
    void NoticeOutsideChanges(kel::db::Connection& db);

    // Maximum connections open at once; a request beyond waits for one.
    static constexpr std::size_t kMaxConnections = 64;
    // A pooled connection unused this long is closed (one is kept open).
    static constexpr std::chrono::milliseconds kIdleClose{std::chrono::minutes(2)};
    void SetIdleClose(std::chrono::milliseconds after);
    std::size_t OpenConnections();

private:
    explicit Store(std::string target) : target_(std::move(target)) {}
    std::unique_ptr<kel::db::Connection> Connect(std::string* error);
    void Return(std::unique_ptr<kel::db::Connection> c);
    void CloseIdle();  // the thread that closes connections idle too long
    void Forget(const kel::db::Connection* c);

    using Clock = std::chrono::steady_clock;
    struct Idle {
        std::unique_ptr<kel::db::Connection> c;
        Clock::time_point since;
    };

    // The SQLite file as opened, held open (read-only) for as long as the store lives,
    // so that no file made later at its path can take its identity (device, inode).
    // Declared before the connections: closed after them (closing a file drops the
    // process's locks on it). Unset for other stores.
    struct HeldFile {
        std::string path;
        int fd = -1;
        HeldFile() = default;
        HeldFile(const HeldFile&) = delete;
        HeldFile& operator=(const HeldFile&) = delete;
        ~HeldFile();
    };
    HeldFile file_;

    std::string target_;
    bool sqlite_ = false;
    std::mutex poolMutex_;
    std::condition_variable poolFree_;
    std::vector<Idle> idle_;  // the most recently used last
    std::size_t open_ = 0;
    std::chrono::milliseconds idleClose_ = kIdleClose;
    bool stopping_ = false;
    std::condition_variable idleChanged_;
    std::thread closer_;
    void RequireSameFile() const;

    std::mutex writeMutex_;
    std::atomic<uint64_t> generation_{1};
    std::mutex versionsMutex_;
    std::unordered_map<const kel::db::Connection*, int64_t> versions_;  // SQLite data_version seen
    std::array<uint32_t, 12> walStamp_{};                               // the WAL index header seen
};

// The schema of the server's own tables (server/sql/server.sql, built in).
const std::string& ServerSchemaSql();
// The demo data (server/sql/demo.sql, built in).
const std::string& DemoDataSql();

}  // namespace kel::server
