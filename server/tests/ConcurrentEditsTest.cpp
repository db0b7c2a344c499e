// Lost updates over the real listener: 32 clients each read one reinsurer, add one
// to a number it holds and save it, ten times. Every save made from an outdated
// read is refused, so the number ends equal to the saves accepted: on SQLite, on
// PostgreSQL, and on PostgreSQL with the clients spread over two servers sharing
// the database (the versions live in the database, not in one server).
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/text/GbkText.h"
#include "server/Listener.h"
#include "server/Password.h"
#include "server/tests/ChannelClient.h"

namespace kel::server::test {
namespace {

using namespace kel::records;

enum class Setup { Sqlite, Postgres, PostgresTwoServers };

class ConcurrentEdits : public ::testing::TestWithParam<Setup> {
protected:
    void SetUp() override {
        if (GetParam() == Setup::Sqlite) {
            target = (dir.Path() / "kelmor.db").string();
        } else {
            pg = std::make_unique<PgDatabase>();
            if (pg->Conn().empty()) GTEST_SKIP() << "set KELMOR_PG_CONN to run against PostgreSQL";
            target = pg->Conn();
        }
        const int servers = GetParam() == Setup::PostgresTwoServers ? 2 : 1;
        for (int i = 0; i < servers; ++i) {
            std::string error;
            auto server = Server::Open(target, &error);
            ASSERT_TRUE(server) << error;
            auto listener = std::make_unique<Listener>(*server, ListenerOptions{});
            ASSERT_TRUE(listener->Start(&error)) << error;
            if (i == 0) {
                ASSERT_TRUE(server->SetUser("racer", "", "racer"));
            }
            ports.push_back(listener->Port());
            this->servers.push_back(std::move(server));
            listeners.push_back(std::move(listener));
        }
        std::string error;
        db = kel::db::Open(target, &error);
        ASSERT_TRUE(db) << error;
        // A cheap hash for the many log-ons at once; the check is the same.
        ASSERT_EQ(db->Execute("UPDATE t_user SET c_pwd_hash = ? WHERE c_user_cde = 'racer'",
                              {kel::db::Value(*HashPassword("racer", 1))}),
                  1);
        ASSERT_EQ(
            db->Execute("INSERT INTO t_ri_company (c_ri_cde, c_nme_cn, c_capital) VALUES ('01', '甲再保险', '0')"), 1);
    }
    void TearDown() override {
        listeners.clear();
        servers.clear();
        db.reset();
        pg.reset();
    }

    TempDir dir;
    std::unique_ptr<PgDatabase> pg;
    std::string target;
    std::vector<std::unique_ptr<Server>> servers;
    std::vector<std::unique_ptr<Listener>> listeners;
    std::vector<uint16_t> ports;
    std::unique_ptr<kel::db::Connection> db;
};

TEST_P(ConcurrentEdits, ThirtyTwoClientsIncrementingOneReinsurerLoseNoUpdate) {
    constexpr int kClients = 32, kRounds = 10;
    std::atomic<int> accepted{0}, refused{0}, other{0};
    auto client = [&](int who) {
        ChannelClient c(ports[who % ports.size()], "racer", "racer");
        if (!c.Ok()) {
            other += kRounds;
            return;
        }
        _RILookupStruct lookup{};
        Set(lookup.szRICode, "01");
        for (int round = 0; round < kRounds; ++round) {
            const Reply read = c.Call(3019, Bytes(lookup));
            if (read.Status() != 0 || read.Count() != 1) {
                ++other;
                continue;
            }
            _RICompanyStruct ri = read.Records<_RICompanyStruct>().at(0);
            Set(ri.szCapital, std::to_string(std::stoi(Get(ri.szCapital)) + 1));
            const int saved = c.Call(183, Bytes(ri), kOpUpdate, 0).Status();
            (saved == 0 ? accepted : saved == kRefused ? refused : other)++;
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < kClients; ++i) threads.emplace_back(client, i);
    for (auto& t : threads) t.join();

    EXPECT_EQ(other.load(), 0);
    EXPECT_EQ(accepted + refused, kClients * kRounds);
    EXPECT_GT(accepted.load(), 0);
    const auto rs = db->Query("SELECT c_capital FROM t_ri_company WHERE c_ri_cde = '01'");
    ASSERT_TRUE(rs && rs->rows.size() == 1);
    EXPECT_EQ(rs->rows[0][0].ToText(), std::to_string(accepted.load()))
        << accepted << " accepted, " << refused << " refused";
}

// Two clerks save the reinsurer they both read, at once, while others keep reading:
// the reads never hold a save back from its check, and the check lets exactly one
// through; the other is told the record changed under it.
TEST_P(ConcurrentEdits, TwoSavesOfOneReadRecordAmidReadersOneWinsTheOtherIsToldWhy) {
    std::atomic<bool> stop{false};
    std::atomic<int> readFailures{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 8; ++i)
        readers.emplace_back([&, i] {
            ChannelClient c(ports[i % ports.size()], "racer", "racer");
            while (!stop)
                if (c.Call(182, {}, 0, 0).Status() != 0) ++readFailures;
        });
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<ChannelClient>> clerks;
        std::vector<_RICompanyStruct> read;
        _RILookupStruct lookup{};
        Set(lookup.szRICode, "01");
        for (int i = 0; i < 2; ++i) {
            clerks.push_back(std::make_unique<ChannelClient>(ports[i % ports.size()], "racer", "racer"));
            const Reply r = clerks.back()->Call(3019, Bytes(lookup));
            ASSERT_EQ(r.Status(), 0);
            read.push_back(r.Records<_RICompanyStruct>().at(0));
            Set(read.back().szCapital, std::to_string(100 * round + i));
        }
        std::atomic<int> ready{0};
        int status[2] = {-1, -1};
        std::vector<std::thread> savers;
        for (int i = 0; i < 2; ++i)
            savers.emplace_back([&, i] {
                ++ready;
                while (ready < 2) std::this_thread::yield();
                status[i] = clerks[i]->Call(183, Bytes(read[i]), kOpUpdate, 0).Status();
            });
        for (auto& s : savers) s.join();
        ASSERT_TRUE((status[0] == 0 && status[1] == kRefused) || (status[0] == kRefused && status[1] == 0))
            << status[0] << " and " << status[1];
        const int loser = status[0] == 0 ? 1 : 0;
        const Reply why = clerks[loser]->Call(kRefusalReasonCode, {}, 0, 0);
        ASSERT_EQ(why.Status(), 0);
        EXPECT_EQ(kel::text::GetField(why.body.data(), why.body.size()), "该记录已被其他用户修改，请重新查询后再操作");
        const auto rs = db->Query("SELECT c_capital FROM t_ri_company WHERE c_ri_cde = '01'");
        ASSERT_TRUE(rs && rs->rows.size() == 1);
        EXPECT_EQ(rs->rows[0][0].ToText(), std::to_string(100 * round + 1 - loser));
    }
    stop = true;
    for (auto& r : readers) r.join();
    EXPECT_EQ(readFailures.load(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, ConcurrentEdits,
                         ::testing::Values(Setup::Sqlite, Setup::Postgres, Setup::PostgresTwoServers),
                         [](const auto& info) {
                             switch (info.param) {
                                 case Setup::Sqlite: return "Sqlite";
                                 case Setup::Postgres: return "Postgres";
                                 default: return "PostgresTwoServers";
                             }
                         });

}  // namespace
}  // namespace kel::server::test
