#include "common/db/CodeLists.h"

#include "common/db/tests/DbTestSupport.h"
#include "common/text/GbkText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

using namespace kel::codelist;
using kel::dbtest::TempDir;

namespace {

class CodeLists : public ::testing::Test {
protected:
    void SetUp() override {
        db = kel::dbtest::OpenSqlite(dir);
        ASSERT_TRUE(db);
        std::string error;
        ASSERT_TRUE(ApplyCodeListSchema(*db, &error)) << error;
        kel::dbtest::SeedCodeLists(*db);
    }

    std::vector<std::string> Codes(int id, const std::string& condition) {
        std::string error;
        auto items = LoadCodeList(*db, id, condition, &error);
        EXPECT_TRUE(items) << error;
        std::vector<std::string> codes;
        if (items)
            for (const auto& item : *items) codes.push_back(item.code);
        return codes;
    }

    TempDir dir;
    std::unique_ptr<kel::db::Connection> db;
};

using Strings = std::vector<std::string>;

}  // namespace

TEST_F(CodeLists, EveryRegisteredListLoadsCodeAndName) {
    for (int id : {20108, 20142, 20179, 20265, 20313, 20314, 20317, 20318, 20323})
        EXPECT_NE(FindCodeList(id), nullptr) << id;
    EXPECT_EQ(FindCodeList(20000), nullptr);
    kel::dbtest::CheckAllCodeListsLoad(*db);
}

TEST_F(CodeLists, ScreenConditionNarrowsTheList) {
    // The risk-level condition as the product share form writes it (no blank before "and").
    EXPECT_EQ(Codes(kRiskLevel,
                    "c_year = '2024'and c_risk_lvl_cde in (select c_risk_lvl_cde from t_risk_lvl "
                    "where c_prod_no = 'P01')"),
              (Strings{"A1", "B1"}));
    EXPECT_EQ(Codes(kRiskLevel, "c_year = '2024'"), (Strings{"A1", "A2", "B1"}));
    EXPECT_EQ(Codes(kRiskLevel, "c_year = '2023'"), (Strings{"A1"}));
    EXPECT_EQ(Codes(kRiskLevel, " where c_year = '2023' "), (Strings{"A1"}));
    EXPECT_EQ(Codes(kTreatySection, "n_cont_id = 8"), (Strings{"S9"}));
    EXPECT_EQ(Codes(kTreatyReinsurer, "n_cont_id = 7"), (Strings{"R001"}));
    EXPECT_EQ(Codes(kTreatyReinsurer, "n_cont_id = 7 or 1 = 1"), (Strings{"B001", "R001"}));
    auto reins = LoadCodeList(*db, kTreatyReinsurer, "n_cont_id = 7");
    ASSERT_TRUE(reins && reins->size() == 1);
    EXPECT_EQ(reins->front().name, "泰山再保险公司");
}

TEST_F(CodeLists, UnsafeConditionOrUnknownListIsRefused) {
    std::string error;
    for (const char* bad : {"1 = 1; DROP TABLE t_prd_prod", "c_year = '2024' -- rest", "c_year = '2024' /* x */"}) {
        EXPECT_FALSE(LoadCodeList(*db, kRiskLevel, bad, &error)) << bad;
        EXPECT_NE(error.find("refused"), std::string::npos) << error;
    }
    EXPECT_FALSE(LoadCodeList(*db, kRiskLevel, std::string("c_year = '2024'\0x", 17), &error));
    EXPECT_TRUE(db->Query("SELECT * FROM t_prd_prod")) << "nothing was run";
    EXPECT_FALSE(LoadCodeList(*db, 12345, "", &error));
    EXPECT_NE(error.find("12345"), std::string::npos) << error;
    EXPECT_FALSE(LoadCodeList(*db, kRiskLevel, "no_such_column = 1", &error));
    EXPECT_NE(error.find("no_such_column"), std::string::npos) << error;
}

TEST_F(CodeLists, DataTableHoldsGbkTextsAtZeroAndThirtyTwo) {
    int count = 2;
    std::string error;
    _CodeListStruct* table = GetCodeListDataTable(*db, "SELECT C_PROD_NO,C_NME_CN FROM t_prd_prod ORDER BY C_PROD_NO",
                                                  count, "t_prd_prod", &error);
    ASSERT_NE(table, nullptr) << error;
    ASSERT_EQ(count, 2);
    const auto* bytes = reinterpret_cast<const char*>(table);
    EXPECT_STREQ(bytes + 0, "P01");
    EXPECT_EQ(std::string(bytes + 32), *kel::text::Utf8ToGbk("企业财产保险"));
    EXPECT_STREQ(bytes + 480, "P02");
    EXPECT_EQ(kel::text::GetField(bytes + 480 + 32, 448), "家庭财产保险");
    for (int i = 3; i < 32; ++i) EXPECT_EQ(bytes[i], '\0') << "zero-padded";
    std::free(table);

    // One column: the name field stays empty.
    count = 1;
    table = GetCodeListDataTable(*db, "SELECT c_cur_cde FROM t_currency", count, "t_currency", &error);
    ASSERT_NE(table, nullptr) << error;
    EXPECT_EQ(count, 2);
    EXPECT_EQ(table[0].szName[0], '\0');
    std::free(table);

    // An empty result is an empty table, not a failure.
    count = 2;
    table =
        GetCodeListDataTable(*db, "SELECT C_PROD_NO,C_NME_CN FROM t_prd_prod WHERE 1 = 0", count, "t_prd_prod", &error);
    EXPECT_NE(table, nullptr) << error;
    EXPECT_EQ(count, 0);
    std::free(table);
}

TEST_F(CodeLists, DataTableFailsCleanly) {
    std::string error;
    int count = 2;
    EXPECT_EQ(GetCodeListDataTable(*db, "SELECT C_PROD_NO,C_NME_CN FROM t_no_such", count, "t_no_such", &error),
              nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_NE(error.find("t_no_such"), std::string::npos) << error;

    count = 2;
    EXPECT_EQ(GetCodeListDataTable(*db, "SELECT C_PROD_NO FROM t_prd_prod", count, "t_prd_prod", &error), nullptr);
    EXPECT_EQ(count, 0);

    count = 3;
    EXPECT_EQ(GetCodeListDataTable(*db, "SELECT 1, 2, 3", count, "x", &error), nullptr);

    // A name GBK cannot hold is refused, not stored as something else.
    ASSERT_EQ(db->Execute("INSERT INTO t_prd_prod (c_prod_no, c_nme_cn) VALUES (?, ?)", {"P09", "화재보험"}), 1);
    count = 2;
    EXPECT_EQ(GetCodeListDataTable(*db, "SELECT C_PROD_NO,C_NME_CN FROM t_prd_prod", count, "t_prd_prod", &error),
              nullptr);
    EXPECT_NE(error.find("GBK"), std::string::npos) << error;
}

TEST_F(CodeLists, DataTableCutsALongNameAtACharacter) {
    std::string longName;
    for (int i = 0; i < 300; ++i) longName += "险";
    ASSERT_EQ(db->Execute("INSERT INTO t_prd_class (c_class_no, c_nme_cn) VALUES (?, ?)", {"99", "a" + longName}), 1);
    int count = 2;
    std::string error;
    _CodeListStruct* table = GetCodeListDataTable(
        *db, "SELECT c_class_no, c_nme_cn FROM t_prd_class WHERE c_class_no = '99'", count, "t_prd_class", &error);
    ASSERT_NE(table, nullptr) << error;
    ASSERT_EQ(count, 1);
    // 447 bytes of room: "a" and 223 two-byte characters; the half character is dropped.
    EXPECT_EQ(std::strlen(table[0].szName), 447u);
    EXPECT_EQ(kel::text::GetField(table[0].szName), "a" + longName.substr(0, 223 * 3));
    std::free(table);
}
