#include "common/db/CodeLists.h"
#include "common/db/Database.h"
#include "common/db/tests/DbTestSupport.h"

#include <gtest/gtest.h>

using kel::dbtest::TempDir;

TEST(SqlScript, SplitsAtSemicolonsOutsideQuotesAndComments) {
    const auto parts = kel::db::SplitSqlScript(
        "-- heading; not a statement\n"
        "CREATE TABLE a (x VARCHAR(5));\n"
        "INSERT INTO a VALUES ('x;y'); /* ; */ INSERT INTO a VALUES ('it''s');\n"
        "\n  ;  \n"
        "INSERT INTO \"odd;name\" VALUES (1) -- trailing; comment\n");
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0], "CREATE TABLE a (x VARCHAR(5))");
    EXPECT_EQ(parts[1], "INSERT INTO a VALUES ('x;y')");
    EXPECT_EQ(parts[2], "INSERT INTO a VALUES ('it''s')");
    EXPECT_EQ(parts[3], "INSERT INTO \"odd;name\" VALUES (1)");
}

TEST(SqlScript, CodeListSchemaAppliesTwiceAndIsBuiltIn) {
    EXPECT_NE(kel::codelist::CodeListSchemaSql().find("CREATE TABLE IF NOT EXISTS t_prd_prod"), std::string::npos);
    TempDir dir;
    auto db = kel::dbtest::OpenSqlite(dir);
    ASSERT_TRUE(db);
    std::string error;
    ASSERT_TRUE(kel::codelist::ApplyCodeListSchema(*db, &error)) << error;
    ASSERT_TRUE(kel::codelist::ApplyCodeListSchema(*db, &error)) << error;
    // The tables the screens read directly, with the columns they name.
    EXPECT_TRUE(db->Query("SELECT C_PROD_NO,C_NME_CN FROM t_prd_prod ")) << db->LastError();
    EXPECT_TRUE(db->Query("select c_risk_lvl_cde,n_keep_amt,n_max_fac_amt from t_risk_cde where c_year = '2024'"))
        << db->LastError();
    EXPECT_TRUE(db->Query("SELECT c_prod_no, c_risk_lvl_cde FROM t_risk_lvl")) << db->LastError();
}

TEST(SqlScript, AFailingStatementRollsBackTheWholeScript) {
    TempDir dir;
    auto db = kel::dbtest::OpenSqlite(dir);
    ASSERT_TRUE(db);
    std::string error;
    EXPECT_FALSE(kel::db::ApplySchema(*db,
                                      "CREATE TABLE first_one (x INTEGER);\n"
                                      "INSERT INTO first_one VALUES (1);\n"
                                      "CREATE TABLE broken (;\n",
                                      &error));
    EXPECT_NE(error.find("statement 3"), std::string::npos) << error;
    EXPECT_NE(error.find("CREATE TABLE broken"), std::string::npos) << error;
    EXPECT_FALSE(db->Query("SELECT x FROM first_one"));
    // The connection is usable afterwards, outside any transaction.
    EXPECT_TRUE(db->Begin()) << db->LastError();
    EXPECT_TRUE(db->Rollback());
}
