#include "server/Backup.h"

#include "common/db/CodeLists.h"
#include "server/PrivateFile.h"
#include "server/Status.h"
#include "server/Store.h"
#include "server/Versions.h"
#include "server/store/ConnectionString.h"
#include "server/store/NativeConnection.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

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

// Room left above the old store's last write number for the numbers a server
// running on it may hand out between reading it and the copy going in (each
// write waits for a disk flush; the copy waits at most kBusyMs for the lock).
constexpr int64_t kChangeNumberRoom = 1000000;

// The first column of each row of `sql`.
std::vector<std::string> Column(sqlite3* db, const std::string& sql, int column = 0) {
    std::vector<std::string> out;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return out;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const auto* text = sqlite3_column_text(stmt, column);
        out.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
    }
    sqlite3_finalize(stmt);
    return out;
}

using Schema = std::map<std::string, std::set<std::string>>;  // table: its columns

Schema SchemaOf(sqlite3* db) {
    Schema schema;
    for (const std::string& table :
         Column(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'"))
        for (const std::string& column : Column(db, "PRAGMA table_info(\"" + table + "\")", 1))
            schema[table].insert(column);
    return schema;
}

// The tables and columns this server makes in a new store, as it makes them.
std::optional<Schema> OwnSchema(std::string& error) {
    // The same statements as a new store gets, through the server's own connection.
    auto reference = store::Open(":memory:", &error);
    if (!reference) return std::nullopt;
    std::string why;
    if (!kel::codelist::ApplyCodeListSchema(*reference, &why) ||
        !kel::db::ApplySchema(*reference, ServerSchemaSql(), &why)) {
        error = "cannot make the schema to check against: " + why;
        return std::nullopt;
    }
    try {
        UpgradeVersionColumns(*reference);
    } catch (const std::exception& e) {
        error = std::string("cannot make the schema to check against: ") + e.what();
        return std::nullopt;
    }
    Schema schema;
    const auto tables =
        reference->Query("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'");
    if (!tables) {
        error = "cannot read the schema to check against: " + reference->LastError();
        return std::nullopt;
    }
    for (const auto& row : tables->rows) {
        const std::string table = row.at(0).ToText();
        const auto columns = reference->Query("PRAGMA table_info(\"" + table + "\")");
        if (!columns) continue;
        for (const auto& c : columns->rows) schema[table].insert(c.at(1).ToText());
    }
    return schema;
}

// Every table and column a store of this server has, and at least one user: a copy
// short of any would leave a server that fails its requests or lets nobody in.
bool HoldsWholeStore(sqlite3* db, const std::string& path, std::string& error) {
    const auto own = OwnSchema(error);
    if (!own) return false;
    const Schema theirs = SchemaOf(db);
    for (const auto& [table, columns] : *own) {
        const auto found = theirs.find(table);
        if (found == theirs.end()) {
            error = path + " is not a whole kelmor-server store: table " + table + " is missing";
            return false;
        }
        for (const std::string& column : columns) {
            // A store from before records had versions gets them when a server opens it.
            if (column == "n_version" || found->second.contains(column)) continue;
            error = path + " is not a whole kelmor-server store: column " + table + "." + column + " is missing";
            return false;
        }
    }
    const auto users = Column(db, "SELECT COUNT(*) FROM t_user");
    if (users.empty() || users[0] == "0") {
        error = path + " holds no users: nobody could log on to it";
        return false;
    }
    return true;
}

// The next write number a store would hand out (0 where it has none).
int64_t NextChangeNumber(sqlite3* db) {
    const auto next = Column(db, "SELECT n_next FROM t_id_counter WHERE c_name = 'change'");
    return next.empty() ? 0 : std::stoll(next[0]);
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
    if (!from || !LooksSound(from.get(), copy, error) || !HoldsWholeStore(from.get(), copy, error)) return false;
    // The copy goes in through a staging copy in memory, where its write number is
    // moved past the store's: a record changed after the backup was taken must never
    // get its version number again, or a client's copy of it would pass for current.
    Db staged = OpenDb(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error);
    if (!staged || !CopyPages(from.get(), staged.get(), "cannot read " + copy, error)) return false;
    from.reset();
    const bool storeExists = std::filesystem::exists(*file, ec);
    // A store restored where none was is made private like a new one.
    if (!storeExists && !PrepareDatabaseFile(*file, &error)) return false;
    Db to = OpenDb(*file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error);
    if (!to) return false;
    if (storeExists && !CopyToFile(to.get(), *file + ".before-restore", error)) {
        error = "the store was left as it was: " + error;
        return false;
    }
    const int64_t handedOut = NextChangeNumber(to.get());
    const int64_t next = handedOut > 0 ? handedOut + kChangeNumberRoom : 0;
    if (next > NextChangeNumber(staged.get())) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(staged.get(),
                           "INSERT INTO t_id_counter (c_name, n_next) VALUES ('change', ?1) "
                           "ON CONFLICT (c_name) DO UPDATE SET n_next = ?1",
                           -1, &stmt, nullptr);
        sqlite3_bind_int64(stmt, 1, next);
        const int rc = stmt ? sqlite3_step(stmt) : SQLITE_ERROR;
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) {
            error = "cannot move the write number of the copy on: " + std::string(sqlite3_errmsg(staged.get()));
            return false;
        }
    }
    return CopyPages(staged.get(), to.get(), "cannot restore into " + *file, error);
}

}  // namespace kel::server
