#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/net/Frame.h"
#include "server/RequestReader.h"

namespace kel::server {
namespace {

using kel::net::DeadlineAfter;

struct Pair {
    int fd[2] = {-1, -1};
    Pair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fd), 0); }
    ~Pair() {
        for (int f : fd)
            if (f >= 0) ::close(f);
    }
    void Send(const std::string& bytes) const {
        ASSERT_EQ(kel::net::WriteAll(fd[1], bytes.data(), bytes.size(), DeadlineAfter(5000)), kChannelOk);
    }
};

std::string Frame(int code, const std::string& body) {
    _PacketHead head{};
    head.nTransCode = static_cast<std::int16_t>(code);
    std::vector<char> wire;
    EXPECT_EQ(kel::net::EncodeFrame(head, body.data(), body.size(), wire), kChannelOk);
    return std::string(wire.begin(), wire.end());
}

TEST(RequestReader, FramesSentTogetherAreReadOneByOneIntact) {
    Pair pair;
    // Length and head are read in one go: nothing of the frame behind may be taken with them.
    pair.Send(Frame(180, "") + Frame(186, std::string(300, 'x')) + Frame(181, "k"));
    HeldBytes held;
    _PacketHead head{};
    std::vector<char> body{'?'};
    for (const auto& [code, size] : {std::pair{180, 0}, {186, 300}, {181, 1}}) {
        ASSERT_EQ(ReadRequest(pair.fd[0], {}, DeadlineAfter(5000), held, head, body), ReadOutcome::kWhole);
        EXPECT_EQ(head.nTransCode, code);
        EXPECT_EQ(body.size(), static_cast<std::size_t>(size));
    }
    EXPECT_EQ(held.Now(), 0u);
}

TEST(RequestReader, LeadDribbledByteByByteArrivesWhole) {
    Pair pair;
    const std::string wire = Frame(186, "abc");
    std::thread writer([&] {
        for (char ch : wire) {
            pair.Send(std::string(1, ch));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    HeldBytes held;
    _PacketHead head{};
    std::vector<char> body;
    EXPECT_EQ(ReadRequest(pair.fd[0], {}, DeadlineAfter(5000), held, head, body), ReadOutcome::kWhole);
    writer.join();
    EXPECT_EQ(head.nTransCode, 186);
    EXPECT_EQ(std::string(body.begin(), body.end()), "abc");
}

TEST(RequestReader, BadLengthIsJudgedBeforeTheHeadIsWaitedFor) {
    HeldBytes held;
    _PacketHead head{};
    std::vector<char> body;
    for (std::uint32_t n : {std::uint32_t{10}, std::uint32_t{0xFFFFFFFF}}) {
        Pair pair;
        pair.Send(std::string{static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
                              static_cast<char>((n >> 16) & 0xFF), static_cast<char>(n >> 24)});
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ReadRequest(pair.fd[0], {}, DeadlineAfter(10000), held, head, body), ReadOutcome::kBadLength);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    }
}

TEST(RequestReader, BeforeLogOnAFrameOfAnotherSizeIsRefusedAtItsHead) {
    Pair pair;
    pair.Send(Frame(180, std::string(64, 'x')) + "rest");
    HeldBytes held;
    _PacketHead head{};
    std::vector<char> body;
    const FrameRule logon{static_cast<std::uint32_t>(kel::net::kFrameHeadBytes + 64), 1};
    EXPECT_EQ(ReadRequest(pair.fd[0], logon, DeadlineAfter(5000), held, head, body), ReadOutcome::kRefusedAtHead);
    EXPECT_EQ(head.nTransCode, 180);
    EXPECT_EQ(held.Peak(), 0u) << "no buffer for a body that is refused";
}

}  // namespace
}  // namespace kel::server
