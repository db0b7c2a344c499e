#include "server/Sql.h"

#include <algorithm>

#include "common/net/Frame.h"

namespace kel::server::sql {

ResultSet Query(Connection& db, const std::string& sql, const Params& params) {
    auto rs = db.Query(sql, params);
    if (!rs) throw Fault(kServerFailure, db.LastError() + " in: " + sql);
    return std::move(*rs);
}

int64_t Execute(Connection& db, const std::string& sql, const Params& params) {
    const int64_t n = db.Execute(sql, params);
    if (n < 0) throw Fault(kServerFailure, db.LastError() + " in: " + sql);
    return n;
}

void Each(Connection& db, const std::string& sql, const Params& params, const EachRow& each) {
    if (auto* native = dynamic_cast<store::NativeConnection*>(&db)) {
        if (!native->Each(sql, params, each)) throw Fault(kServerFailure, db.LastError() + " in: " + sql);
        return;
    }
    for (const Row& row : Query(db, sql, params).rows)
        if (!each(CellsOf(row))) return;
}

std::size_t CountForAnswer(Connection& db, const std::string& rowsSql, const Params& params, std::size_t recordSize) {
    const std::size_t limit = std::min(kMaxAnswerRecords, kel::net::kMaxBodyBytes / recordSize);
    const auto rs =
        Query(db, "SELECT COUNT(*) FROM (" + rowsSql + " LIMIT " + std::to_string(limit + 1) + ") counted", params);
    const auto n = static_cast<std::size_t>(rs.rows.empty() ? 0 : std::max<int64_t>(0, Int(rs.rows[0][0])));
    if (n > limit) throw Fault(kAnswerTooLarge, "more than " + std::to_string(limit) + " records to answer");
    return n;
}

int64_t CellsOf::Int(std::size_t i) const { return sql::Int(row_.at(i)); }
double CellsOf::Real(std::size_t i) const { return Num(row_.at(i)); }
std::string_view CellsOf::Text(std::size_t i) const {
    if (const auto* s = std::get_if<std::string>(&row_.at(i).v)) return *s;
    scratch_ = row_.at(i).ToText();
    return scratch_;
}

bool Exists(Connection& db, const std::string& sql, const Params& params) {
    // The database stops at the first row (a client library may fetch a whole result
    // before the first is seen); the wrapped text is prepared once per connection
    // like any other statement. Other databases are asked for the rows themselves.
    const std::string dialect = db.Dialect();
    const bool wrap = dialect == "sqlite" || dialect == "postgresql";
    bool found = false;
    Each(db, wrap ? "SELECT 1 WHERE EXISTS (" + sql + ")" : sql, params, [&found](const RowCells&) {
        found = true;
        return false;
    });
    return found;
}

std::string Str(const Value& v) {
    if (const auto* s = std::get_if<std::string>(&v.v)) return *s;
    return v.ToText();
}

double Num(const Value& v) { return v.ToReal(); }

int64_t Int(const Value& v) { return v.ToInt(); }

std::string Placeholders(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += i ? ", ?" : "?";
    return s;
}

namespace {

// Each name of a column list "a, b" wrapped as before + name + after, joined with ", ".
std::string EachColumn(std::string_view columns, std::string_view before, std::string_view after) {
    std::string out;
    while (!columns.empty()) {
        std::size_t end = columns.find(',');
        std::string_view name = columns.substr(0, end);
        columns = end == std::string_view::npos ? std::string_view() : columns.substr(end + 1);
        name.remove_prefix(std::min(name.find_first_not_of(' '), name.size()));
        if (!out.empty()) out += ", ";
        out.append(before).append(name).append(after);
    }
    return out;
}

}  // namespace

std::string Assignments(std::string_view columns) { return EachColumn(columns, "", " = ?"); }

std::string Prefixed(std::string_view columns, std::string_view prefix) { return EachColumn(columns, prefix, ""); }

}  // namespace kel::server::sql
