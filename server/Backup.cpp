#include "server/Backup.h"

#include "server/PrivateFile.h"
#include "server/store/ConnectionString.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

namespace kel::server {

namespace {

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

// Waits this long for a writer of the running server to let go.
constexpr int kBusyMs = 10000;

Db OpenDb(const std::string& path, int flags, std::string& error) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) {
        error = "cannot open " + path + ": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
        return nullptr;
    }
    sqlite3_busy_timeout(db.get(), kBusyMs);
    return db;
}

// Copies every page of `from` into `to` in one step: one read transaction on the
// source, so the copy is a single state; in WAL mode writers go on meanwhile.
bool CopyPages(sqlite3* from, sqlite3* to, const std::string& what, std::string& error) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) {
        error = what + ": " + sqlite3_errmsg(to);
        return false;
    }
    int rc = SQLITE_OK;
    for (int waited = 0;; waited += 50) {
        rc = sqlite3_backup_step(backup, -1);
        if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || waited >= kBusyMs) break;
        sqlite3_sleep(50);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        error = what + ": " + sqlite3_errstr(rc);
        return false;
    }
    return true;
}

// "ok" from SQLite's quick check, and the server's own tables present.
bool LooksSound(sqlite3* db, const std::string& path, std::string& error) {
    auto single = [db](const char* sql, std::string& out) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) return false;
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) out = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
        return rc == SQLITE_ROW || rc == SQLITE_DONE;
    };
    std::string check, tables;
    if (!single("PRAGMA quick_check", check) || check != "ok") {
        error = path + " is damaged or not a SQLite database" + (check.empty() ? "" : ": " + check);
        return false;
    }
    if (!single("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name IN ('t_user', 't_cont_code')",
                tables) ||
        tables != "2") {
        error = path + " does not hold a kelmor-server store";
        return false;
    }
    return true;
}

bool SyncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Copies `from` into a new file written beside `to`, then renames it over `to`.
bool CopyToFile(sqlite3* from, const std::string& to, std::string& error) {
    const std::string partial = to + ".partial";
    std::filesystem::remove(partial);
    // A copy holds what the store holds (password hashes too): private to its owner.
    if (!PrepareDatabaseFile(partial, &error)) return false;
    bool ok = false;
    {
        Db out = OpenDb(partial, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error);
        // The copy is a single file whatever the store's journal mode.
        ok = out && CopyPages(from, out.get(), "cannot copy into " + partial, error) &&
             sqlite3_exec(out.get(), "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr) == SQLITE_OK &&
             LooksSound(out.get(), partial, error);
    }
    if (ok && !SyncFile(partial)) {
        error = "cannot write " + partial + " to disk";
        ok = false;
    }
    if (ok && std::rename(partial.c_str(), to.c_str()) != 0) {
        error = "cannot rename " + partial + " to " + to;
        ok = false;
    }
    if (!ok) std::filesystem::remove(partial);
    return ok;
}

// The file of a SQLite store, or nullopt with `error` (`tool` names what serves the others).
std::optional<std::string> SqliteFile(const std::string& database, const char* tool, std::string& error) {
    const auto target = store::ReadTarget(database, &error);
    if (!target) return std::nullopt;
    if (target->kind != store::TargetKind::SqliteFile) {
        error = std::string("this works on a SQLite store only; for PostgreSQL use ") + tool;
        return std::nullopt;
    }
    return target->location;
}

}  // namespace

bool BackupStore(const std::string& database, const std::string& copy, std::string& error) {
    const auto file = SqliteFile(database, "pg_dump", error);
    if (!file) return false;
    std::error_code ec;
    if (std::filesystem::equivalent(*file, copy, ec)) {
        error = "the copy cannot be the store itself";
        return false;
    }
    // Read-only and never created: a mistyped path must not leave an empty store.
    Db from = OpenDb(*file, SQLITE_OPEN_READONLY, error);
    return from && CopyToFile(from.get(), copy, error);
}

bool RestoreStore(const std::string& copy, const std::string& database, std::string& error) {
    const auto file = SqliteFile(database, "pg_restore", error);
    if (!file) return false;
    std::error_code ec;
    if (std::filesystem::equivalent(*file, copy, ec)) {
        error = "the copy is the store itself";
        return false;
    }
    Db from = OpenDb(copy, SQLITE_OPEN_READONLY, error);
    if (!from || !LooksSound(from.get(), copy, error)) return false;
    const bool storeExists = std::filesystem::exists(*file, ec);
    // A store restored where none was is made private like a new one.
    if (!storeExists && !PrepareDatabaseFile(*file, &error)) return false;
    Db to = OpenDb(*file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error);
    if (!to) return false;
    if (storeExists && !CopyToFile(to.get(), *file + ".before-restore", error)) {
        error = "the store was left as it was: " + error;
        return false;
    }
    return CopyPages(from.get(), to.get(), "cannot restore into " + *file, error);
}

}  // namespace kel::server
