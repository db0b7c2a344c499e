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

namespace kel::server::sql {

using kel::db::Connection;
using kel::db::ResultSet;
using kel::db::Row;
using kel::db::Value;
using Params = std::vector<Value>;

ResultSet Query(Connection& db, const std::string& sql, const Params& params = {});
int64_t Execute(Connection& db, const std::string& sql, const Params& params = {});

// True when the query returns at least one row.
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
