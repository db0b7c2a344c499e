#include "server/Store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "common/db/CodeLists.h"
#include "server/Sql.h"
#include "server/Status.h"
#include "server/store/ConnectionString.h"
#include "server/store/NativeConnection.h"

namespace kel::server {
namespace {

// Any fixed number: the advisory lock every writer of a PostgreSQL database takes.
constexpr int64_t kWriteLockKey = 0x4B454C4D;  // "KELM"

}  // namespace

std::unique_ptr<Store> Store::Open(const std::string& target, std::string* error) {
    std::unique_ptr<Store> store(new Store(target));
    auto first = store->Connect(error);
    if (!first) return nullptr;
    store->sqlite_ = first->Dialect() == "sqlite";
    if (store->sqlite_) {
        // Readers do not block the writer and the writer does not block readers.
        first->Query("PRAGMA journal_mode=WAL");
        if (const auto target = store::ReadTarget(store->target_, nullptr);
            target && target->kind == store::TargetKind::SqliteFile) {
            store->file_.path = target->location;
            store->file_.fd = ::open(target->location.c_str(), O_RDONLY | O_CLOEXEC);
        }
    }
    std::string why;
    if (!kel::codelist::ApplyCodeListSchema(*first, &why) || !kel::db::ApplySchema(*first, ServerSchemaSql(), &why)) {
        if (error) *error = "cannot create the schema: " + why;
        return nullptr;
    }
    store->open_ = 1;
    store->idle_.push_back({std::move(first), Clock::now()});
    store->closer_ = std::thread([s = store.get()] { s->CloseIdle(); });
    return store;
}

Store::~Store() {
    {
        std::lock_guard lock(poolMutex_);
        stopping_ = true;
    }
    idleChanged_.notify_all();
    if (closer_.joinable()) closer_.join();
}

std::unique_ptr<kel::db::Connection> Store::Connect(std::string* error) {
    // The native connections wait up to 10 s for a lock another process holds.
    return store::Open(target_, error);
}

void Store::Forget(const kel::db::Connection* c) {
    std::lock_guard lock(versionsMutex_);
    versions_.erase(c);
}

void Store::Lease::Discard() {
    if (c_) store_->Forget(c_.get());
    c_.reset();
}

void Store::SetIdleClose(std::chrono::milliseconds after) {
    {
        std::lock_guard lock(poolMutex_);
        idleClose_ = after;
    }
    idleChanged_.notify_all();
}

std::size_t Store::OpenConnections() {
    std::lock_guard lock(poolMutex_);
    return open_;
}

void Store::CloseIdle() {
    std::unique_lock lock(poolMutex_);
    while (!stopping_) {
        idleChanged_.wait_for(lock, idleClose_ / 2 + std::chrono::milliseconds(1));
        if (stopping_) break;
        // The least recently used come first; the most recent one stays open.
        const auto before = Clock::now() - idleClose_;
        std::vector<std::unique_ptr<kel::db::Connection>> closing;
        while (idle_.size() > 1 && idle_.front().since < before) {
            closing.push_back(std::move(idle_.front().c));
            idle_.erase(idle_.begin());
            --open_;
        }
        if (closing.empty()) continue;
        poolFree_.notify_all();
        lock.unlock();
        for (auto& c : closing) {
            Forget(c.get());
            c.reset();  // closing may take a round trip: outside the pool's lock
        }
        lock.lock();
    }
}

void Store::NoticeOutsideChanges(kel::db::Connection& db) {
    if (!sqlite_) return;
    if (const auto stamp = store::ReadWalStamp(db)) {
        // One stamp for the whole file. Moved on under the lock, so a request that
        // finds the stamp it saw already noted also finds the generation moved on.
        std::lock_guard lock(versionsMutex_);
        if (*stamp != walStamp_) {
            walStamp_ = *stamp;
            Touch();
        }
        return;
    }
    std::optional<int64_t> seen = store::DataVersion(db);
    if (!seen) {
        const auto rs = db.Query("PRAGMA data_version");
        if (rs && !rs->rows.empty()) seen = sql::Int(rs->rows[0][0]);
    }
    if (!seen) {
        Touch();
        return;
    }
    const int64_t version = *seen;
    std::lock_guard lock(versionsMutex_);
    const auto [it, added] = versions_.try_emplace(&db, version);
    if (added || it->second != version) {
        it->second = version;
        Touch();
    }
}

Store::Lease::~Lease() {
    if (store_) store_->Return(std::move(c_));
}

Store::Lease Store::Acquire() {
    std::unique_lock lock(poolMutex_);
    poolFree_.wait(lock, [this] { return !idle_.empty() || open_ < kMaxConnections; });
    if (!idle_.empty()) {
        auto c = std::move(idle_.back().c);
        idle_.pop_back();
        return Lease(*this, std::move(c));
    }
    ++open_;
    lock.unlock();
    std::string error;
    auto c = Connect(&error);
    if (!c) {
        std::lock_guard again(poolMutex_);
        --open_;
        poolFree_.notify_one();
        throw Fault(kServerFailure, "cannot open a database connection: " + error);
    }
    return Lease(*this, std::move(c));
}

void Store::Return(std::unique_ptr<kel::db::Connection> c) {
    std::lock_guard lock(poolMutex_);
    if (c)
        idle_.push_back({std::move(c), Clock::now()});
    else
        --open_;
    poolFree_.notify_one();
}

Store::HeldFile::~HeldFile() {
    if (fd >= 0) ::close(fd);
}

void Store::RequireSameFile() const {
    struct stat held {
    }, now{};
    if (file_.fd < 0 || ::fstat(file_.fd, &held) != 0) return;
    if (::stat(file_.path.c_str(), &now) != 0)
        throw Fault(kServerFailure,
                    "the store " + file_.path + " is gone (deleted under the server): writes are refused");
    if (now.st_dev != held.st_dev || now.st_ino != held.st_ino)
        throw Fault(kServerFailure,
                    "the store " + file_.path + " was replaced by another file under the server: writes are refused");
}

void Store::BeginWrite(kel::db::Connection& db, std::unique_lock<std::mutex>& writeLock) {
    writeLock = std::unique_lock(writeMutex_);
    if (sqlite_) {
        RequireSameFile();
        sql::Execute(db, "BEGIN IMMEDIATE");
        return;
    }
    if (!db.Begin()) throw Fault(kServerFailure, "cannot begin a transaction: " + db.LastError());
    sql::Query(db, "SELECT pg_advisory_xact_lock(?)", {sql::Value(kWriteLockKey)});
}

void Store::BeginRead(kel::db::Connection& db) {
    if (sqlite_) {
        sql::Execute(db, "BEGIN");
        return;
    }
    // One round trip: the snapshot is taken at the first statement.
    sql::Execute(db, "BEGIN ISOLATION LEVEL REPEATABLE READ");
}

void Store::Commit(kel::db::Connection& db) {
    if (sqlite_) {
        sql::Execute(db, "COMMIT");
        return;
    }
    if (!db.Commit()) throw Fault(kServerFailure, "cannot commit: " + db.LastError());
}

void Store::Rollback(kel::db::Connection& db) noexcept {
    if (sqlite_)
        db.Execute("ROLLBACK");
    else
        db.Rollback();
}

void Store::Write(const std::function<void(kel::db::Connection&)>& work) {
    auto lease = Acquire();
    std::unique_lock<std::mutex> lock;
    BeginWrite(*lease, lock);
    try {
        work(*lease);
        Commit(*lease);
        Touch();
    } catch (...) {
        Rollback(*lease);
        throw;
    }
}

int32_t Store::NextId(kel::db::Connection& db, const std::string& name, const std::string& table,
                      const std::string& column) {
    const auto counter = sql::Query(db, "SELECT n_next FROM t_id_counter WHERE c_name = ?", {sql::Text(name)});
    const auto largest = sql::Query(db, "SELECT MAX(" + column + ") FROM " + table);
    int64_t id = counter.rows.empty() ? 1 : sql::Int(counter.rows[0][0]);
    if (!largest.rows.empty()) id = std::max(id, sql::Int(largest.rows[0][0]) + 1);
    id = std::max<int64_t>(id, 1);
    if (id >= INT32_MAX) throw Fault(kServerFailure, "no identifiers left for " + table);
    if (counter.rows.empty())
        sql::Execute(db, "INSERT INTO t_id_counter (c_name, n_next) VALUES (?, ?)",
                     {sql::Text(name), sql::Value(id + 1)});
    else
        sql::Execute(db, "UPDATE t_id_counter SET n_next = ? WHERE c_name = ?", {sql::Value(id + 1), sql::Text(name)});
    return static_cast<int32_t>(id);
}

}  // namespace kel::server
