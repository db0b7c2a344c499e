// Requests act for the user logged on to their connection: over the real listener
// a user's prompts and waiting items are refused to everyone else, and the stored
// creating and updating users are the connection's, whatever a request carries.
// In process the same holds for the user who logged on through the channel.
#include "common/net/InProcessChannel.h"
#include "server/Listener.h"
#include "server/tests/ChannelClient.h"

namespace kel::server::test {
namespace {

using namespace kel::records;

class ActingUser : public ::testing::Test {
protected:
    void SetUp() override {
        path = (dir.Path() / "kelmor.db").string();
        std::string error;
        server = OpenEmbedded(path, &error);  // demo users demo, wangli, zhaoming with waiting items
        ASSERT_TRUE(server) << error;
        listener = std::make_unique<Listener>(*server, ListenerOptions{});
        ASSERT_TRUE(listener->Start(&error)) << error;
        db = kel::db::Open(path, &error);
        ASSERT_TRUE(db) << error;
    }
    std::string Text(const std::string& sql) { return db->Query(sql)->rows.at(0).at(0).ToText(); }

    TempDir dir;
    std::string path;
    std::unique_ptr<Server> server;
    std::unique_ptr<Listener> listener;
    std::unique_ptr<kel::db::Connection> db;
};

TEST_F(ActingUser, AnotherUsersPromptsAndWaitingItemsAreRefused) {
    ChannelClient demo(listener->Port(), "demo", "demo");
    ASSERT_TRUE(demo.Ok());
    _UserCodeBody other{}, own{};
    Set(other.szUserCode, "wangli");
    Set(own.szUserCode, "demo");
    for (int code : {163, 165, 166}) {
        EXPECT_EQ(demo.Call(code, Bytes(other)).Status(), kRefused) << code;
        EXPECT_EQ(demo.Call(code, Bytes(own)).Status(), 0) << code;
    }
    _PromptSetStruct off{};
    Set(off.szUserCode, "wangli");
    off.cPromptType = 'B';
    off.cAction = kPromptOff;
    EXPECT_EQ(demo.CallRecord(164, off).Status(), kRefused);
    EXPECT_EQ(Text("SELECT COUNT(*) FROM t_prompt_set WHERE c_user_cde = 'wangli' AND c_prompt_type = 'B'"), "1");

    // wangli's item 8: neither named as wangli's nor as demo's may demo mark it.
    _DetailActBody act{};
    PutDecimalKey(act.szItemKey, 8);
    for (const char* user : {"wangli", "demo"}) {
        Set(act.szUserCode, user);
        EXPECT_EQ(demo.CallRecord(167, act).Status(), kRefused) << user;
    }
    EXPECT_EQ(Text("SELECT c_processed FROM t_detail_info WHERE n_item_id = 8"), "N");

    ChannelClient wangli(listener->Port(), "wangli", "wangli");
    ASSERT_TRUE(wangli.Ok());
    Set(act.szUserCode, "wangli");
    EXPECT_EQ(wangli.CallRecord(167, act).Status(), 0);  // the owner may
    EXPECT_EQ(wangli.CallRecord(164, off).Status(), 0);
}

TEST_F(ActingUser, TheStoredCreatingAndUpdatingUserIsTheConnectionsUser) {
    Treaty t = MakeTreaty("Q1", "20300101", "U-2030");
    Set(t.info.szUserCode, "zhaoming");  // whatever the request says
    Set(t.info.szUserCode2, "zhaoming");
    t.reins = {Participant("01", 1.0)};
    ChannelClient demo(listener->Port(), "demo", "demo");
    ASSERT_TRUE(demo.Ok());
    ASSERT_EQ(demo.Call(189, t.Body(189)).Status(), 0);
    const std::string id = Text("SELECT n_cont_id FROM t_cont_info WHERE c_start_date = '20300101'");
    EXPECT_EQ(Text("SELECT c_create_user || '/' || c_update_user FROM t_cont_info WHERE n_cont_id = " + id),
              "demo/demo");

    ChannelClient wangli(listener->Port(), "wangli", "wangli");
    ASSERT_TRUE(wangli.Ok());
    t.info.nContId = std::stoi(id);
    Set(t.info.szUserCode, "demo");
    Set(t.info.szUserCode2, "demo");
    ASSERT_EQ(wangli.Call(187, t.Body(187), kOpUpdate).Status(), 0);
    EXPECT_EQ(Text("SELECT c_create_user || '/' || c_update_user FROM t_cont_info WHERE n_cont_id = " + id),
              "demo/wangli");
}

TEST_F(ActingUser, InProcessTheChannelActsForWhoLoggedOnThroughIt) {
    ConnectionContext client;
    kel::net::InProcessChannel channel(
        [&](const _PacketHead& head, std::string_view body, _PacketHead& answerHead, std::vector<char>& answer) {
            server->Handle(client, head, body, answerHead, answer);
        });
    auto ask = [&](const _UserCodeBody& b) {
        _PacketHead h{};
        h.nTransCode = 166;
        h.nCount = 1;
        h.nSubSystem = kSubSystemPrompt;
        std::vector<char> answer;
        if (channel.Send(h, &b, sizeof b) != 0 || channel.Receive(h, answer) != 0) return -1;
        return static_cast<int>(h.cStatus);
    };
    _UserCodeBody wangli{};
    Set(wangli.szUserCode, "wangli");
    EXPECT_EQ(ask(wangli), kRefused);  // nobody logged on yet
    ASSERT_TRUE(channel.LogOn("wangli", "wangli").ok());
    EXPECT_EQ(ask(wangli), 0);
    EXPECT_TRUE(channel.LogOn("wangli", "guess").refused);
    EXPECT_EQ(ask(wangli), kRefused);  // a refused log-on leaves nobody logged on
    ASSERT_TRUE(channel.LogOn("demo", "demo").ok());
    EXPECT_EQ(ask(wangli), kRefused);
}

}  // namespace
}  // namespace kel::server::test
