// A client session keeps what it has read when its line drops: a save of a record
// another user changed meanwhile is refused after the reconnect as it would have
// been before. A client that comes back to a server that does not know its session
// (restarted, or another server on the same database) is refused the save of
// anything it has not read there again. Real TCP listeners and the client's own
// session channel, on both backends.
#include "common/net/SessionChannel.h"
#include "server/Listener.h"
#include "server/SessionRegistry.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using namespace kel::records;

class SessionResume : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        if (IsSkipped()) return;
        Seed();
        ASSERT_TRUE(server_->SetUser("clerk", "", "pw"));
    }

    static std::unique_ptr<Listener> Listen(Server& server, uint16_t port = 0) {
        ListenerOptions options;
        options.port = port;
        auto listener = std::make_unique<Listener>(server, options);
        std::string error;
        EXPECT_TRUE(listener->Start(&error)) << error;
        return listener;
    }

    static std::unique_ptr<net::SessionChannel> Clerk(std::vector<uint16_t> ports) {
        std::vector<net::ServerAddress> servers;
        for (uint16_t p : ports) servers.push_back({"127.0.0.1", p});
        net::SessionOptions options;
        options.tcp.connectTimeoutMs = 2000;
        auto channel = std::make_unique<net::SessionChannel>(servers, "clerk", "pw", options);
        const net::ConnectResult result = channel->Open();
        EXPECT_TRUE(result.ok()) << result.message;
        return channel;
    }

    static Reply Call(Channel& channel, int code, std::string_view body = {}, int32_t op = 0, int16_t count = 1) {
        _PacketHead head{};
        head.nTransCode = static_cast<int16_t>(code);
        head.nCount = count;
        head.nSubSystem = kSubSystemDefault;
        head.nOperation = op;
        Reply reply;
        const int r = channel.Send(head, body.data(), body.size());
        if (r != 0 || channel.Receive(reply.head, reply.body) != 0) reply.head.cStatus = -1;
        return reply;
    }

    // Reinsurer `code` saved under `name` (no accounts).
    static std::string Reinsurer(const char* code, const char* name) {
        _RICompanyStruct ri{};
        Set(ri.szRICode, code);
        Set(ri.szChnName, name);
        return Bytes(ri);
    }
    static std::string Reinsurer01(const char* name) { return Reinsurer("01", name); }

    // The reason the server gives for the connection's last refusal.
    static std::string Reason(Channel& channel) {
        const Reply reply = Call(channel, kRefusalReasonCode, {}, 0, 0);
        return reply.body.size() < kRefusalReasonBytes ? std::string()
                                                       : text::GetField(reply.body.data(), kRefusalReasonBytes);
    }

    std::string Stored01() { return Text("SELECT c_nme_cn FROM t_ri_company WHERE c_ri_cde = '01'"); }
};

TEST_P(SessionResume, AStaleSaveAfterTheLineDroppedIsRefusedAndNothingIsLost) {
    auto listener = Listen(*server_);
    const uint16_t port = listener->Port();
    auto a = Clerk({port});
    ASSERT_EQ(Call(*a, 182).Status(), 0);  // A reads

    listener->Stop();  // the line drops; the server lives on
    listener = Listen(*server_, port);

    ConnectionContext b{"clerk"};
    ASSERT_EQ(SendAs(b, 182).Status(), 0);
    ASSERT_EQ(SendAs(b, 183, Reinsurer01("乙改"), kOpUpdate, 0).Status(), 0);  // B saves

    EXPECT_EQ(Call(*a, 183, Reinsurer01("甲改"), kOpUpdate, 0).Status(), kRefused);  // A's stale copy
    EXPECT_EQ(Reason(*a), "该记录已被其他用户修改，请重新查询后再操作");
    EXPECT_EQ(a->Reconnects(), 1);
    EXPECT_EQ(Stored01(), "乙改");

    ASSERT_EQ(Call(*a, 182).Status(), 0);  // A reads again and may save
    EXPECT_EQ(Call(*a, 183, Reinsurer01("甲改"), kOpUpdate, 0).Status(), 0);
    EXPECT_EQ(Stored01(), "甲改");
    EXPECT_EQ(SendAs(b, 183, Reinsurer01("乙再改"), kOpUpdate, 0).Status(), kRefused);

    // What A read before the drop and nobody changed since is still its own to save.
    listener->Stop();
    listener = Listen(*server_, port);
    EXPECT_EQ(Call(*a, 183, Reinsurer01("甲三改"), kOpUpdate, 0).Status(), 0);
    EXPECT_EQ(a->Reconnects(), 2);
}

TEST_P(SessionResume, AClientThatGoesOnWithAnotherServerReadsAgainBeforeItSaves) {
    std::string error;
    std::unique_ptr<Server> second = Server::Open(target_, &error);
    ASSERT_TRUE(second) << error;
    auto first = Listen(*server_);
    auto other = Listen(*second);
    auto a = Clerk({first->Port(), other->Port()});
    ASSERT_EQ(Call(*a, 182).Status(), 0);

    first->Stop();  // the first server goes away; the second knows nothing of A's session
    first.reset();
    EXPECT_EQ(Call(*a, 183, Reinsurer01("甲改"), kOpUpdate, 0).Status(), kRefused);
    // Nobody changed it: the clerk is not told that somebody did.
    EXPECT_EQ(Reason(*a),
              "应用服务器已不记得您读取该记录时的版本（如服务器曾意外停止），无法确认其间是否有其他用户修改，"
              "请重新查询后再操作");
    EXPECT_EQ(a->State().address, "127.0.0.1:" + std::to_string(other->Port()));
    EXPECT_EQ(Stored01(), "甲再保险");

    ASSERT_EQ(Call(*a, 182).Status(), 0);
    EXPECT_EQ(Call(*a, 183, Reinsurer01("甲改"), kOpUpdate, 0).Status(), 0);
    EXPECT_EQ(Stored01(), "甲改");
    // A record nobody read through this session is saved as before.
    _ContCodeStruct code{};
    Set(code.szContCode, "Z9");
    Set(code.szChnName, "新合约");
    code.cContType = 'A';
    EXPECT_EQ(Call(*a, 181, Bytes(code), kOpInsert).Status(), 0);
}

TEST_P(SessionResume, AServerThatStopsKeepsWhatItsClientsReadForTheServerTheyComeBackTo) {
    auto listener = Listen(*server_);
    const uint16_t port = listener->Port();
    auto a = Clerk({port});
    ASSERT_EQ(Call(*a, 182).Status(), 0);

    listener->Stop();  // the server is restarted
    listener.reset();
    server_.reset();
    std::string error;
    server_ = Server::Open(target_, &error);
    ASSERT_TRUE(server_) << error;
    listener = Listen(*server_, port);

    ConnectionContext b{"clerk"};
    ASSERT_EQ(SendAs(b, 182).Status(), 0);
    ASSERT_EQ(SendAs(b, 183, Reinsurer01("乙改"), kOpUpdate, 0).Status(), 0);
    EXPECT_EQ(Call(*a, 183, Reinsurer01("甲改"), kOpUpdate, 0).Status(), kRefused);  // changed by B
    EXPECT_EQ(Stored01(), "乙改");
    // What nobody changed is saved without reading it again: the session came back.
    EXPECT_EQ(Call(*a, 183, Reinsurer("02", "乙再保险（改）"), kOpUpdate, 0).Status(), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_session_read"), 0);  // taken, not left behind
}

KELMOR_SERVER_BACKENDS(SessionResume);

// The registry on its own: who may continue a session, and how long it is kept.
TEST(SessionRegistry, OnlyTheSameUserContinuesASession) {
    SessionRegistry registry;
    ConnectionContext first{"clerk"};
    EXPECT_FALSE(registry.Attach(first, "token-1", false));
    first.Remember({{HashRecord("t", "01"), 7}});

    ConnectionContext again{"clerk"};
    EXPECT_TRUE(registry.Attach(again, "token-1", true));
    bool forgotten = true;
    EXPECT_EQ(again.VersionOf(HashRecord("t", "01"), forgotten), 7);
    EXPECT_FALSE(forgotten);

    // Another user with the same token gets nothing of it, and since it says it
    // was connected before, what it has not read here again counts as changed.
    ConnectionContext stranger{"other"};
    EXPECT_FALSE(registry.Attach(stranger, "token-1", true));
    EXPECT_EQ(stranger.VersionOf(HashRecord("t", "01"), forgotten), std::nullopt);
    EXPECT_TRUE(forgotten);
}

TEST(SessionRegistry, ASessionNoConnectionUsesIsForgottenAfterTheKeepTime) {
    using std::chrono::minutes;
    SessionRegistry registry(minutes(10), 2);
    const auto t0 = SessionRegistry::Clock::now();
    {
        ConnectionContext a{"clerk"}, b{"clerk"}, c{"clerk"};
        registry.Attach(a, "a", false);
        registry.Attach(b, "b", false);
        registry.Sweep(t0 + minutes(60));  // in use: kept however long
        EXPECT_EQ(registry.Size(), 2u);
        EXPECT_FALSE(registry.Attach(c, "c", false));  // full of sessions in use: c is not kept
        EXPECT_EQ(registry.Size(), 2u);
    }
    registry.Sweep(t0);
    registry.Sweep(t0 + minutes(9));
    EXPECT_EQ(registry.Size(), 2u);
    registry.Sweep(t0 + minutes(10));
    EXPECT_EQ(registry.Size(), 0u);
}

}  // namespace
}  // namespace kel::server::test
