#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "common/net/TcpChannel.h"
#include "common/net/tests/LoopbackPeer.h"

namespace kel::net {
namespace {

using test::AnswerLogon;
using test::LoopbackPeer;

constexpr auto kGenerous = std::chrono::seconds(5);

TcpOptions Timeouts(int connectMs, int receiveMs) {
    TcpOptions options;
    options.connectTimeoutMs = connectMs;
    options.receiveTimeoutMs = receiveMs;
    return options;
}

TcpOptions Short() { return Timeouts(2000, 200); }

_PacketHead Request(int16_t code) {
    _PacketHead head{};
    head.nTransCode = code;
    head.nCount = 1;
    head.nSubSystem = 82;
    return head;
}

TEST(TcpChannel, LogsOnThenCarriesTransactionsByteForByte) {
    _PacketHead logonHead{};
    std::vector<char> logonBody;
    LoopbackPeer peer([&](int fd) {
        if (AnswerLogon(fd, 0, &logonHead, &logonBody)) test::Echo(fd);
    });
    ASSERT_TRUE(peer.listening());
    TcpChannel channel;
    const ConnectResult result = channel.Connect("127.0.0.1", peer.port(), "张三", "secret", Timeouts(2000, 5000));
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_TRUE(channel.IsConnected());

    const char zeros[] = {0, 'a', 0, 0, 'b', 0};
    _PacketHead answer{};
    std::vector<char> body;
    ASSERT_EQ(channel.Send(Request(186), zeros, sizeof zeros), kChannelOk);
    ASSERT_EQ(channel.Receive(answer, body), kChannelOk);
    EXPECT_EQ(answer.nCount, 186);
    EXPECT_EQ(body, std::vector<char>(zeros, zeros + sizeof zeros));

    ASSERT_EQ(channel.Send(Request(180), nullptr, 0), kChannelOk);
    ASSERT_EQ(channel.Receive(answer, body), kChannelOk);
    EXPECT_EQ(answer.nCount, 180);
    EXPECT_TRUE(body.empty());

    // Larger than any socket buffer: both ends must carry on after partial transfers.
    std::vector<char> big(3 * 1024 * 1024);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 31);
    ASSERT_EQ(channel.Send(Request(183), big.data(), big.size()), kChannelOk);
    ASSERT_EQ(channel.Receive(answer, body), kChannelOk);
    EXPECT_EQ(body, big);

    channel.Close();
    EXPECT_EQ(channel.Send(Request(180), nullptr, 0), kChannelNotConnected);
    peer.Join();
    EXPECT_EQ(logonHead.nTransCode, 1);
    EXPECT_EQ(logonHead.nSubSystem, 82);
    ASSERT_EQ(logonBody.size(), 64u);
    EXPECT_EQ(std::memcmp(logonBody.data(), "\xD5\xC5\xC8\xFD\0", 5), 0);
    EXPECT_EQ(std::memcmp(logonBody.data() + 21, "secret\0", 7), 0);
}

TEST(TcpChannel, RefusedLogonFailsConnectWithAMessage) {
    LoopbackPeer peer([](int fd) {
        if (AnswerLogon(fd, 1)) test::WaitForClose(fd);
    });
    TcpChannel channel;
    const ConnectResult result = channel.Connect("127.0.0.1", peer.port(), "u01", "wrong", Short());
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.refused);
    EXPECT_NE(result.message.find("拒绝登录"), std::string::npos) << result.message;
    EXPECT_FALSE(channel.IsConnected());
    EXPECT_EQ(channel.Send(Request(180), nullptr, 0), kChannelNotConnected);
}

TEST(TcpChannel, ServerThatNeverAnswersTimesOutAndKillsTheChannel) {
    // First the log-on itself goes unanswered: Connect must come back.
    {
        LoopbackPeer peer(test::WaitForClose);
        TcpChannel channel;
        const auto start = Clock::now();
        const ConnectResult result = channel.Connect("127.0.0.1", peer.port(), "u", "p", Short());
        EXPECT_EQ(result.error, kChannelTimeout) << result.message;
        EXPECT_LT(Clock::now() - start, kGenerous);
    }
    LoopbackPeer peer([](int fd) {
        if (AnswerLogon(fd, 0)) test::WaitForClose(fd);
    });
    TcpChannel channel;
    ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port(), "u", "p", Short()).ok());
    ASSERT_EQ(channel.Send(Request(180), nullptr, 0), kChannelOk);
    _PacketHead answer{};
    std::vector<char> body;
    const auto start = Clock::now();
    EXPECT_EQ(channel.Receive(answer, body), kChannelTimeout);
    EXPECT_LT(Clock::now() - start, kGenerous);
    // A late answer must never be taken for the next one.
    EXPECT_FALSE(channel.IsConnected());
    EXPECT_EQ(channel.Send(Request(180), nullptr, 0), kChannelClosed);
    EXPECT_EQ(channel.Receive(answer, body), kChannelClosed);
}

TEST(TcpChannel, PeerClosingMidAnswerFailsAndLaterCallsFailFast) {
    LoopbackPeer peer([](int fd) {
        if (!AnswerLogon(fd, 0)) return;
        _PacketHead head{};
        std::vector<char> body;
        if (ReadFrame(fd, head, body, test::PeerDeadline()) != kChannelOk) return;
        std::vector<char> wire;
        EncodeFrame(head, std::string(100, 'x').data(), 100, wire);
        WriteAll(fd, wire.data(), wire.size() / 2, test::PeerDeadline());
    });
    TcpChannel channel;
    ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port(), "u", "p", Timeouts(2000, 5000)).ok());
    ASSERT_EQ(channel.Send(Request(182), nullptr, 0), kChannelOk);
    _PacketHead answer{};
    std::vector<char> body;
    EXPECT_EQ(channel.Receive(answer, body), kChannelClosed);
    const auto start = Clock::now();
    EXPECT_EQ(channel.Send(Request(182), nullptr, 0), kChannelClosed);
    EXPECT_EQ(channel.Receive(answer, body), kChannelClosed);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

TEST(TcpChannel, LyingLengthPrefixIsRefusedWithoutWaitingForItsBody) {
    for (const std::uint32_t length : {0xFFFFFFFFu, 10u}) {
        LoopbackPeer peer([length](int fd) {
            if (!AnswerLogon(fd, 0)) return;
            _PacketHead head{};
            std::vector<char> body;
            if (ReadFrame(fd, head, body, test::PeerDeadline()) != kChannelOk) return;
            WriteAll(fd, &length, sizeof length, test::PeerDeadline());
            test::WaitForClose(fd);  // keeps the connection open: only the check can end it
        });
        TcpChannel channel;
        ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port(), "u", "p", Timeouts(2000, 10000)).ok());
        ASSERT_EQ(channel.Send(Request(182), nullptr, 0), kChannelOk);
        _PacketHead answer{};
        std::vector<char> body;
        const auto start = Clock::now();
        const int expected = length > kMaxFrameBytes ? kChannelFrameTooLarge : kChannelReceiveFailed;
        EXPECT_EQ(channel.Receive(answer, body), expected) << length;
        EXPECT_LT(Clock::now() - start, kGenerous);
        EXPECT_EQ(channel.Send(Request(182), nullptr, 0), kChannelClosed);
    }
}

TEST(TcpChannel, PeerGoneDuringSendFailsWithoutSigpipe) {
    LoopbackPeer peer([](int fd) { AnswerLogon(fd, 0); });
    TcpChannel channel;
    ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port(), "u", "p", Short()).ok());
    peer.Join();
    std::vector<char> big(2 * 1024 * 1024);
    int r = kChannelOk;
    for (int i = 0; i < 8 && r == kChannelOk; ++i) r = channel.Send(Request(183), big.data(), big.size());
    EXPECT_TRUE(r == kChannelClosed || r == kChannelSendFailed) << r;
    EXPECT_EQ(channel.Send(Request(183), nullptr, 0), kChannelClosed);
}

TEST(TcpChannel, UnreachableServerFailsQuicklyWithAMessage) {
    TcpChannel channel;
    const std::uint16_t port = test::ClosedPort();
    const auto start = Clock::now();
    const ConnectResult result = channel.Connect("127.0.0.1", port, "u", "p", Short());
    EXPECT_EQ(result.error, kChannelNotConnected);
    EXPECT_FALSE(result.refused);
    EXPECT_NE(result.message.find(std::to_string(port)), std::string::npos) << result.message;
    EXPECT_LT(Clock::now() - start, kGenerous);

    EXPECT_FALSE(channel.Connect("no-such-host.invalid", 1, "u", "p", Short()).ok());
    // A user code that cannot be sent is refused before any connection is made.
    const ConnectResult tooLong = channel.Connect("127.0.0.1", port, std::string(21, 'u'), "p", Short());
    EXPECT_NE(tooLong.message.find("用户代码"), std::string::npos) << tooLong.message;
    _PacketHead answer{};
    std::vector<char> body;
    EXPECT_EQ(channel.Receive(answer, body), kChannelNotConnected);
}

TEST(TcpChannel, ReachesAnIpv6Server) {
    LoopbackPeer peer(
        [](int fd) {
            if (AnswerLogon(fd, 0)) test::Echo(fd);
        },
        AF_INET6);
    if (!peer.listening()) GTEST_SKIP() << "no IPv6 loopback here";
    TcpChannel channel;
    const ConnectResult result = channel.Connect("::1", peer.port(), "u", "p", Short());
    ASSERT_TRUE(result.ok()) << result.message;
    _PacketHead answer{};
    std::vector<char> body;
    ASSERT_EQ(channel.Send(Request(210), "k", 1), kChannelOk);
    ASSERT_EQ(channel.Receive(answer, body), kChannelOk);
    EXPECT_EQ(answer.nCount, 210);
}

TEST(TcpChannel, EachThreadGetsTheAnswersToItsOwnRequests) {
    LoopbackPeer peer([](int fd) {
        if (AnswerLogon(fd, 0)) test::Echo(fd);
    });
    TcpChannel channel;
    ASSERT_TRUE(channel.Connect("127.0.0.1", peer.port(), "u", "p", Timeouts(2000, 5000)).ok());
    std::atomic<int> mismatches{0};
    const auto client = [&](int16_t first) {
        for (int16_t code = first; code < first + 200; ++code) {
            const std::string text = std::to_string(code);
            _PacketHead answer{};
            std::vector<char> body;
            if (channel.Send(Request(code), text.data(), text.size()) != kChannelOk ||
                channel.Receive(answer, body) != kChannelOk || answer.nCount != code ||
                std::string(body.begin(), body.end()) != text)
                ++mismatches;
        }
    };
    std::thread ui(client, int16_t{1000});
    std::thread poller(client, int16_t{2000});
    ui.join();
    poller.join();
    EXPECT_EQ(mismatches, 0);
    EXPECT_TRUE(channel.IsConnected());
}

}  // namespace
}  // namespace kel::net
