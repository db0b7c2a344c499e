// The host's shared database connection: one ODBC connection (unixODBC) that the
// host and the module use together. SQLite through the SQLite ODBC driver on a
// local file by default; any ODBC connection string on request.
//
// Every statement that carries user input binds it as a parameter ('?').
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace kel::db {

// A column value or a parameter. Texts are UTF-8.
struct Value {
    std::variant<std::monostate, std::string, int64_t, double> v;
    Value() = default;
    Value(std::string s) : v(std::move(s)) {}
    Value(const char* s) : v(std::string(s)) {}
    Value(int64_t n) : v(n) {}
    Value(int n) : v(static_cast<int64_t>(n)) {}
    Value(double d) : v(d) {}
    bool IsNull() const { return std::holds_alternative<std::monostate>(v); }
    // The value as text: integers in decimal, reals with "%g"-like shortest form,
    // NULL as the empty string.
    std::string ToText() const;
    // The value as a number: a text read as a decimal number (0 when it is none),
    // a real cut to an integer, NULL as 0.
    int64_t ToInt() const;
    double ToReal() const;
};

using Row = std::vector<Value>;

struct ResultSet {
    std::vector<std::string> columns;  // column names as the driver reports them
    std::vector<Row> rows;
    // Index of the named column (case-insensitive), or -1.
    int ColumnIndex(const std::string& name) const;
};

class Connection {
public:
    virtual ~Connection() = default;
    // Runs a statement that returns rows. nullopt on failure (LastError tells).
    virtual std::optional<ResultSet> Query(const std::string& sql, const std::vector<Value>& params = {}) = 0;
    // Runs a statement without rows; returns the number of rows affected, or -1 on failure.
    virtual int64_t Execute(const std::string& sql, const std::vector<Value>& params = {}) = 0;
    virtual bool Begin() = 0;
    virtual bool Commit() = 0;
    virtual bool Rollback() = 0;
    virtual std::string LastError() const = 0;
    // "sqlite" or "postgresql" (or the driver's own name), for the few SQL dialect quirks.
    virtual std::string Dialect() const = 0;
};

// Opens a connection. `target` is an ODBC connection string ("DRIVER=...;...") or
// a file path, which means a SQLite file through the SQLite ODBC driver.
std::unique_ptr<Connection> Open(const std::string& target, std::string* error = nullptr);

// The project-local ODBC configuration (ODBCSYSINI) naming the drivers; set up once
// before the first connection is opened.
void EnsureOdbcConfig();

// The statements of an SQL script: split at each ';' outside quotes and comments;
// "--" comments are dropped, empty statements skipped. (No procedural bodies.)
std::vector<std::string> SplitSqlScript(const std::string& sqlText);

// Runs an SQL script statement by statement in one transaction (call it outside
// one). On the first failing statement everything is rolled back and false is
// returned; `error` then names the statement and the database's message.
bool ApplySchema(Connection& db, const std::string& sqlText, std::string* error = nullptr);

}  // namespace kel::db
