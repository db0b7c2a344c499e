// kel::db::Connection over unixODBC. Internal to the database library; users go
// through kel::db::Open.
#pragma once

#include "common/db/Database.h"

#ifdef _WIN32
#include <windows.h>  // the system's ODBC headers build on its types
#endif
#include <sql.h>

#include <mutex>

namespace kel::db::odbc {

class OdbcConnection final : public Connection {
    struct Key {
        explicit Key() = default;
    };

public:
    explicit OdbcConnection(Key) {}  // only Connect makes one
    // Connects with a full ODBC connection string. nullptr on failure (error tells).
    static std::unique_ptr<OdbcConnection> Connect(const std::string& connectionString, std::string* error);
    ~OdbcConnection() override;
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    std::optional<ResultSet> Query(const std::string& sql, const std::vector<Value>& params = {}) override;
    int64_t Execute(const std::string& sql, const std::vector<Value>& params = {}) override;
    bool Begin() override;
    bool Commit() override;
    bool Rollback() override;
    std::string LastError() const override;
    std::string Dialect() const override;

private:
    class Statement;

    // Runs the statement; on success `stmt` holds its results. Sets lastError_ on failure.
    bool Run(Statement& stmt, const std::string& sql, const std::vector<Value>& params, bool* noData);
    bool ReadResults(Statement& stmt, ResultSet& out);
    bool EndTransaction(SQLSMALLINT completion, const char* what);
    void Fail(std::string message);

    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool connected_ = false;
    // Drivers without wide entry points (the SQLite driver) get statement text,
    // column names and messages as UTF-8 through the narrow calls: the driver
    // manager's own wide-to-narrow conversion would lose every non-ASCII character.
    // Data always travels as SQL_C_WCHAR.
    bool narrow_ = false;
    bool inTransaction_ = false;
    std::string dialect_;
    std::string lastError_;
    mutable std::mutex mutex_;
};

}  // namespace kel::db::odbc
