#include "server/store/SqliteConnection.h"

#include <atomic>
#include <charconv>
#include <cstring>

namespace kel::server::store {
namespace {

using kel::db::Value;

// Each column is read through its value: one checked call into the library for the
// column, then plain accessors (the sqlite3_column_* calls would check the statement
// again for the type, the text and its length). The value is "unprotected", which
// is safe here: the connection has no mutex (NOMUTEX) and one thread uses it at a time.
class SqliteRow final : public RowCells {
public:
    explicit SqliteRow(sqlite3_stmt* stmt) : stmt_(stmt), size_(sqlite3_column_count(stmt)) {}
    std::size_t Size() const override { return size_; }
    bool IsNull(std::size_t i) const override { return sqlite3_value_type(Cell(i)) == SQLITE_NULL; }
    int64_t Int(std::size_t i) const override {
        sqlite3_value* v = Cell(i);
        if (sqlite3_value_type(v) == SQLITE_TEXT) return ParsedInt(TextOf(v));
        return sqlite3_value_int64(v);
    }
    double Real(std::size_t i) const override {
        sqlite3_value* v = Cell(i);
        if (sqlite3_value_type(v) == SQLITE_TEXT) return ParsedReal(TextOf(v));
        return sqlite3_value_double(v);
    }
    std::string_view Text(std::size_t i) const override {
        sqlite3_value* v = Cell(i);
        switch (sqlite3_value_type(v)) {
            case SQLITE_NULL: return kEmpty;
            case SQLITE_INTEGER:
            case SQLITE_FLOAT:
                // SQLite's own text of a number would differ from Value::ToText's.
                scratch_ = ValueOf(v).ToText();
                return scratch_;
            default: return TextOf(v);
        }
    }
    Value Get(std::size_t i) const override { return ValueOf(Cell(i)); }
    std::string Name(std::size_t i) const override {
        const char* n = sqlite3_column_name(stmt_, static_cast<int>(i));
        return n ? n : "";
    }

private:
    sqlite3_value* Cell(std::size_t i) const { return sqlite3_column_value(stmt_, static_cast<int>(i)); }
    static std::string_view TextOf(sqlite3_value* v) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));  // before its length: UTF-8 now
        return p ? std::string_view(p, static_cast<std::size_t>(sqlite3_value_bytes(v))) : kEmpty;
    }
    static Value ValueOf(sqlite3_value* v) {
        switch (sqlite3_value_type(v)) {
            case SQLITE_NULL: return Value();
            case SQLITE_INTEGER: return Value(static_cast<int64_t>(sqlite3_value_int64(v)));
            case SQLITE_FLOAT: return Value(sqlite3_value_double(v));
            default: return Value(std::string(TextOf(v)));
        }
    }
    static int64_t ParsedInt(std::string_view s) {
        int64_t n = 0;
        std::from_chars(s.data(), s.data() + s.size(), n);
        return n;
    }
    static double ParsedReal(std::string_view s) {
        double d = 0;
        std::from_chars(s.data(), s.data() + s.size(), d);
        return d;
    }
    sqlite3_stmt* stmt_;
    std::size_t size_;
    mutable std::string scratch_;
};

}  // namespace

// A statement in use: reset when done, so that no read stays open on the file
// (an open read would pin the WAL snapshot), and finalised when it was not kept.
class SqliteConnection::Use {
public:
    Use(sqlite3_stmt* stmt, bool kept) : stmt_(stmt), kept_(kept) {}
    ~Use() {
        if (!stmt_) return;
        if (kept_) {
            sqlite3_reset(stmt_);
            sqlite3_clear_bindings(stmt_);
        } else {
            sqlite3_finalize(stmt_);
        }
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

private:
    sqlite3_stmt* stmt_;
    bool kept_;
};

std::unique_ptr<SqliteConnection> SqliteConnection::Open(const std::string& path, std::string* error) {
    auto fail = [&](const std::string& why) -> std::unique_ptr<SqliteConnection> {
        if (error) *error = "cannot open " + path + ": " + why;
        return nullptr;
    };
    if (path.empty()) return fail("no database given");
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string why = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return fail(why);
    }
    std::unique_ptr<SqliteConnection> c(new SqliteConnection(db));
    sqlite3_extended_result_codes(db, 1);
    // Wait for a lock held by another connection or process rather than fail at once.
    sqlite3_busy_timeout(db, 10000);
    // Reading the schema now makes a file that is not a database fail here.
    if (c->Execute("PRAGMA foreign_keys = ON") < 0 || !c->Query("SELECT count(*) FROM sqlite_master"))
        return fail(c->LastError());
    if (error) error->clear();
    return c;
}

SqliteConnection::~SqliteConnection() {
    for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
    sqlite3_close_v2(db_);
}

bool SqliteConnection::Fail() {
    lastError_ = sqlite3_errmsg(db_);
    return false;
}

sqlite3_stmt* SqliteConnection::Prepare(const std::string& sql, bool& kept) {
    kept = false;
    const auto it = statements_.find(sql);
    if (it != statements_.end() && !sqlite3_stmt_busy(it->second)) {
        kept = true;
        return it->second;
    }
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt, &tail) !=
        SQLITE_OK) {
        Fail();
        return nullptr;
    }
    if (!stmt) {
        lastError_ = "no statement in: " + sql;
        return nullptr;
    }
    for (; tail && *tail; ++tail)
        if (!std::strchr(" \t\r\n;", *tail)) {
            sqlite3_finalize(stmt);
            lastError_ = "one statement at a time: " + sql;
            return nullptr;
        }
    if (it != statements_.end()) return stmt;  // the kept one is busy: this one goes after use
    if (statements_.size() >= kMaxStatements) {
        for (auto& [text, old] : statements_)
            if (sqlite3_stmt_busy(old)) return stmt;  // a query is stepping: start afresh later
        for (auto& [text, old] : statements_) sqlite3_finalize(old);
        statements_.clear();
    }
    statements_.emplace(sql, stmt);
    kept = true;
    return stmt;
}

bool SqliteConnection::Bind(sqlite3_stmt* stmt, const std::vector<Value>& params) {
    if (static_cast<int>(params.size()) != sqlite3_bind_parameter_count(stmt)) {
        lastError_ = std::to_string(params.size()) + " values for " +
                     std::to_string(sqlite3_bind_parameter_count(stmt)) + " parameters";
        return false;
    }
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int n = static_cast<int>(i + 1);
        int rc;
        if (const auto* s = std::get_if<std::string>(&params[i].v))
            rc = sqlite3_bind_text(stmt, n, s->data(), static_cast<int>(s->size()), SQLITE_STATIC);
        else if (const auto* k = std::get_if<int64_t>(&params[i].v))
            rc = sqlite3_bind_int64(stmt, n, *k);
        else if (const auto* d = std::get_if<double>(&params[i].v))
            rc = sqlite3_bind_double(stmt, n, *d);
        else
            rc = sqlite3_bind_null(stmt, n);
        if (rc != SQLITE_OK) return Fail();
    }
    return true;
}

bool SqliteConnection::Each(const std::string& sql, const std::vector<Value>& params, const EachRow& each) {
    lastError_.clear();
    bool kept = false;
    sqlite3_stmt* stmt = Prepare(sql, kept);
    if (!stmt) return false;
    Use use(stmt, kept);
    if (!Bind(stmt, params)) return false;
    const SqliteRow row(stmt);
    for (;;) {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_DONE) return true;
        if (rc != SQLITE_ROW) return Fail();
        if (!each(row)) return true;
    }
}

int64_t SqliteConnection::Execute(const std::string& sql, const std::vector<Value>& params) {
    lastError_.clear();
    bool kept = false;
    sqlite3_stmt* stmt = Prepare(sql, kept);
    if (!stmt) return -1;
    Use use(stmt, kept);
    if (!Bind(stmt, params)) return -1;
    const int64_t before = sqlite3_total_changes64(db_);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
        Fail();
        return -1;
    }
    // sqlite3_changes64 keeps the count of the last INSERT, UPDATE or DELETE
    // across other statements: only a statement that changed rows reports them.
    return sqlite3_total_changes64(db_) == before ? 0 : sqlite3_changes64(db_);
}

bool SqliteConnection::Begin() { return Execute("BEGIN") >= 0; }
bool SqliteConnection::Commit() { return Execute("COMMIT") >= 0; }
bool SqliteConnection::Rollback() {
    if (sqlite3_get_autocommit(db_)) return true;  // nothing open (a failed BEGIN)
    return Execute("ROLLBACK") >= 0;
}

std::optional<int64_t> SqliteConnection::DataVersion() {
    std::optional<int64_t> version;
    if (!Each("PRAGMA data_version", {}, [&](const RowCells& row) {
            version = row.Int(0);
            return false;
        }))
        return std::nullopt;
    return version;
}

// A commit in WAL mode writes the WAL index header (into the "-shm" memory every
// connection to the file shares) before it returns: its first copy last, its change
// counter moved on. Reading that copy shows any commit completed before the read,
// whoever made it. The mapping stays valid while this connection is open: a file in
// WAL mode stays so while any connection holds it open, and the pager unmaps the
// memory only when the connection closes.
std::optional<WalStamp> SqliteConnection::ReadWalStamp() {
    if (!walLooked_) {
        walLooked_ = true;
        std::string mode;
        Each("PRAGMA journal_mode", {}, [&](const RowCells& row) {
            mode = row.Text(0);
            return false;
        });
        // A read transaction now makes sure the pager has opened the WAL and mapped its index.
        sqlite3_file* file = nullptr;
        if (mode == "wal" && Query("SELECT count(*) FROM sqlite_master") &&
            sqlite3_file_control(db_, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK && file &&
            file->pMethods && file->pMethods->iVersion >= 2 && file->pMethods->xShmMap) {
            volatile void* region = nullptr;
            if (file->pMethods->xShmMap(file, 0, 32 * 1024, 0, &region) == SQLITE_OK && region)
                walIndex_ = static_cast<const volatile uint32_t*>(region);
        }
    }
    if (!walIndex_) return std::nullopt;
    std::atomic_thread_fence(std::memory_order_acquire);
    WalStamp stamp;
    for (std::size_t i = 0; i < stamp.size(); ++i) stamp[i] = walIndex_[i];
    return stamp;
}

}  // namespace kel::server::store
