#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <string>
#include <thread>

#include "common/net/Frame.h"
#include "common/net/Logon.h"

namespace kel::net {
namespace {

_PacketHead SampleHead() {
    _PacketHead head{};
    head.nTransCode = 186;
    head.nCount = -2;
    head.nSubSystem = 82;
    head.cStatus = 1;
    head.nOperation = 2;
    return head;
}

std::string LengthBytes(std::uint32_t n) {
    return std::string{static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                       static_cast<char>((n >> 16) & 0xFF), static_cast<char>(n >> 24)};
}

// A connected pair of stream sockets; closes what is left open.
struct SocketPair {
    int fd[2] = {-1, -1};
    SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fd), 0); }
    ~SocketPair() {
        CloseOne(0);
        CloseOne(1);
    }
    void CloseOne(int i) {
        if (fd[i] >= 0) ::close(fd[i]);
        fd[i] = -1;
    }
};

// Socket calls that end each write where the test says and fail calls with the
// errors it lists (EINTR, EAGAIN), in turn per kind of call; the rest goes to the
// system. One thread only: the script is plain data.
class ScriptedSocket {
public:
    std::deque<std::size_t> writeStops;  // the most each write takes, in turn
    std::deque<int> sendErrors, sendPairErrors, recvErrors, pollErrors;

    ScriptedSocket() {
        active_ = this;
        previous_ = UseSocketCalls(&kCalls);
    }
    ~ScriptedSocket() {
        UseSocketCalls(previous_);
        active_ = nullptr;
    }
    bool AllUsed() const {
        return writeStops.empty() && sendErrors.empty() && sendPairErrors.empty() && recvErrors.empty() &&
               pollErrors.empty();
    }

private:
    static bool Fail(std::deque<int>& errors) {
        if (errors.empty()) return false;
        errno = errors.front();
        errors.pop_front();
        return true;
    }
    static std::size_t Stop(std::size_t length) {
        auto& stops = active_->writeStops;
        if (stops.empty()) return length;
        const std::size_t stop = std::min(stops.front(), length);
        stops.pop_front();
        return stop;
    }
    static long Send(int fd, const void* data, std::size_t length) {
        if (Fail(active_->sendErrors)) return -1;
        return SystemSocketCalls().send(fd, data, Stop(length));
    }
    static long SendPair(int fd, const void* first, std::size_t firstLength, const void* second,
                         std::size_t secondLength) {
        if (Fail(active_->sendPairErrors)) return -1;
        const std::size_t stop = Stop(firstLength + secondLength);
        if (stop <= firstLength) return SystemSocketCalls().sendPair(fd, first, stop, second, 0);
        return SystemSocketCalls().sendPair(fd, first, firstLength, second, stop - firstLength);
    }
    static long Recv(int fd, void* data, std::size_t length) {
        if (Fail(active_->recvErrors)) return -1;
        return SystemSocketCalls().recv(fd, data, length);
    }
    static int Poll(int fd, sock::Wait what, int ms) {
        if (Fail(active_->pollErrors)) return -1;
        return SystemSocketCalls().poll(fd, what, ms);
    }

    static constexpr SocketCalls kCalls{&Send, &SendPair, &Recv, &Poll};
    static inline ScriptedSocket* active_ = nullptr;
    const SocketCalls* previous_ = nullptr;
};

TEST(FrameCodec, RoundTripKeepsHeadAndBodyWithZeros) {
    const char body[] = {'a', 0, 0, 'b', 0};
    std::vector<char> wire;
    ASSERT_EQ(EncodeFrame(SampleHead(), body, sizeof body, wire), kChannelOk);
    ASSERT_EQ(wire.size(), 4u + 24u + 5u);
    EXPECT_EQ(std::string(wire.data(), 4), LengthBytes(29));
    ASSERT_EQ(EncodeFrame(SampleHead(), nullptr, 0, wire), kChannelOk);  // a second, empty one

    DecodedFrame frame;
    std::size_t used = 0;
    const std::string_view data(wire.data(), wire.size());
    ASSERT_EQ(DecodeFrame(data, frame, used), kChannelOk);
    ASSERT_EQ(used, 33u);
    EXPECT_EQ(std::memcmp(&frame.head, &wire[4], 24), 0);
    EXPECT_EQ(frame.head.nCount, -2);
    EXPECT_EQ(frame.body, std::vector<char>(body, body + sizeof body));
    ASSERT_EQ(DecodeFrame(data.substr(used), frame, used), kChannelOk);
    EXPECT_EQ(used, 28u);
    EXPECT_TRUE(frame.body.empty());
}

TEST(FrameCodec, IncompleteInputAsksForMoreAtEverySplit) {
    std::vector<char> wire;
    ASSERT_EQ(EncodeFrame(SampleHead(), "xyz", 3, wire), kChannelOk);
    for (std::size_t cut = 0; cut < wire.size(); ++cut) {
        DecodedFrame frame;
        frame.body = {'k'};
        std::size_t used = 99;
        ASSERT_EQ(DecodeFrame(std::string_view(wire.data(), cut), frame, used), kChannelOk);
        EXPECT_EQ(used, 0u) << cut;
        EXPECT_EQ(frame.body, std::vector<char>{'k'}) << "untouched until complete";
    }
}

TEST(FrameCodec, LengthOutsideTheCapIsRefusedOnItsOwn) {
    DecodedFrame frame;
    std::size_t used = 0;
    // Only the prefix is there: a lying length is judged before anything is read.
    EXPECT_EQ(DecodeFrame(LengthBytes(0xFFFFFFFFu), frame, used), kChannelFrameTooLarge);
    EXPECT_EQ(DecodeFrame(LengthBytes(kMaxFrameBytes + 1), frame, used), kChannelFrameTooLarge);
    EXPECT_EQ(DecodeFrame(LengthBytes(23), frame, used), kChannelReceiveFailed);
    EXPECT_EQ(DecodeFrame(LengthBytes(0), frame, used), kChannelReceiveFailed);
    EXPECT_EQ(CheckFrameLength(kMaxFrameBytes), kChannelOk);
    EXPECT_EQ(CheckFrameLength(24), kChannelOk);

    std::vector<char> wire{'p'};
    EXPECT_EQ(EncodeFrame(SampleHead(), nullptr, kMaxBodyBytes + 1, wire), kChannelFrameTooLarge);
    EXPECT_EQ(EncodeFrame(SampleHead(), nullptr, 1, wire), kChannelSendFailed);
    EXPECT_EQ(wire, std::vector<char>{'p'});
}

TEST(FrameIo, FrameDribbledInSmallPiecesArrivesWhole) {
    SocketPair pair;
    std::vector<char> body(70000);
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i % 7 == 0 ? 0 : i);
    std::vector<char> wire;
    ASSERT_EQ(EncodeFrame(SampleHead(), body.data(), body.size(), wire), kChannelOk);
    std::thread writer([&] {
        for (std::size_t at = 0; at < wire.size();) {
            const std::size_t piece = std::min<std::size_t>(at < 40 ? 1 : 9000, wire.size() - at);
            ASSERT_EQ(WriteAll(pair.fd[1], &wire[at], piece, DeadlineAfter(5000)), kChannelOk);
            at += piece;
        }
    });
    _PacketHead head{};
    std::vector<char> got;
    EXPECT_EQ(ReadFrame(pair.fd[0], head, got, DeadlineAfter(5000)), kChannelOk);
    writer.join();
    EXPECT_EQ(head.nTransCode, 186);
    EXPECT_EQ(got, body);
}

TEST(FrameIo, WrittenFrameLargerThanTheSocketBufferArrivesWhole) {
    // Head and body go out in one gather write; a socket that takes part of them at a
    // time must still get every byte once and in order.
    SocketPair pair;
    const int small = 4096;
    ::setsockopt(pair.fd[1], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
    std::vector<char> body(300000);
    for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 31 % 251);
    std::thread writer([&] {
        EXPECT_EQ(WriteFrame(pair.fd[1], SampleHead(), body.data(), body.size(), DeadlineAfter(5000)), kChannelOk);
        EXPECT_EQ(WriteFrame(pair.fd[1], SampleHead(), nullptr, 0, DeadlineAfter(5000)), kChannelOk);
    });
    _PacketHead head{};
    std::vector<char> got;
    EXPECT_EQ(ReadFrame(pair.fd[0], head, got, DeadlineAfter(5000)), kChannelOk);
    EXPECT_EQ(got, body);
    EXPECT_EQ(ReadFrame(pair.fd[0], head, got, DeadlineAfter(5000)), kChannelOk);
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(head.nCount, -2);
    writer.join();

    pair.CloseOne(0);
    EXPECT_EQ(WriteFrame(pair.fd[1], SampleHead(), body.data(), body.size(), DeadlineAfter(5000)), kChannelClosed);
    EXPECT_EQ(WriteFrame(pair.fd[1], SampleHead(), nullptr, 1, DeadlineAfter(5000)), kChannelSendFailed);
}

TEST(FrameIo, AFrameArrivesWholeWhereverItsFirstWriteStops) {
    // Whatever the socket takes of the length, head and body in one write, the rest
    // follows, and the next frame starts where this one ends.
    const std::string body = "0123456789";
    _PacketHead next = SampleHead();
    next.nTransCode = 187;
    const std::size_t whole = kFramePrefixBytes + kFrameHeadBytes + body.size();
    for (std::size_t stop = 1; stop < whole; ++stop) {
        SCOPED_TRACE(stop);
        SocketPair pair;
        {
            ScriptedSocket script;
            script.writeStops = {stop, 1};  // then a single byte, then the rest
            ASSERT_EQ(WriteFrame(pair.fd[1], SampleHead(), body.data(), body.size(), DeadlineAfter(1000)), kChannelOk);
            ASSERT_EQ(WriteFrame(pair.fd[1], next, "z", 1, DeadlineAfter(1000)), kChannelOk);
        }
        pair.CloseOne(1);
        _PacketHead head{};
        std::vector<char> got;
        ASSERT_EQ(ReadFrame(pair.fd[0], head, got, DeadlineAfter(1000)), kChannelOk);
        EXPECT_EQ(head.nTransCode, 186);
        EXPECT_EQ(std::string(got.begin(), got.end()), body);
        ASSERT_EQ(ReadFrame(pair.fd[0], head, got, DeadlineAfter(1000)), kChannelOk);
        EXPECT_EQ(head.nTransCode, 187);
        EXPECT_EQ(std::string(got.begin(), got.end()), "z");
        EXPECT_EQ(ReadFrame(pair.fd[0], head, got, DeadlineAfter(1000)), kChannelClosed);
    }
}

TEST(FrameIo, InterruptedCallsAndWaitsAreTriedAgain) {
    // A signal may interrupt any call or wait (EINTR): that is no failure, and a
    // socket with no room or no data yet (EAGAIN) is waited for.
    SocketPair pair;
    const std::string body(100, 'b');
    {
        ScriptedSocket script;
        script.writeStops = {kFramePrefixBytes + kFrameHeadBytes + 1};  // the rest of the body by send
        script.sendPairErrors = {EINTR, EAGAIN};
        script.sendErrors = {EINTR, EAGAIN};
        script.pollErrors = {EINTR, EINTR};
        ASSERT_EQ(WriteFrame(pair.fd[1], SampleHead(), body.data(), body.size(), DeadlineAfter(5000)), kChannelOk);
        EXPECT_TRUE(script.AllUsed());
    }
    {
        ScriptedSocket script;
        script.recvErrors = {EINTR, EAGAIN, EINTR};
        script.pollErrors = {EINTR, EINTR};
        _PacketHead head{};
        std::vector<char> got;
        ASSERT_EQ(ReadFrame(pair.fd[0], head, got, DeadlineAfter(5000)), kChannelOk);
        EXPECT_EQ(std::string(got.begin(), got.end()), body);
        EXPECT_TRUE(script.AllUsed());
        // A wait interrupted once more still ends at its deadline.
        script.pollErrors = {EINTR};
        EXPECT_EQ(WaitReadable(pair.fd[0], DeadlineAfter(50)), kChannelTimeout);
        EXPECT_TRUE(script.AllUsed());
    }
}

TEST(FrameIo, SilenceTimesOutAndPeerLeavingMidFrameIsClosed) {
    SocketPair pair;
    _PacketHead head = SampleHead();
    std::vector<char> body{'k'};
    const auto start = Clock::now();
    EXPECT_EQ(ReadFrame(pair.fd[0], head, body, DeadlineAfter(100)), kChannelTimeout);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));

    const std::string half = LengthBytes(24 + 10) + std::string(24, '\0') + "abc";
    ASSERT_EQ(WriteAll(pair.fd[1], half.data(), half.size(), DeadlineAfter(1000)), kChannelOk);
    pair.CloseOne(1);
    EXPECT_EQ(ReadFrame(pair.fd[0], head, body, DeadlineAfter(5000)), kChannelClosed);
    EXPECT_EQ(head.nTransCode, 186) << "outputs are only written on success";
    EXPECT_EQ(body, std::vector<char>{'k'});
}

TEST(LogonRequest, HeadAndBodyLayout) {
    _PacketHead head;
    _LogonBody body;
    ASSERT_TRUE(BuildLogonRequest("张三", "pw", head, body).ok());
    _PacketHead expected{};
    expected.nTransCode = 1;
    expected.nCount = 1;
    expected.nSubSystem = 82;
    EXPECT_EQ(std::memcmp(&head, &expected, sizeof head), 0);
    const auto* raw = reinterpret_cast<const unsigned char*>(&body);
    const unsigned char user[] = {0xD5, 0xC5, 0xC8, 0xFD};  // 张三 in GBK
    EXPECT_EQ(std::memcmp(raw, user, 4), 0);
    EXPECT_EQ(std::memcmp(raw + 21, "pw", 2), 0);
    std::size_t stray = 0;  // non-zero bytes outside the two texts
    for (std::size_t i = 4; i < sizeof body; ++i) stray += (i != 21 && i != 22 && raw[i] != 0);
    EXPECT_EQ(stray, 0u);
}

TEST(LogonRequest, TextsThatDoNotFitAreRefusedNotCut) {
    _PacketHead head;
    _LogonBody body;
    EXPECT_TRUE(BuildLogonRequest(std::string(20, 'u'), std::string(42, 'p'), head, body).ok());
    EXPECT_EQ(body.szUserCode[20], '\0');
    EXPECT_EQ(body.szPassword[42], '\0');

    const std::string tenChinese = "一二三四五六七八九十";  // 20 GBK bytes
    EXPECT_TRUE(BuildLogonRequest(tenChinese, "", head, body).ok());

    for (auto [user, password] : {std::pair<std::string, std::string>{std::string(21, 'u'), "p"},
                                  {tenChinese + "x", "p"},
                                  {"u", std::string(43, 'p')},
                                  {"", "p"},
                                  {"u\xF0\x9F\x98\x80", "p"}}) {
        const ConnectResult result = BuildLogonRequest(user, password, head, body);
        EXPECT_FALSE(result.ok()) << user;
        EXPECT_FALSE(result.message.empty());
        EXPECT_FALSE(result.refused) << "refused means the server said no";
    }
    EXPECT_NE(BuildLogonRequest(std::string(21, 'u'), "p", head, body).message.find("用户代码"), std::string::npos);
    EXPECT_NE(BuildLogonRequest("u", std::string(43, 'p'), head, body).message.find("密码"), std::string::npos);
}

}  // namespace
}  // namespace kel::net
