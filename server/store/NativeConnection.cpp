#include "server/store/NativeConnection.h"

#include "server/store/ConnectionString.h"
#include "server/store/PgConnection.h"
#include "server/store/SqliteConnection.h"

namespace kel::server::store {

std::optional<kel::db::ResultSet> NativeConnection::Query(const std::string& sql,
                                                          const std::vector<kel::db::Value>& params) {
    kel::db::ResultSet result;
    const bool ok = Each(sql, params, [&](const RowCells& row) {
        if (result.columns.empty())
            for (std::size_t i = 0; i < row.Size(); ++i) result.columns.push_back(row.Name(i));
        kel::db::Row& out = result.rows.emplace_back(row.Size());
        for (std::size_t i = 0; i < row.Size(); ++i) out[i] = row.Get(i);
        return true;
    });
    if (!ok) return std::nullopt;
    return result;
}

std::unique_ptr<kel::db::Connection> Open(const std::string& target, std::string* error) {
    const auto where = ReadTarget(target, error);
    if (!where) return nullptr;
    switch (where->kind) {
        case TargetKind::SqliteFile: return SqliteConnection::Open(where->location, error);
        case TargetKind::Postgres: return PgConnection::Open(where->location, error);
        case TargetKind::OtherOdbc: return kel::db::Open(target, error);
    }
    return nullptr;
}

std::optional<int64_t> DataVersion(kel::db::Connection& db) {
    if (auto* sqlite = dynamic_cast<SqliteConnection*>(&db)) return sqlite->DataVersion();
    return std::nullopt;
}

std::optional<WalStamp> ReadWalStamp(kel::db::Connection& db) {
    if (auto* sqlite = dynamic_cast<SqliteConnection*>(&db)) return sqlite->ReadWalStamp();
    return std::nullopt;
}

}  // namespace kel::server::store
