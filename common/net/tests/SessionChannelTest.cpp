// The session channel's rules for a connection that goes away: connect again and
// send what never left, never send again what may have been carried out, try the
// servers in order, give up within the budget and try again at the next request.
// The connections are scripted in memory (the Dial), so every case is exact.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "common/net/SessionChannel.h"
#include "common/net/SessionResume.h"

namespace kel::net {
namespace {

// One scripted connection: records what it is sent and answers each request with
// its own code, unless told to fail.
class FakeLink final : public Channel {
public:
    int Send(const _PacketHead& head, const void* body, std::size_t length) override {
        if (gone) return kChannelClosed;
        if (failSend) {
            gone = true;
            return kChannelSendFailed;
        }
        sent.push_back(head.nTransCode);
        bodies.emplace_back(static_cast<const char*>(body), length);
        _PacketHead answer = head;
        answer.cStatus = 0;
        answers.push_back(answer);
        return kChannelOk;
    }
    int Receive(_PacketHead& head, std::vector<char>& body) override {
        body.clear();
        if (gone || loseAnswer) {
            gone = true;
            return kChannelClosed;
        }
        if (answers.empty()) return kChannelReceiveFailed;
        head = answers.front();
        answers.pop_front();
        return kChannelOk;
    }
    bool Gone() override { return gone; }

    std::vector<int16_t> sent;
    std::vector<std::string> bodies;
    std::deque<_PacketHead> answers;
    bool gone = false;
    bool failSend = false;
    bool loseAnswer = false;
};

// The servers the dial reaches: a server that is down refuses the connection, one
// that refuses the user refuses the log-on.
struct Servers {
    std::vector<std::string> down;
    std::vector<std::string> refusing;
    std::vector<std::string> dialed;  // "host user password" per dial
    std::vector<std::shared_ptr<FakeLink>> links;

    SessionChannel::Dial Dial() {
        return [this](const ServerAddress& a, std::string_view user, std::string_view password, int timeoutMs,
                      std::shared_ptr<Channel>& link) {
            EXPECT_GT(timeoutMs, 0);
            dialed.push_back(a.host + " " + std::string(user) + " " + std::string(password));
            if (std::find(down.begin(), down.end(), a.host) != down.end())
                return ConnectResult{kChannelNotConnected, false, "连接被拒绝"};
            if (std::find(refusing.begin(), refusing.end(), a.host) != refusing.end())
                return ConnectResult{kChannelNotConnected, true, "拒绝登录"};
            links.push_back(std::make_shared<FakeLink>());
            link = links.back();
            return ConnectResult{};
        };
    }
    FakeLink& Last() { return *links.back(); }
};

std::vector<ServerAddress> List(std::initializer_list<const char*> hosts) {
    std::vector<ServerAddress> list;
    for (const char* h : hosts) list.push_back({h, 7000});
    return list;
}

_PacketHead Request(int16_t code) {
    _PacketHead head{};
    head.nTransCode = code;
    head.nCount = 1;
    head.nSubSystem = kSubSystemDefault;
    return head;
}

int Transact(Channel& channel, int16_t code) {
    const char body[4] = {'a', 'b', 'c', 'd'};
    if (int r = channel.Send(Request(code), body, sizeof body)) return r;
    _PacketHead answer{};
    std::vector<char> answerBody;
    return channel.Receive(answer, answerBody);
}

_ResumeBody ResumeOf(const std::string& bytes) {
    _ResumeBody body{};
    EXPECT_EQ(bytes.size(), sizeof body);
    std::memcpy(&body, bytes.data(), std::min(bytes.size(), sizeof body));
    return body;
}

TEST(SessionChannel, FirstLogOnTakesTheFirstServerThatAnswersAndStopsAtARefusedUser) {
    Servers s;
    s.down = {"a"};
    SessionChannel channel(List({"a", "b", "c"}), "张三", "pw", {}, s.Dial());
    ASSERT_TRUE(channel.Open().ok());
    EXPECT_EQ(s.dialed, (std::vector<std::string>{"a 张三 pw", "b 张三 pw"}));
    EXPECT_TRUE(channel.State().connected);
    EXPECT_EQ(channel.State().address, "b:7000");
    EXPECT_EQ(channel.State().user, "张三");
    // Each log-on is followed by the session's token, new (not "again") at first.
    EXPECT_EQ(s.Last().sent, (std::vector<int16_t>{kResumeTransCode}));
    EXPECT_EQ(ResumeOf(s.Last().bodies[0]).cAgain, 0);

    Servers t;
    t.refusing = {"a"};
    SessionChannel refused(List({"a", "b"}), "张三", "wrong", {}, t.Dial());
    const ConnectResult result = refused.Open();
    EXPECT_TRUE(result.refused);
    EXPECT_EQ(t.dialed.size(), 1u);  // b would refuse the same user
    EXPECT_FALSE(refused.State().connected);
    EXPECT_EQ(refused.State().address, "a:7000,b:7000");
    EXPECT_EQ(Transact(refused, 180), kChannelUnreachable);
}

TEST(SessionChannel, ARequestThatFindsTheConnectionGoneConnectsAgainAndGoesOutOnce) {
    Servers s;
    SessionChannel channel(List({"a"}), "u", "pw", {}, s.Dial());
    std::vector<bool> waits;
    std::vector<bool> connected;
    channel.OnWaiting([&](bool w) { waits.push_back(w); });
    ASSERT_TRUE(channel.Open().ok());
    channel.OnStateChange([&](const SessionState& state) { connected.push_back(state.connected); });
    const std::string token(reinterpret_cast<const char*>(ResumeOf(s.Last().bodies[0]).token), 16);
    ASSERT_EQ(Transact(channel, 180), kChannelOk);

    s.Last().gone = true;  // the server closed the idle connection
    ASSERT_EQ(Transact(channel, 181), kChannelOk);
    ASSERT_EQ(s.links.size(), 2u);
    EXPECT_EQ(s.links[0]->sent, (std::vector<int16_t>{kResumeTransCode, 180}));
    EXPECT_EQ(s.links[1]->sent, (std::vector<int16_t>{kResumeTransCode, 181}));
    EXPECT_EQ(s.dialed.back(), "a u pw");  // logged on again with what the user gave
    const _ResumeBody again = ResumeOf(s.links[1]->bodies[0]);
    EXPECT_EQ(again.cAgain, 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(again.token), 16), token);  // the same session
    EXPECT_EQ(s.links[1]->bodies[1], "abcd");
    EXPECT_EQ(channel.Reconnects(), 1);
    EXPECT_EQ(waits, (std::vector<bool>{true, false}));
    EXPECT_EQ(connected.front(), true);  // told at once
    EXPECT_EQ(connected.back(), true);

    // A send that fails delivered no whole request: it goes out on a new connection.
    s.Last().failSend = true;
    ASSERT_EQ(Transact(channel, 182), kChannelOk);
    ASSERT_EQ(s.links.size(), 3u);
    EXPECT_EQ(s.links[2]->sent, (std::vector<int16_t>{kResumeTransCode, 182}));
}

TEST(SessionChannel, ALostAnswerIsNeverSentAgainAndTheCallerIsToldWhetherTheLineIsBack) {
    Servers s;
    SessionChannel channel(List({"a"}), "u", "pw", {}, s.Dial());
    ASSERT_TRUE(channel.Open().ok());
    s.Last().loseAnswer = true;
    EXPECT_EQ(Transact(channel, 183), kChannelAnswerLost);
    ASSERT_EQ(s.links.size(), 2u);
    EXPECT_EQ(s.links[1]->sent, (std::vector<int16_t>{kResumeTransCode}));  // 183 is not sent again
    EXPECT_TRUE(channel.State().connected);

    // The line is back only at the next request; in between the state says so.
    s.Last().loseAnswer = true;
    s.down = {"a"};
    EXPECT_EQ(Transact(channel, 183), kChannelAnswerLostOffline);
    EXPECT_FALSE(channel.State().connected);
    EXPECT_EQ(Transact(channel, 180), kChannelUnreachable);
    s.down.clear();
    EXPECT_EQ(Transact(channel, 180), kChannelOk);
    EXPECT_EQ(s.Last().sent, (std::vector<int16_t>{kResumeTransCode, 180}));
    EXPECT_EQ(std::count(s.dialed.begin(), s.dialed.end(), "a u pw"), 5);
}

TEST(SessionChannel, EveryReconnectTriesTheServersInOrderFromTheFirst) {
    Servers s;
    SessionChannel channel(List({"a", "b"}), "u", "pw", {}, s.Dial());
    ASSERT_TRUE(channel.Open().ok());
    EXPECT_EQ(channel.State().address, "a:7000");
    s.down = {"a"};
    s.Last().gone = true;
    ASSERT_EQ(Transact(channel, 180), kChannelOk);
    EXPECT_EQ(channel.State().address, "b:7000");
    s.down.clear();
    s.Last().gone = true;
    ASSERT_EQ(Transact(channel, 180), kChannelOk);
    EXPECT_EQ(channel.State().address, "a:7000");  // the first one is back: it is taken
    EXPECT_EQ(s.dialed.size(), 4u);                // a; then a, b; then a
}

TEST(SessionChannel, RefusalsThatWriteNothingKeepTheConnection) {
    Servers s;
    SessionChannel channel(List({"a"}), "u", "pw", {}, s.Dial());
    ASSERT_TRUE(channel.Open().ok());
    EXPECT_EQ(channel.Send(Request(180), nullptr, 4), kChannelSendFailed);
    EXPECT_EQ(channel.Send(Request(180), "x", kMaxFrameBytes), kChannelFrameTooLarge);
    EXPECT_EQ(s.links.size(), 1u);
    EXPECT_EQ(s.Last().sent.size(), 1u);
}

TEST(ServerList, ReadsEveryAddressInOrderAndNamesTheOneThatIsWrong) {
    std::string error;
    const auto list = ParseServerList(" a.example:7000 ,10.0.0.2:7001,[::1]:7002", error);
    ASSERT_TRUE(list) << error;
    ASSERT_EQ(list->size(), 3u);
    EXPECT_EQ((*list)[0].host, "a.example");
    EXPECT_EQ((*list)[1].port, 7001);
    EXPECT_EQ((*list)[2].host, "::1");
    EXPECT_EQ(AddressListText(*list), "a.example:7000,10.0.0.2:7001,[::1]:7002");

    for (const char* bad :
         {"", "a", "a:", ":7000", "a:0", "a:65536", "a:70x", "a:1,", "a:1,,b:2", "::1:7000", "a b:1"}) {
        EXPECT_FALSE(ParseServerList(bad, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
    ParseServerList("a:1,b", error);
    EXPECT_NE(error.find("\"b\""), std::string::npos) << error;
}

}  // namespace
}  // namespace kel::net
