#include "common/db/tests/DbTestSupport.h"

#include "common/db/CodeLists.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <vector>

namespace kel::dbtest {

using kel::db::Value;

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelmor-dbtest-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::unique_ptr<kel::db::Connection> OpenSqlite(const TempDir& dir, const std::string& fileName) {
    std::string error;
    auto db = kel::db::Open((dir.Path() / fileName).string(), &error);
    EXPECT_TRUE(db) << error;
    return db;
}

namespace {

void Insert(kel::db::Connection& db, const std::string& sql, const std::vector<Value>& params) {
    ASSERT_EQ(db.Execute(sql, params), 1) << sql << ": " << db.LastError();
}

}  // namespace

void SeedCodeLists(kel::db::Connection& db) {
    Insert(db, "INSERT INTO t_currency (c_cur_cde, c_cur_nme) VALUES (?, ?)", {"02", "美元"});
    Insert(db, "INSERT INTO t_currency (c_cur_cde, c_cur_nme) VALUES (?, ?)", {"01", "人民币"});
    Insert(db, "INSERT INTO t_country (c_country_cde, c_country_nme) VALUES (?, ?)", {"CHN", "中国"});
    Insert(db, "INSERT INTO t_com_property (c_prop_cde, c_prop_nme) VALUES (?, ?)", {"1", "国有"});
    Insert(db, "INSERT INTO t_prd_prod (c_prod_no, c_nme_cn) VALUES (?, ?)", {"P02", "家庭财产保险"});
    Insert(db, "INSERT INTO t_prd_prod (c_prod_no, c_nme_cn) VALUES (?, ?)", {"P01", "企业财产保险"});
    Insert(db, "INSERT INTO t_prd_class (c_class_no, c_nme_cn) VALUES (?, ?)", {"01", "财产险"});
    for (const auto& [year, level, name, keep] :
         std::vector<std::tuple<const char*, const char*, const char*, double>>{{"2023", "A1", "一级", 400.0},
                                                                                {"2024", "A1", "一级", 500.0},
                                                                                {"2024", "A2", "二级", 800.5},
                                                                                {"2024", "B1", "乙级", 1000.0}})
        Insert(db,
               "INSERT INTO t_risk_cde (c_year, c_risk_lvl_cde, c_risk_lvl_nme, n_keep_amt, n_max_fac_amt) "
               "VALUES (?, ?, ?, ?, ?)",
               {year, level, name, keep, keep * 10});
    Insert(db, "INSERT INTO t_risk_lvl (c_prod_no, c_risk_lvl_cde) VALUES (?, ?)", {"P01", "A1"});
    Insert(db, "INSERT INTO t_risk_lvl (c_prod_no, c_risk_lvl_cde) VALUES (?, ?)", {"P01", "B1"});
    Insert(db, "INSERT INTO t_ri_company (c_ri_cde, c_nme_cn, c_nme_en, c_com_kind, c_lapsed) VALUES (?, ?, ?, ?, ?)",
           {"R001", "泰山再保险公司", "O'Brien Re", "A", "N"});
    Insert(db, "INSERT INTO t_ri_company (c_ri_cde, c_nme_cn, c_nme_en, c_com_kind, c_lapsed) VALUES (?, ?, ?, ?, ?)",
           {"B001", "华信经纪公司", "Huaxin Brokers", "B", "N"});
    // The same reinsurer behind two brokers is one item of the sub-reinsurer list.
    Insert(db, "INSERT INTO t_ri_agent (c_broker_cde, c_ri_cde, c_nme_cn, c_kind) VALUES (?, ?, ?, ?)",
           {"B001", "S001", "远洋再保险", "B"});
    Insert(db, "INSERT INTO t_ri_agent (c_broker_cde, c_ri_cde, c_nme_cn, c_kind) VALUES (?, ?, ?, ?)",
           {"B002", "S001", "远洋再保险", "B"});
    Insert(db, "INSERT INTO t_cont_code (c_cont_code, c_name_cn, c_name_en, c_type) VALUES (?, ?, ?, ?)",
           {"QS", "成数合约", "Quota Share", "1"});
    Insert(db, "INSERT INTO t_insr_company (c_com_cde, c_nme_cn) VALUES (?, ?)", {"3100", "上海分公司"});
    Insert(db,
           "INSERT INTO t_cont_section (n_sect_id, n_cont_id, c_cont_code, c_sect_cde, c_sect_nme, n_comm_rate) "
           "VALUES (?, ?, ?, ?, ?, ?)",
           {1, 7, "QS", "S1", "S1", 0.25});
    Insert(db,
           "INSERT INTO t_cont_section (n_sect_id, n_cont_id, c_cont_code, c_sect_cde, c_sect_nme, n_comm_rate) "
           "VALUES (?, ?, ?, ?, ?, ?)",
           {2, 8, "QS", "S9", "S9", 0.3});
    Insert(db, "INSERT INTO t_cont_reins (n_cont_id, c_ri_cde, n_share, n_limit) VALUES (?, ?, ?, ?)",
           {7, "R001", 0.6, 1000000.0});
    Insert(db, "INSERT INTO t_cont_reins (n_cont_id, c_ri_cde, n_share, n_limit) VALUES (?, ?, ?, ?)",
           {8, "B001", 1.0, Value()});
}

void CheckAllCodeListsLoad(kel::db::Connection& db) {
    using namespace kel::codelist;
    // First item of each list in code order, from SeedCodeLists.
    const std::map<int, std::pair<std::string, std::string>> first = {
        {kCurrency, {"01", "人民币"}},
        {kCountryRegion, {"CHN", "中国"}},
        {kRiskLevel, {"A1", "一级"}},
        {kProduct, {"P01", "企业财产保险"}},
        {kReinsurer, {"B001", "华信经纪公司"}},
        {kSubReinsurer, {"S001", "远洋再保险"}},
        {kCompanyProperty, {"1", "国有"}},
        {kTreatyName, {"QS", "成数合约"}},
        {kProductClass, {"01", "财产险"}},
        {kTreatyCode, {"QS", "成数合约"}},
        {kInsuringCompany, {"3100", "上海分公司"}},
        {kTreatySection, {"S1", "S1"}},
        {kTreatyReinsurer, {"B001", "华信经纪公司"}},
    };
    ASSERT_EQ(first.size(), AllCodeLists().size()) << "every registered list has a seeded row";
    for (const auto& def : AllCodeLists()) {
        std::string error;
        const auto items = LoadCodeList(db, def.id, "", &error);
        ASSERT_TRUE(items) << def.id << ": " << error;
        ASSERT_FALSE(items->empty()) << def.id;
        EXPECT_EQ(items->front().code, first.at(def.id).first) << def.id;
        EXPECT_EQ(items->front().name, first.at(def.id).second) << def.id;
    }
    // The repeated risk level and sub-reinsurer appear once.
    EXPECT_EQ(LoadCodeList(db, kRiskLevel)->size(), 3u);
    EXPECT_EQ(LoadCodeList(db, kSubReinsurer)->size(), 1u);
}

void CheckRoundTrip(kel::db::Connection& db) {
    ASSERT_GE(db.Execute("CREATE TABLE rt_text (n_id INTEGER NOT NULL PRIMARY KEY, c_name VARCHAR(100), "
                         "c_note TEXT, n_amt NUMERIC, n_big BIGINT, n_real DOUBLE PRECISION)"),
              0)
        << db.LastError();
    std::string longText;
    for (int i = 0; i < 20000; ++i) longText += (i % 7 == 0) ? "a" : "合约";
    longText += "😀end";  // outside the 16-bit range: a surrogate pair in UTF-16
    const std::string name = "王O'Brien再保'); DROP TABLE rt_text; --";
    const char* insert = "INSERT INTO rt_text (n_id, c_name, c_note, n_amt, n_big, n_real) VALUES (?, ?, ?, ?, ?, ?)";
    ASSERT_EQ(db.Execute(insert, {1, name, longText, 1234.5, int64_t{1} << 40, 0.1}), 1) << db.LastError();
    ASSERT_EQ(db.Execute(insert, {2, Value(), "", Value(), -5, Value()}), 1) << db.LastError();

    auto rs = db.Query("SELECT n_id, c_name, c_note, n_amt, n_big, n_real FROM rt_text WHERE c_name = ?", {name});
    ASSERT_TRUE(rs) << db.LastError();
    ASSERT_EQ(rs->rows.size(), 1u);
    const auto& r = rs->rows[0];
    EXPECT_EQ(r[0].ToText(), "1");
    EXPECT_EQ(r[1].ToText(), name);
    EXPECT_EQ(r[2].ToText().size(), longText.size());
    EXPECT_TRUE(r[2].ToText() == longText) << "long text came back altered";
    EXPECT_EQ(r[3].ToText(), "1234.5");
    EXPECT_EQ(r[4].ToText(), "1099511627776");
    EXPECT_EQ(r[5].ToText(), "0.1");
    EXPECT_EQ(rs->ColumnIndex("C_NOTE"), 2);
    EXPECT_EQ(rs->ColumnIndex("missing"), -1);

    rs = db.Query("SELECT c_name, c_note, n_amt, n_big FROM rt_text WHERE n_id = ?", {2});
    ASSERT_TRUE(rs) << db.LastError();
    ASSERT_EQ(rs->rows.size(), 1u);
    EXPECT_TRUE(rs->rows[0][0].IsNull());
    EXPECT_FALSE(rs->rows[0][1].IsNull()) << "an empty text is not NULL";
    EXPECT_EQ(rs->rows[0][1].ToText(), "");
    EXPECT_TRUE(rs->rows[0][2].IsNull());
    EXPECT_EQ(rs->rows[0][3].ToText(), "-5");

    // Chinese inside the statement text itself.
    rs = db.Query("SELECT c_name FROM rt_text WHERE c_name LIKE '王O''Brien再保%'");
    ASSERT_TRUE(rs) << db.LastError();
    ASSERT_EQ(rs->rows.size(), 1u);
    EXPECT_EQ(rs->rows[0][0].ToText(), name);

    EXPECT_EQ(db.Execute("UPDATE rt_text SET c_name = ? WHERE n_id = ?", {"新名", 2}), 1) << db.LastError();
    EXPECT_EQ(db.Execute("UPDATE rt_text SET c_name = ? WHERE n_id = ?", {"x", 99}), 0) << db.LastError();

    // Transactions: a rollback leaves nothing behind, a commit keeps.
    ASSERT_TRUE(db.Begin()) << db.LastError();
    EXPECT_FALSE(db.Begin()) << "no nested transaction";
    ASSERT_EQ(db.Execute(insert, {3, "回滚", "", 0, 0, 0.0}), 1) << db.LastError();
    ASSERT_TRUE(db.Rollback()) << db.LastError();
    ASSERT_TRUE(db.Begin()) << db.LastError();
    ASSERT_EQ(db.Execute(insert, {4, "提交", "", 0, 0, 0.0}), 1) << db.LastError();
    ASSERT_TRUE(db.Commit()) << db.LastError();
    rs = db.Query("SELECT n_id FROM rt_text ORDER BY n_id");
    ASSERT_TRUE(rs) << db.LastError();
    ASSERT_EQ(rs->rows.size(), 3u);
    EXPECT_EQ(rs->rows[2][0].ToText(), "4");

    // Failures are reported, not hidden.
    EXPECT_FALSE(db.Query("SELECT * FROM rt_no_such_table"));
    EXPECT_NE(db.LastError().find("rt_no_such_table"), std::string::npos) << db.LastError();
    EXPECT_EQ(db.Execute(insert, {1, "dup", "", 0, 0, 0.0}), -1) << "duplicate key";
    EXPECT_FALSE(db.LastError().empty());
    EXPECT_EQ(db.Execute("UPDATE rt_text SET c_name = ?", {std::string("bad\xFF")}), -1);
    EXPECT_NE(db.LastError().find("UTF-8"), std::string::npos) << db.LastError();
    EXPECT_FALSE(db.Commit()) << "commit without a transaction";

    EXPECT_GE(db.Execute("DROP TABLE rt_text"), 0) << db.LastError();
}

}  // namespace kel::dbtest
