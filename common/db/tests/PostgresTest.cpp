// The same round trip on PostgreSQL, when KELMOR_PG_CONN holds an ODBC connection
// string (e.g. "DRIVER=PostgreSQL Unicode;Server=127.0.0.1;Port=5433;Database=kelmor;Uid=kelmor;Pwd=...;").
// Everything runs in a schema of its own that is dropped afterwards.
#include "common/db/CodeLists.h"
#include "common/db/tests/DbTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <cstdlib>

namespace {

class Postgres : public ::testing::Test {
protected:
    void SetUp() override {
        const char* conn = std::getenv("KELMOR_PG_CONN");
        if (!conn || !*conn) GTEST_SKIP() << "set KELMOR_PG_CONN to an ODBC connection string to run";
        std::string error;
        db = kel::db::Open(conn, &error);
        ASSERT_TRUE(db) << error;
        ASSERT_EQ(db->Dialect(), "postgresql");
        schema = "kelmor_test_" + std::to_string(getpid()) + "_" +
                 std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000);
        ASSERT_GE(db->Execute("CREATE SCHEMA " + schema), 0) << db->LastError();
        ASSERT_GE(db->Execute("SET search_path TO " + schema), 0) << db->LastError();
    }
    void TearDown() override {
        if (db && !schema.empty()) {
            EXPECT_GE(db->Execute("DROP SCHEMA " + schema + " CASCADE"), 0) << db->LastError();
        }
    }

    std::unique_ptr<kel::db::Connection> db;
    std::string schema;
};

}  // namespace

TEST_F(Postgres, RoundTripsTextNumbersAndNulls) { kel::dbtest::CheckRoundTrip(*db); }

TEST_F(Postgres, CodeListsLoadFromTheSharedSchema) {
    std::string error;
    ASSERT_TRUE(kel::codelist::ApplyCodeListSchema(*db, &error)) << error;
    ASSERT_TRUE(kel::codelist::ApplyCodeListSchema(*db, &error)) << error;
    kel::dbtest::SeedCodeLists(*db);
    kel::dbtest::CheckAllCodeListsLoad(*db);
    auto risk = kel::codelist::LoadCodeList(*db, kel::codelist::kRiskLevel,
                                            "c_year = '2024'and c_risk_lvl_cde in (select c_risk_lvl_cde from "
                                            "t_risk_lvl where c_prod_no = 'P01')",
                                            &error);
    ASSERT_TRUE(risk) << error;
    EXPECT_EQ(risk->size(), 2u);
    int count = 2;
    _CodeListStruct* table = kel::codelist::GetCodeListDataTable(*db, "SELECT C_PROD_NO,C_NME_CN FROM t_prd_prod ",
                                                                 count, "t_prd_prod", &error);
    ASSERT_NE(table, nullptr) << error;
    EXPECT_EQ(count, 2);
    std::free(table);
}
