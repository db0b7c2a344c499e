// Bounded work per request over the real listener: treaty data lists beyond their
// limits are malformed (status 2); a generation that would write more lines than
// allowed, or that runs past its time, is refused (status 1) and leaves the lines
// there were; the next writer goes on at once.
#include "server/Listener.h"
#include "server/Password.h"
#include "server/tests/ChannelClient.h"

namespace kel::server::test {
namespace {

using namespace kel::records;

class WorkLimitsTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        if (GetParam() == Backend::Postgres) {
            pg = std::make_unique<PgDatabase>();
            if (pg->Conn().empty()) GTEST_SKIP() << "set KELMOR_PG_CONN to run against PostgreSQL";
            target = pg->Conn();
        } else {
            target = (dir.Path() / "kelmor.db").string();
        }
    }
    void TearDown() override {
        listener.reset();
        server.reset();
        db.reset();
        pg.reset();
    }

    // A server with `limits` behind a listener; 100 reinsurers, two insuring companies.
    void Start(WorkLimits limits = {}) {
        ServerOptions options;
        options.limits = limits;
        std::string error;
        server = Server::Open(target, &error, options);
        ASSERT_TRUE(server) << error;
        listener = std::make_unique<Listener>(*server, ListenerOptions{});
        ASSERT_TRUE(listener->Start(&error)) << error;
        ASSERT_TRUE(server->SetUser("demo", "", "demo"));
        db = kel::db::Open(target, &error);
        ASSERT_TRUE(db) << error;
        ASSERT_GE(db->Execute("INSERT INTO t_cont_code (c_cont_code, c_name_cn, c_type) VALUES ('Q1', '成数', 'A')"),
                  0);
        ASSERT_GE(db->Execute("INSERT INTO t_insr_company (c_com_cde, c_nme_cn) VALUES ('11', '北京'), ('31', '上海')"),
                  0);
        for (int i = 0; i < 100; ++i)
            ASSERT_EQ(db->Execute("INSERT INTO t_ri_company (c_ri_cde, c_nme_cn) VALUES (?, '再保')",
                                  {kel::db::Value(Code(i))}),
                      1);
    }
    static std::string Code(int i) { return "R" + std::to_string(100 + i); }

    // A treaty with every reinsurer taking part and `rows` product share rows.
    static Treaty Wide(int rows) {
        Treaty t = MakeTreaty("Q1", "20300101", "W-2030");
        for (int i = 0; i < 100; ++i) t.reins.push_back(Participant(Code(i).c_str(), 0.01));
        for (int i = 0; i < rows; ++i) t.risk.push_back(ProductRow("0101", std::to_string(10000 + i).c_str(), 1e6));
        return t;
    }
    int64_t Lines() { return std::stoll(db->Query("SELECT COUNT(*) FROM t_cont_detail")->rows[0][0].ToText()); }

    TempDir dir;
    std::unique_ptr<PgDatabase> pg;
    std::string target;
    std::unique_ptr<Server> server;
    std::unique_ptr<Listener> listener;
    std::unique_ptr<kel::db::Connection> db;
};

TEST_P(WorkLimitsTest, ListsBeyondTheirLimitsAreMalformed) {
    Start();
    ChannelClient c(listener->Port(), "demo", "demo");
    ASSERT_TRUE(c.Ok());
    Treaty t = MakeTreaty("Q1", "20300101", "L-2030");
    t.risk.assign(kMaxProductShareRows + 1, ProductRow("0101", "01", 1e6));
    EXPECT_EQ(c.Call(189, t.Body(189)).Status(), kBadRequest);
    t.risk.resize(kMaxProductShareRows);
    t.reins.assign(kMaxParticipants + 1, Participant("R100", 0.01));
    EXPECT_EQ(c.Call(189, t.Body(189)).Status(), kBadRequest);
    t.reins.clear();
    t.extra.assign(kMaxSubReinsurers + 1, SubReinsurer("R100", "R101", "0.1", "0.1", 'A'));
    t.info.nContId = 1;
    EXPECT_EQ(c.Call(187, t.Body(187), kOpUpdate).Status(), kBadRequest);
    t.extra.clear();
    EXPECT_EQ(c.Call(189, t.Body(189)).Status(), 0);  // at the limits
    EXPECT_EQ(db->Query("SELECT COUNT(*) FROM t_cont_risk")->rows[0][0].ToText(), std::to_string(kMaxProductShareRows));
}

TEST_P(WorkLimitsTest, AGenerationOfTooManyLinesIsRefusedAndKeepsTheLinesThereWere) {
    Start();
    ChannelClient c(listener->Port(), "demo", "demo");
    ASSERT_TRUE(c.Ok());
    Treaty t = Wide(10);
    ASSERT_EQ(c.Call(189, t.Body(189)).Status(), 0);
    t.info.nContId = std::stoi(db->Query("SELECT n_cont_id FROM t_cont_info")->rows[0][0].ToText());
    ASSERT_EQ(c.CallRecord(200, t.info).Status(), 0);
    EXPECT_EQ(Lines(), 10 * 2 * 100);

    t = Wide(600);  // 600 rows x 2 companies x 100 reinsurers: 120,000 lines
    t.info.nContId = std::stoi(db->Query("SELECT n_cont_id FROM t_cont_info")->rows[0][0].ToText());
    ASSERT_EQ(c.Call(187, t.Body(187), kOpUpdate).Status(), 0);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(c.CallRecord(200, t.info).Status(), kRefused);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));  // refused before writing
    EXPECT_EQ(Lines(), 10 * 2 * 100);
    t = Wide(500);  // 100,000 lines: at the limit
    t.info.nContId = std::stoi(db->Query("SELECT n_cont_id FROM t_cont_info")->rows[0][0].ToText());
    ASSERT_EQ(c.Call(187, t.Body(187), kOpUpdate).Status(), 0);
    EXPECT_EQ(c.CallRecord(200, t.info).Status(), 0);
    EXPECT_EQ(Lines(), 100000);
}

TEST_P(WorkLimitsTest, AGenerationPastItsTimeIsRolledBackAndTheNextWriterGoesOn) {
    WorkLimits limits;
    limits.generationTime = std::chrono::milliseconds(0);
    Start(limits);
    ChannelClient c(listener->Port(), "demo", "demo"), other(listener->Port(), "demo", "demo");
    ASSERT_TRUE(c.Ok() && other.Ok());
    Treaty t = Wide(20);
    ASSERT_EQ(c.Call(189, t.Body(189)).Status(), 0);
    t.info.nContId = std::stoi(db->Query("SELECT n_cont_id FROM t_cont_info")->rows[0][0].ToText());
    EXPECT_EQ(c.CallRecord(200, t.info).Status(), kRefused);
    EXPECT_EQ(Lines(), 0);
    EXPECT_EQ(db->Query("SELECT COUNT(*) FROM t_cont_info WHERE n_detail_rev IS NULL")->rows[0][0].ToText(), "1");
    _ContCodeStruct code{};
    Set(code.szContCode, "Q2");
    Set(code.szChnName, "成数二");
    code.cContType = 'A';
    EXPECT_EQ(other.CallRecord(181, code, kOpInsert).Status(), 0);
}

KELMOR_SERVER_BACKENDS(WorkLimitsTest);

}  // namespace
}  // namespace kel::server::test
