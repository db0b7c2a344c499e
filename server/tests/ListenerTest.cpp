// The real TCP listener: the log-on comes first, malformed input gets a non-zero
// status or a closed connection and never a crash or half a change, idle clients
// are dropped, and two clients writing the same records at once leave them whole.
#include <random>
#include <set>
#include <thread>

#include "common/net/Frame.h"
#include "common/net/Logon.h"
#include "common/net/TcpChannel.h"
#include "server/tests/RawClient.h"

namespace kel::server::test {
namespace {

using namespace kel::records;

class TcpServer : public ListenerFixture {
protected:
    void SetUp() override {
        ListenerFixture::SetUp();
        StartListener(QuickOptions());
        std::string error;
        db = kel::db::Open(path, &error);
        ASSERT_TRUE(db) << error;
    }

    // Row counts of the tables a malformed request could touch.
    std::string Snapshot() {
        std::string s;
        for (const char* t : {"t_cont_code", "t_ri_company", "t_ri_account", "t_ri_agent", "t_cont_info",
                              "t_cont_reins", "t_cont_order", "t_cont_detail", "t_cont_section", "t_prompt_set"})
            s += db->Query(std::string("SELECT COUNT(*) FROM ") + t)->rows[0][0].ToText() + " ";
        return s;
    }

    std::unique_ptr<kel::db::Connection> db;
};

TEST_F(TcpServer, TheFirstFrameMustBeASuccessfulLogOn) {
    RawClient early(listener->Port());
    const auto refused = early.Call(180);
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->Status(), 0);
    EXPECT_FALSE(early.Read());  // and closed

    RawClient wrong(listener->Port());
    EXPECT_FALSE(wrong.LogOn("demo", "guess"));
    EXPECT_FALSE(wrong.Read());

    RawClient right(listener->Port());
    ASSERT_TRUE(right.LogOn());
    const auto codes = right.Call(180);
    ASSERT_TRUE(codes);
    EXPECT_EQ(codes->Status(), 0);
    EXPECT_GE(codes->Count(), 7);

    kel::net::TcpChannel channel;  // the host's own channel logs on the same way
    EXPECT_TRUE(channel.Connect("127.0.0.1", listener->Port(), "demo", "demo").ok());
    EXPECT_TRUE(channel.Connect("127.0.0.1", listener->Port(), "demo", "nope").refused);
}

TEST_F(TcpServer, MalformedInputIsRefusedOrClosedAndWritesNothing) {
    const std::string before = Snapshot();
    auto closes = [&](std::string_view bytes, bool logOnFirst) {
        RawClient c(listener->Port());
        if (logOnFirst) {
            EXPECT_TRUE(c.LogOn());
        }
        c.Raw(bytes);
        while (auto r = c.Read()) EXPECT_NE(r->Status(), 0);  // refusals only, then the close
    };
    closes(std::string("\x0a\0\0\0", 4) + std::string(10, 'x'), false);   // shorter than a head
    closes(std::string("\x01\0\0\x01", 4) + std::string(64, 'x'), true);  // 16 MiB + 1
    closes(std::string("\x40\0\0\0", 4) + std::string(20, 'x'), true);    // a frame that never ends
    std::mt19937 random(7);
    for (int round = 0; round < 5; ++round) {
        std::string garbage(600, '\0');
        for (char& ch : garbage) ch = static_cast<char>(random());
        closes(garbage, round % 2 == 0);
    }

    RawClient c(listener->Port());
    ASSERT_TRUE(c.LogOn());
    auto status = [&](int code, std::string_view body, int32_t op = 0, int16_t count = 1) {
        const auto r = c.Call(code, body, op, count);
        return r ? r->Status() : -1;
    };
    _RICompanyStruct ri{};
    Set(ri.szRICode, "77");
    EXPECT_EQ(status(4242, "abc"), kUnknownCode);
    EXPECT_EQ(status(183, Bytes(ri), kOpInsert, 3), kBadRequest);            // count against the body
    EXPECT_EQ(status(217, std::string(100, '\0'), kOpInsert), kBadRequest);  // shorter than the record
    _ContCodeStruct code{};
    std::memset(code.szContCode, 'K', sizeof code.szContCode);  // no NUL
    code.cContType = 'A';
    EXPECT_EQ(status(181, Bytes(code), kOpInsert), kBadRequest);
    Set(ri.szChnName, "再保");
    ri.szChnName[1] = '\x7f';  // a trail byte GBK lacks
    EXPECT_EQ(status(183, Bytes(ri), kOpInsert, 0), kBadRequest);
    _ContSubHead lying = *MakeContSubHead(189, {3, 0, 0});
    EXPECT_EQ(status(189, Bytes(lying) + std::string(sizeof(_ContInfoStruct), '\0'), kOpInsert), kBadRequest);
    // Well-framed noise on every code: answered, never fatal.
    for (int i = 0; i < 300; ++i) {
        const auto& t = kTransactions[random() % kTransactions.size()];
        std::string body(random() % 1200, '\0');
        for (char& ch : body) ch = static_cast<char>(random() % 4 == 0 ? random() : 0);
        ASSERT_GE(status(t.nCode, body, static_cast<int32_t>(random() % 4), static_cast<int16_t>(random() % 3)), 0)
            << "no answer to " << t.nCode;
    }
    EXPECT_EQ(status(180, ""), 0);  // the connection still serves
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(TcpServer, AnIdleClientIsDropped) {
    RawClient c(listener->Port());
    ASSERT_TRUE(c.LogOn());
    std::this_thread::sleep_for(std::chrono::milliseconds(1800));
    EXPECT_FALSE(c.Call(180));
}

TEST_F(TcpServer, TwoClientsWritingTheSameRecordsAtOnceLeaveThemWhole) {
    auto client = [&](char who, std::vector<int>& statuses) {
        kel::net::TcpChannel ch;
        ASSERT_TRUE(ch.Connect("127.0.0.1", listener->Port(), "demo", "demo").ok());
        auto call = [&](int code, const std::string& body, int32_t op, int16_t count = 1) {
            _PacketHead h{};
            h.nTransCode = static_cast<int16_t>(code);
            h.nCount = count;
            h.nSubSystem = kSubSystemDefault;
            h.nOperation = op;
            EXPECT_EQ(ch.Send(h, body.data(), body.size()), 0);
            std::vector<char> answer;
            EXPECT_EQ(ch.Receive(h, answer), 0);
            return static_cast<int>(h.cStatus);
        };
        for (int round = 0; round < 10; ++round) {
            // The same new treaty codes from both clients: each is stored once.
            _ContCodeStruct k{};
            const std::string key = "K" + std::to_string(round);
            Set(k.szContCode, key);
            Set(k.szChnName, std::string("合约") + who);
            k.cContType = 'A';
            statuses.push_back(call(181, Bytes(k), kOpInsert));
            // The same reinsurer's whole account list, two accounts from one, three from the other.
            _RICompanyStruct ri{};
            Set(ri.szRICode, "01");
            Set(ri.szChnName, "瀚海再保险股份有限公司");
            _RIAccountStruct a{};
            Set(a.szPayee, std::string(1, who));
            const int n = who == 'A' ? 2 : 3;
            std::string body = Bytes(ri);
            for (int i = 0; i < n; ++i) body += Bytes(a);
            // Stored, or refused once the other client changed it after this one's last save.
            const int saved = call(183, body, kOpUpdate, static_cast<int16_t>(n));
            EXPECT_TRUE(saved == 0 || saved == kRefused) << saved;
        }
    };
    std::vector<int> a, b;
    std::thread ta(client, 'A', std::ref(a)), tb(client, 'B', std::ref(b));
    ta.join();
    tb.join();

    // Of each pair of identical inserts exactly one succeeded, the other was refused.
    int ok = 0, refused = 0;
    for (const auto* v : {&a, &b})
        for (int s : *v) (s == 0 ? ok : refused) += (s == 0 || s == kRefused) ? 1 : 0;
    EXPECT_EQ(ok, 10);
    EXPECT_EQ(refused, 10);
    EXPECT_EQ(db->Query("SELECT COUNT(*) FROM t_cont_code WHERE c_cont_code LIKE 'K%'")->rows[0][0].ToText(), "10");
    // The accounts are one writer's list, never a mixture.
    const auto accounts = db->Query("SELECT c_payee FROM t_ri_account WHERE c_ri_cde = '01'");
    std::set<std::string> payees;
    for (const auto& row : accounts->rows) payees.insert(row[0].ToText());
    ASSERT_EQ(payees.size(), 1u);
    EXPECT_EQ(accounts->rows.size(), *payees.begin() == "A" ? 2u : 3u);
}

}  // namespace
}  // namespace kel::server::test
