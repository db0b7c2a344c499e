// The existence tests the checks and deletes make: the same answers as reading
// the rows, and each look-up they make found through an index rather than a scan.
#include <algorithm>
#include <cstring>

#include "server/Sql.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using sql::Params;
using sql::Value;

class Exists : public ServerTest {
protected:
    bool Has(const std::string& query, const Params& params = {}) { return sql::Exists(Db(), query, params); }
};

TEST_P(Exists, AnswersAsReadingTheRowsWould) {
    Seed();
    EXPECT_TRUE(Has("SELECT 1 FROM t_ri_company"));
    EXPECT_FALSE(Has("SELECT 1 FROM t_cont_detail"));
    // Bound values, a text code kept apart from a number, and a NULL never equal.
    EXPECT_TRUE(Has("SELECT 1 FROM t_cont_code WHERE c_cont_code = ?", {sql::Text("Q1")}));
    EXPECT_FALSE(Has("SELECT 1 FROM t_cont_code WHERE c_cont_code = ?", {sql::Text("q1")}));
    EXPECT_FALSE(Has("SELECT 1 FROM t_cont_code WHERE c_cont_code = ?", {Value()}));
    // Several conditions, an OR, a join, a grouping and the query's own limit.
    EXPECT_TRUE(
        Has("SELECT 1 FROM t_ri_company WHERE c_ri_cde = ? OR c_ri_cde = ?", {sql::Text("ZZ"), sql::Text("01")}));
    EXPECT_FALSE(Has("SELECT 1 FROM t_ri_company r JOIN t_cont_reins p ON p.c_ri_cde = r.c_ri_cde"));
    EXPECT_FALSE(Has("SELECT c_ri_cde FROM t_ri_company GROUP BY c_ri_cde HAVING COUNT(*) > 1"));
    EXPECT_FALSE(Has("SELECT c_ri_cde FROM t_ri_company ORDER BY c_ri_cde LIMIT 0"));
    // A row whose only column is NULL is still a row.
    EXPECT_TRUE(Has("SELECT NULL FROM t_ri_company"));
}

TEST_P(Exists, AFailedStatementEndsTheRequest) {
    try {
        Has("SELECT 1 FROM t_no_such_table");
        ADD_FAILURE() << "no fault";
    } catch (const Fault& f) {
        EXPECT_EQ(f.status(), kServerFailure);
        EXPECT_NE(std::string(f.what()).find("t_no_such_table"), std::string::npos);
    }
}

// The planner's own account of each look-up (SQLite's plan names a scan plainly;
// PostgreSQL's planner scans small tables whatever indexes exist).
TEST_P(Exists, EveryLookUpOfTheChecksAndDeletesHasItsIndex) {
    if (GetParam() != Backend::Sqlite) GTEST_SKIP() << "the plan is read on SQLite";
    const char* const lookUps[] = {
        "SELECT 1 FROM t_cont_info WHERE c_cont_code = ?",
        "SELECT 1 FROM t_cont_info WHERE c_lead_ri_cde = ?",
        "SELECT 1 FROM t_cont_order WHERE c_cont_code = ?",
        "SELECT 1 FROM t_cont_reins WHERE c_ri_cde = ?",
        "SELECT 1 FROM t_cont_extra WHERE c_broker_cde = ? OR c_sub_ri_cde = ?",
        "SELECT 1 FROM t_cont_detail WHERE c_ri_cde = ?",
        "SELECT 1 FROM t_cont_detail WHERE n_cont_id = ?",
        "SELECT 1 FROM t_ri_agent WHERE c_broker_cde = ?",
        "SELECT 1 FROM t_ri_account WHERE c_ri_cde = ?",
        "SELECT 1 FROM t_cont_section WHERE n_cont_id = ? AND c_sect_cde = ?",
        "SELECT 1 FROM t_insrnc_sect WHERE n_cont_id = ? AND c_class_cde = ?",
        "SELECT 1 FROM t_cont_info WHERE c_cont_code = ? AND c_start_date = ? AND n_cont_id <> ?",
    };
    for (const char* lookUp : lookUps) {
        const std::size_t markers = static_cast<std::size_t>(std::count(lookUp, lookUp + std::strlen(lookUp), '?'));
        const auto plan =
            sql::Query(Db(), std::string("EXPLAIN QUERY PLAN ") + lookUp, Params(markers, sql::Text("x")));
        std::string steps;
        for (const auto& row : plan.rows) steps += sql::Str(row.back()) + "; ";
        EXPECT_EQ(steps.find("SCAN"), std::string::npos) << lookUp << ": " << steps;
    }
}

KELMOR_SERVER_BACKENDS(Exists);

}  // namespace
}  // namespace kel::server::test
