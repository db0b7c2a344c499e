// Concurrent requests on one server (as from many clients): writers take turns,
// so identical inserts store once, a replaced list is one writer's, and the
// order keeps its priorities; readers run meanwhile.
#include <set>
#include <thread>

#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using namespace kel::records;
using Concurrency = ServerTest;

TEST_P(Concurrency, WritersOfTheSameRecordsTakeTurns) {
    Seed();
    std::atomic<int> stored{0}, refused{0}, other{0};
    auto writer = [&](int who) {
        for (int round = 0; round < 8; ++round) {
            const std::string key = "W" + std::to_string(round);
            _ContCodeStruct k{};
            Set(k.szContCode, key);
            Set(k.szChnName, "并发合约");
            k.cContType = 'A';
            for (int s : {SendRecord(181, k, kOpInsert).Status(), [&] {
                              _OrderAddBody o{};
                              Set(o.szContCode, key);
                              Set(o.szYearMonth, "203001");
                              o.nOrderNo = 1;
                              return SendRecord(137, o).Status();
                          }()})
                (s == 0 ? stored : s == kRefused ? refused : other)++;
            Treaty t = MakeTreaty("Q1", "20300101", "C-2030");
            t.reins = {Participant(who ? "01" : "02", 1.0)};
            t.risk = std::vector<_ContRiskStruct>(who + 1, ProductRow("0101", "01", 100));
            const int s = Send(189, t.Body(189)).Status();
            (s == 0 ? stored : s == kRefused ? refused : other)++;
            EXPECT_EQ(Send(180).Status(), 0);  // a reader in between
        }
    };
    std::vector<std::thread> threads;
    for (int who = 0; who < 4; ++who) threads.emplace_back(writer, who);
    for (auto& t : threads) t.join();

    EXPECT_EQ(other.load(), 0);
    EXPECT_EQ(stored.load(), 8 + 8 + 1);  // each code, each order entry, one treaty data record
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_code WHERE c_cont_code LIKE 'W%'"), 8);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_order WHERE c_year_month = '203001'"), 8);
    EXPECT_EQ(Count("SELECT COUNT(DISTINCT n_priority) FROM t_cont_order WHERE c_year_month = '203001'"), 8);
    EXPECT_EQ(Count("SELECT MAX(n_priority) FROM t_cont_order WHERE c_year_month = '203001'"), 8);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_info"), 1);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_reins"), 1);
}

KELMOR_SERVER_BACKENDS(Concurrency);

}  // namespace
}  // namespace kel::server::test
