#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#include "common/net/Frame.h"
#include "common/net/InProcessChannel.h"

namespace kel::net {
namespace {

_PacketHead Request(int16_t code) {
    _PacketHead head{};
    head.nTransCode = code;
    head.nCount = 1;
    head.nSubSystem = 82;
    return head;
}

// Answers with count = transaction code and the request body; sees the blank answer.
void Echo(const _PacketHead& request, std::string_view body, _PacketHead& answer, std::vector<char>& answerBody) {
    const _PacketHead blank{};
    if (std::memcmp(&answer, &blank, sizeof blank) != 0 || !answerBody.empty())
        throw std::logic_error("answer not blank");
    answer.nCount = request.nTransCode;
    answerBody.assign(body.begin(), body.end());
}

TEST(InProcessChannel, RoundTripCarriesBodiesWithZeros) {
    InProcessChannel channel(Echo);
    const char body[] = {0, 'x', 0, 0};
    ASSERT_EQ(channel.Send(Request(186), body, sizeof body), kChannelOk);
    _PacketHead answer{};
    std::vector<char> got{'o', 'l', 'd'};
    ASSERT_EQ(channel.Receive(answer, got), kChannelOk);
    EXPECT_EQ(answer.nCount, 186);
    EXPECT_EQ(got, std::vector<char>(body, body + sizeof body));
}

TEST(InProcessChannel, AnswersQueueInOrderAndAnEmptyQueueFailsAtOnce) {
    InProcessChannel channel(Echo);
    _PacketHead answer{};
    std::vector<char> body;
    EXPECT_EQ(channel.Receive(answer, body), kChannelReceiveFailed);

    ASSERT_EQ(channel.Send(Request(180), "a", 1), kChannelOk);
    ASSERT_EQ(channel.Send(Request(182), "b", 1), kChannelOk);
    EXPECT_EQ(channel.Pending(), 2u);
    ASSERT_EQ(channel.Receive(answer, body), kChannelOk);
    EXPECT_EQ(answer.nCount, 180);
    ASSERT_EQ(channel.Receive(answer, body), kChannelOk);
    EXPECT_EQ(answer.nCount, 182);
    EXPECT_EQ(channel.Receive(answer, body), kChannelReceiveFailed);
    EXPECT_EQ(channel.Pending(), 0u);

    // Another thread neither sees nor takes this thread's answer.
    ASSERT_EQ(channel.Send(Request(210), nullptr, 0), kChannelOk);
    int other = kChannelOk;
    std::thread([&] { other = channel.Receive(answer, body); }).join();
    EXPECT_EQ(other, kChannelReceiveFailed);
    EXPECT_EQ(channel.Receive(answer, body), kChannelOk);
    EXPECT_EQ(answer.nCount, 210);
}

TEST(InProcessChannel, FrameCapHoldsBothWaysAndKeepsPairsInStep) {
    int calls = 0;
    std::size_t answerSize = 0;
    InProcessChannel channel(
        [&](const _PacketHead& request, std::string_view, _PacketHead& answer, std::vector<char>& body) {
            ++calls;
            answer.nCount = request.nTransCode;
            body.assign(answerSize, 'z');
        });
    std::vector<char> big(kMaxBodyBytes + 1);
    EXPECT_EQ(channel.Send(Request(183), big.data(), big.size()), kChannelFrameTooLarge);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(channel.Send(Request(183), big.data(), kMaxBodyBytes), kChannelOk);

    _PacketHead answer{};
    std::vector<char> body;
    ASSERT_EQ(channel.Receive(answer, body), kChannelOk);
    answerSize = kMaxBodyBytes + 1;
    EXPECT_EQ(channel.Send(Request(182), nullptr, 0), kChannelOk);
    answerSize = 3;
    EXPECT_EQ(channel.Send(Request(215), nullptr, 0), kChannelOk);
    EXPECT_EQ(channel.Receive(answer, body), kChannelFrameTooLarge);
    ASSERT_EQ(channel.Receive(answer, body), kChannelOk);
    EXPECT_EQ(answer.nCount, 215);
    EXPECT_EQ(body.size(), 3u);
}

TEST(InProcessChannel, FailingHandlerGivesAFailedSendAndQueuesNothing) {
    InProcessChannel channel([](const _PacketHead&, std::string_view, _PacketHead&, std::vector<char>&) {
        throw std::runtime_error("boom");
    });
    EXPECT_EQ(channel.Send(Request(180), nullptr, 0), kChannelSendFailed);
    EXPECT_EQ(channel.Send(Request(180), nullptr, 1), kChannelSendFailed);
    EXPECT_EQ(channel.Pending(), 0u);
    EXPECT_EQ(InProcessChannel(nullptr).Send(Request(180), nullptr, 0), kChannelNotConnected);
}

TEST(InProcessChannel, OptionalLogOnRunsThroughTheHandler) {
    InProcessChannel channel(
        [](const _PacketHead& request, std::string_view body, _PacketHead& answer, std::vector<char>&) {
            _LogonBody logon{};
            const bool good =
                request.nTransCode == kLogonTransCode && body.size() == sizeof logon &&
                (std::memcpy(&logon, body.data(), sizeof logon),
                 std::string(logon.szUserCode) == "\xD5\xC5\xC8\xFD" && std::string(logon.szPassword) == "secret");
            answer.cStatus = good ? 0 : 1;
        });
    EXPECT_TRUE(channel.LogOn("张三", "secret").ok());
    const ConnectResult refused = channel.LogOn("张三", "nope");
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.refused);
    EXPECT_EQ(channel.Pending(), 0u);
}

}  // namespace
}  // namespace kel::net
