// The server's connections through each database's own client library: SQLite
// through its C API, PostgreSQL through libpq. Statements are prepared once per
// connection and kept (keyed by their text), values are bound in their own types
// and columns are read in theirs, so nothing is turned into text and back.
//
// Beside the kel::db::Connection calls the handlers use, a query can be stepped
// row by row (Each): a large answer is packed while its rows arrive, without a
// copy of the whole result.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/db/Database.h"

namespace kel::server::store {

// The row a query has stepped to, read in the stored types. A value of another
// type is converted (a number read as text, a text read as a number).
class RowCells {
public:
    virtual std::size_t Size() const = 0;
    virtual bool IsNull(std::size_t i) const = 0;
    virtual int64_t Int(std::size_t i) const = 0;
    virtual double Real(std::size_t i) const = 0;
    // Valid until the next call on this row.
    virtual std::string_view Text(std::size_t i) const = 0;
    // The value as the stored type gives it (NULL, integer, real or text).
    virtual kel::db::Value Get(std::size_t i) const = 0;
    virtual std::string Name(std::size_t i) const = 0;

protected:
    ~RowCells() = default;
};

// The text of NULL: empty, but pointing somewhere (memcpy of no bytes from a null
// pointer is undefined).
inline constexpr std::string_view kEmpty{""};

// Called with every row; returning false stops the query early.
using EachRow = std::function<bool(const RowCells&)>;

class NativeConnection : public kel::db::Connection {
public:
    // Runs a query and calls `each` with every row as it is stepped. False on
    // failure (LastError tells); true when `each` stopped it early.
    virtual bool Each(const std::string& sql, const std::vector<kel::db::Value>& params, const EachRow& each) = 0;

    // The whole result, stepped through Each (column names only when there are rows).
    std::optional<kel::db::ResultSet> Query(const std::string& sql,
                                            const std::vector<kel::db::Value>& params = {}) override;
};

// Opens the server's connection to `target`: a SQLite file path, a PostgreSQL
// URI ("postgresql://..."), or an ODBC connection string. The ODBC form is read
// for what it names: the SQLite and PostgreSQL drivers' strings open the same
// database natively; any other driver is opened through ODBC. nullptr on failure.
std::unique_ptr<kel::db::Connection> Open(const std::string& target, std::string* error);

// The SQLite connection's data version: moves on whenever another connection or
// process has committed since. nullopt when `db` is not a native SQLite connection.
std::optional<int64_t> DataVersion(kel::db::Connection& db);

// The state of a SQLite file in WAL mode as its last commit left it (the WAL index
// header): equal stamps, no commit in between.
using WalStamp = std::array<uint32_t, 12>;
// nullopt when `db` is not a native SQLite connection to a file in WAL mode.
std::optional<WalStamp> ReadWalStamp(kel::db::Connection& db);

}  // namespace kel::server::store
