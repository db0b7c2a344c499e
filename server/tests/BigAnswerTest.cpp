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

KELMOR_SERVER_BACKENDS(BigAnswerTest);

}  // namespace
}  // namespace kel::server::test
