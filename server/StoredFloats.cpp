#include "server/StoredFloats.h"

#include "common/records/WireFloat.h"

namespace kel::server {
namespace {

using namespace sql;

struct FloatColumn {
    const char* table;
    const char* column;
};

// The columns a float field is stored in, and the detail lines generated from one.
constexpr FloatColumn kFloatColumns[] = {
    {"t_cont_risk", "n_coins_coef"},
    {"t_cont_risk", "n_quota_ratio"},
    {"t_cont_detail", "n_quota_ratio"},
};

}  // namespace

int64_t CleanStoredFloats(Connection& db) {
    int64_t changed = 0;
    Execute(db, "BEGIN");
    try {
        for (const FloatColumn& f : kFloatColumns) {
            const std::string column = f.column, table = f.table;
            // Each distinct value once: a treaty's detail lines share a few quotas.
            const auto values =
                Query(db, "SELECT DISTINCT " + column + " FROM " + table + " WHERE " + column + " IS NOT NULL");
            for (const Row& r : values.rows) {
                const double stored = Num(r[0]);
                const auto clean = kel::records::NoiselessFloat(stored);
                if (!clean) continue;
                changed += Execute(db, "UPDATE " + table + " SET " + column + " = ? WHERE " + column + " = ?",
                                   {Value(*clean), Value(stored)});
            }
        }
        Execute(db, "COMMIT");
    } catch (...) {
        try {
            Execute(db, "ROLLBACK");
        } catch (...) {
        }
        throw;
    }
    return changed;
}

}  // namespace kel::server
