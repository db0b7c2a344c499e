// A search whose answer cannot be counted in 16 bits is refused (status 5) with
// an empty body, and one at the limit is answered whole, in order.
#include "server/Sql.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

class BigAnswerTest : public ServerTest {
protected:
    // Treaty data records `from`..`to` of treaty Q1, starting "1" + the seven-digit serial.
    void AddRecords(int from, int to) {
        const std::string serial = Db().Dialect() == "sqlite" ? "substr('0000000' || i, -7)" : "lpad(i::text, 7, '0')";
        const std::string sql =
            "WITH RECURSIVE n(i) AS (SELECT " + std::to_string(from) + " UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(to) +
            ") INSERT INTO t_cont_info (n_cont_id, c_cont_code, c_start_date, c_end_date, n_comm_rate, n_data_rev) "
            "SELECT i, 'Q1', '1' || " +
            serial + ", '29991231', 0.25, 1 FROM n";
        ASSERT_GE(Db().Execute(sql), 0) << Db().LastError();
        ASSERT_EQ(Count("SELECT COUNT(*) FROM t_cont_info"), to);
    }

    // Detail lines `from`..`to` of treaty data record 1: products 0100..0103 in
    // turn, one insuring company per line.
    void AddLines(int from, int to) {
        const std::string sql =
            "WITH RECURSIVE n(i) AS (SELECT " + std::to_string(from) + " UNION ALL SELECT i + 1 FROM n WHERE i < " +
            std::to_string(to) +
            ") INSERT INTO t_cont_detail (n_cont_id, c_prod_no, c_risk_lvl, c_com_cde, c_ri_cde, n_share) "
            "SELECT 1, '010' || CAST(i % 4 AS TEXT), '01', CAST(i AS TEXT), '01', 0.5 FROM n";
        ASSERT_GE(Db().Execute(sql), 0) << Db().LastError();
    }

    Reply SearchLines(const char* product = "") {
        _ContDetailStruct f{};
        f.nContId = 1;
        Set(f.szProdCode, product);
        return SendRecord(205, f);
    }
};

TEST_P(BigAnswerTest, ASearchBeyondTheSixteenBitCountIsRefusedWhole) {
    Seed();
    const int limit = static_cast<int>(sql::kMaxAnswerRecords);
    AddRecords(1, limit);
    _ContYearKey key{};
    Reply r = SendRecord(186, key);
    ASSERT_EQ(r.Status(), 0);
    ASSERT_EQ(r.Count(), limit);
    const auto records = r.Records<_ContInfoStruct>();
    ASSERT_EQ(records.size(), static_cast<std::size_t>(limit));
    EXPECT_EQ(Get(records.front().szStartDate), "10000001");
    EXPECT_EQ(Get(records.back().szStartDate), "10032767");
    EXPECT_EQ(Get(records.back().szContTypeName), "成数合约");
    const double rate = records.back().dCommRate;  // packed: read by copying
    EXPECT_EQ(rate, 0.25);

    AddRecords(limit + 1, limit + 1);
    r = SendRecord(186, key);
    EXPECT_EQ(r.Status(), 5);
    EXPECT_EQ(r.Count(), 0);
    EXPECT_TRUE(r.body.empty());
    // A narrower search still answers.
    Set(key.szStartDate, "1003276");
    r = SendRecord(186, key);
    EXPECT_EQ(r.Status(), 0);
    EXPECT_EQ(r.Count(), 9);  // 10032760 .. 10032768
}

TEST_P(BigAnswerTest, ATreatyWithMoreLinesThanOneAnswerIsListedByNarrowerSearches) {
    const int limit = static_cast<int>(sql::kMaxAnswerRecords);
    AddLines(1, limit);
    Reply r = SearchLines();
    ASSERT_EQ(r.Status(), 0);
    ASSERT_EQ(r.Count(), limit);
    const auto lines = r.Records<_ContDetailStruct>();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(limit));
    // Sorted by product, then company (as text).
    EXPECT_EQ(Get(lines.front().szProdCode), "0100");
    EXPECT_EQ(Get(lines.front().szCompCode), "100");
    EXPECT_EQ(Get(lines.back().szProdCode), "0103");
    const double share = lines.back().dShare;  // packed: read by copying
    EXPECT_EQ(share, 0.5);

    AddLines(limit + 1, limit + 1);
    r = SearchLines();
    EXPECT_EQ(r.Status(), 5);
    EXPECT_EQ(r.Count(), 0);
    EXPECT_TRUE(r.body.empty());
    // One product at a time, every line is listed.
    int listed = 0;
    for (const char* product : {"0100", "0101", "0102", "0103"}) {
        r = SearchLines(product);
        ASSERT_EQ(r.Status(), 0) << product;
        for (const auto& line : r.Records<_ContDetailStruct>()) EXPECT_EQ(Get(line.szProdCode), product);
        listed += r.Count();
    }
    EXPECT_EQ(listed, limit + 1);
}

KELMOR_SERVER_BACKENDS(BigAnswerTest);

}  // namespace
}  // namespace kel::server::test
