// PostgreSQL through libpq: statements prepared once per connection and kept
// (keyed by their text and parameter types), '?' markers numbered as $1, $2...;
// integers and reals are bound and read in binary, texts as UTF-8.
#pragma once

#include <libpq-fe.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "server/store/NativeConnection.h"

namespace kel::server::store {

class PgConnection final : public NativeConnection {
public:
    // Connects with a libpq connection string or URI. nullptr on failure.
    static std::unique_ptr<PgConnection> Open(const std::string& conninfo, std::string* error);
    ~PgConnection() override;
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    bool Each(const std::string& sql, const std::vector<kel::db::Value>& params, const EachRow& each) override;
    int64_t Execute(const std::string& sql, const std::vector<kel::db::Value>& params = {}) override;
    bool Begin() override;
    bool Commit() override;
    bool Rollback() override;
    std::string LastError() const override { return lastError_; }
    std::string Dialect() const override { return "postgresql"; }

    // Statements kept at most; past that the kept ones are dropped and it starts afresh.
    static constexpr std::size_t kMaxStatements = 256;

private:
    explicit PgConnection(PGconn* conn) : conn_(conn) {}
    struct ResultFree {
        void operator()(PGresult* r) const;
    };
    using Result = std::unique_ptr<PGresult, ResultFree>;
    // Runs the statement; the result when it succeeded, else nullptr (lastError_ set).
    Result Run(const std::string& sql, const std::vector<kel::db::Value>& params);
    Result Simple(const char* sql);
    bool Failed(const PGresult* r);

    PGconn* conn_;
    std::unordered_map<std::string, std::string> statements_;  // text + types -> name
    uint64_t named_ = 0;
    std::string lastError_;
};

// "?" markers outside quotes and comments numbered as "$1", "$2", ...
std::string NumberedMarkers(const std::string& sql);

}  // namespace kel::server::store
