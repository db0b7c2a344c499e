// Statements on the store that end the request on failure: a failed statement
// throws a Fault with kServerFailure, so every handler runs straight through and
// the dispatcher rolls the transaction back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/db/Database.h"
#include "server/Status.h"
#include "server/store/NativeConnection.h"

namespace kel::server::sql {

using kel::db::Connection;
using kel::db::ResultSet;
using kel::db::Row;
using kel::db::Value;
using Params = std::vector<Value>;
using store::EachRow;
using store::RowCells;

ResultSet Query(Connection& db, const std::string& sql, const Params& params = {});
int64_t Execute(Connection& db, const std::string& sql, const Params& params = {});

// Calls `each` with the query's rows as they are stepped, so a large answer is
// packed without a copy of the whole result (a connection that cannot step rows
// reads them all first); `each` returning false stops early.
void Each(Connection& db, const std::string& sql, const Params& params, const EachRow& each);

// At most this many records go into one answer: its head counts them in 16 bits.
inline constexpr std::size_t kMaxAnswerRecords = 32767;

// The number of rows `rowsSql` (a SELECT) gives, counted before any is read: a
// query whose rows cannot all go into one answer (more than kMaxAnswerRecords, or
// more `recordSize`-byte records than one frame holds) is refused with
// kAnswerTooLarge after counting at most one row past the limit.
std::size_t CountForAnswer(Connection& db, const std::string& rowsSql, const Params& params, std::size_t recordSize);

// A row read whole, seen as the cells of a stepped row.
class CellsOf final : public RowCells {
public:
    explicit CellsOf(const Row& row) : row_(row) {}
    std::size_t Size() const override { return row_.size(); }
    bool IsNull(std::size_t i) const override { return row_.at(i).IsNull(); }
    int64_t Int(std::size_t i) const override;
    double Real(std::size_t i) const override;
    std::string_view Text(std::size_t i) const override;
    Value Get(std::size_t i) const override { return row_.at(i); }
    std::string Name(std::size_t) const override { return {}; }

private:
    const Row& row_;
    mutable std::string scratch_;
};

// True when the query returns at least one row; the query runs only up to its first.
bool Exists(Connection& db, const std::string& sql, const Params& params = {});

// Column values: NULL reads as "" or 0.
std::string Str(const Value& v);
double Num(const Value& v);
int64_t Int(const Value& v);

// "?, ?, ..." with n markers.
std::string Placeholders(std::size_t n);
// "a = ?, b = ?" for a column list "a, b".
std::string Assignments(std::string_view columns);

// "p.a, p.b" for a column list "a, b" and a prefix "p.".
std::string Prefixed(std::string_view columns, std::string_view prefix);

// A text column, kept apart from numbers: a code "01" must never become 1.
inline Value Text(const std::string& s) { return Value(s); }

}  // namespace kel::server::sql
