// The listener against clients that never mean to log on: what they cost the server
// before log-on, what happens when a connection cannot be served, the limits on
// connections, guessers against the brake and the bounded password hashing.
#include <poll.h>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "common/net/TcpChannel.h"
#include "server/Password.h"
#include "server/tests/RawClient.h"

namespace kel::server::test {
namespace {

using Ms = std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

// A frame's length field and head, without a body.
std::string Announce(uint32_t length, int code) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    const _PacketHead h = RawClient::Head(code);
    return bytes + std::string(reinterpret_cast<const char*>(&h), sizeof h);
}

// Waits until `done` holds, at most `ms`.
template <class F>
bool Eventually(F done, int ms = 5000) {
    const auto until = SteadyClock::now() + Ms(ms);
    while (!done()) {
        if (SteadyClock::now() > until) return false;
        std::this_thread::sleep_for(Ms(5));
    }
    return true;
}

long long MillisecondsOf(SteadyClock::time_point since) {
    return std::chrono::duration_cast<Ms>(SteadyClock::now() - since).count();
}

class ListenerGuard : public ListenerFixture {
protected:
    // The listener stops before the lines its log writes to go.
    void TearDown() override { listener.reset(); }

    void CollectLog(ListenerOptions& options) {
        options.log = [this](LogLevel, std::string_view text) {
            std::lock_guard lock(linesMutex_);
            lines_.emplace_back(text);
        };
    }
    // How many log lines hold `words`.
    long Logged(const std::string& words) {
        std::lock_guard lock(linesMutex_);
        return std::count_if(lines_.begin(), lines_.end(),
                             [&](const std::string& l) { return l.find(words) != std::string::npos; });
    }

private:
    std::mutex linesMutex_;
    std::vector<std::string> lines_;
};

TEST_F(ListenerGuard, BeforeLogOnOnlyTheLogOnFrameIsHeld) {
    auto options = QuickOptions();
    options.maxClientsPerAddress = 300;
    StartListener(options);
    // Announcing 16 MiB, or the log-on's own code with another size, or another code
    // with the log-on's size: each is refused at its head and costs no body buffer.
    std::vector<std::unique_ptr<RawClient>> liars;
    for (int i = 0; i < 256; ++i) {
        liars.push_back(std::make_unique<RawClient>(Port()));
        const uint32_t length = i % 3 == 0 ? 16u << 20 : i % 3 == 1 ? 24 + 65 : 24 + 64;
        liars.back()->Raw(Announce(length, i % 3 == 2 ? 180 : kel::net::kLogonTransCode));
    }
    for (auto& c : liars) {
        const auto answer = c->Read();
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->Status(), 1);
        EXPECT_TRUE(c->Closed());
    }
    EXPECT_EQ(listener->FrameBytes().Peak(), 0u);

    // A log-on frame begun but not finished holds its 64 bytes, no more.
    RawClient slow(Port());
    slow.Raw(Announce(24 + 64, kel::net::kLogonTransCode) + "dem");
    ASSERT_TRUE(Eventually([&] { return listener->FrameBytes().Now() > 0; }));
    EXPECT_EQ(listener->FrameBytes().Now(), sizeof(_LogonBody));
    slow.Close();
    EXPECT_TRUE(Eventually([&] { return listener->FrameBytes().Now() == 0; }));
}

TEST_F(ListenerGuard, AfterLogOnABufferGrowsWithTheBytesThatArrive) {
    auto options = QuickOptions();
    options.frameTimeoutMs = 3000;
    StartListener(options);
    constexpr int kClients = 16;
    constexpr std::size_t kSent = 100 * 1024;
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<RawClient>(Port()));
        ASSERT_TRUE(clients.back()->LogOn());
        clients.back()->Raw(Announce(16u << 20, 180) + std::string(kSent, 'x'));
    }
    // Each holds what it sent, rounded up to the next chunks; never the 16 MiB announced.
    ASSERT_TRUE(Eventually([&] { return listener->FrameBytes().Now() >= kClients * kSent; }));
    EXPECT_LE(listener->FrameBytes().Peak(), kClients * (2 * kSent + kReadChunkBytes));
    clients.clear();
    EXPECT_TRUE(Eventually([&] { return listener->FrameBytes().Now() == 0; }));

    // A whole large request still arrives and is answered (refused for its size).
    RawClient big(Port());
    ASSERT_TRUE(big.LogOn());
    const auto answer = big.Call(180, std::string(3 << 20, '\0'));
    ASSERT_TRUE(answer);
    EXPECT_NE(answer->Status(), 0);
    EXPECT_EQ(big.Call(180)->Status(), 0);
}

TEST_F(ListenerGuard, UnfinishedFramesAreBoundedPerConnectionAndInAll) {
    auto options = QuickOptions();
    options.frameTimeoutMs = 5000;
    options.maxHeldPerClient = 2u << 20;
    options.maxHeldInAll = 3u << 20;
    CollectLog(options);
    StartListener(options);
    // One connection past its own bound is closed; a request within it is answered.
    RawClient greedy(Port());
    ASSERT_TRUE(greedy.LogOn());
    greedy.Raw(Announce(16u << 20, 180) + std::string((2u << 20) + 1, 'x'));
    EXPECT_TRUE(greedy.Closed());
    EXPECT_TRUE(Eventually([&] { return Logged("more than the server keeps") > 0; }));

    // Slow senders that together pass the bound in all: the one holding most makes room.
    std::vector<std::unique_ptr<RawClient>> slow;
    for (int i = 0; i < 3; ++i) {
        slow.push_back(std::make_unique<RawClient>(Port()));
        ASSERT_TRUE(slow.back()->LogOn());
    }
    slow[0]->Raw(Announce(16u << 20, 180) + std::string(1200 * 1024, 'x'));  // holds 2 MiB
    ASSERT_TRUE(Eventually([&] { return listener->FrameBytes().Now() >= (2u << 20); }));
    slow[1]->Raw(Announce(16u << 20, 180) + std::string(200 * 1024, 'x'));  // holds 256 KiB
    ASSERT_TRUE(Eventually([&] { return listener->FrameBytes().Now() >= (2u << 20) + (256u << 10); }));
    slow[2]->Raw(Announce(16u << 20, 180) + std::string(600 * 1024, 'x'));  // would grow to 1 MiB
    EXPECT_TRUE(slow[0]->Closed());
    EXPECT_TRUE(Eventually([&] { return Logged("held the most bytes of unfinished frames") > 0; }));
    EXPECT_FALSE(slow[1]->Closed(200));
    EXPECT_FALSE(slow[2]->Closed(200));
    EXPECT_LE(listener->FrameBytes().Peak(), (3u << 20) + (512u << 10));
    RawClient next(Port());
    ASSERT_TRUE(next.LogOn());
    EXPECT_EQ(next.Call(180)->Status(), 0);
    slow.clear();
    EXPECT_TRUE(Eventually([&] { return listener->FrameBytes().Now() == 0; }));
}

TEST_F(ListenerGuard, AConnectionThatCannotBeServedIsClosedAndTheServerGoesOn) {
    std::atomic<int> threadFailures{1}, memoryFailures{1};
    auto options = QuickOptions();
    options.fault = [&](std::string_view stage) {
        if (stage == "thread" && threadFailures-- > 0)
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "no thread");
        if (stage == "request" && memoryFailures-- > 0) throw std::bad_alloc();
    };
    StartListener(options);

    RawClient noThread(Port());
    EXPECT_TRUE(noThread.Closed());
    RawClient noMemory(Port());
    noMemory.Frame(kel::net::kLogonTransCode, Bytes(RawClient::LogonBody("demo", "demo")));
    EXPECT_TRUE(noMemory.Closed());

    RawClient served(Port());
    ASSERT_TRUE(served.LogOn());
    EXPECT_EQ(served.Call(180)->Status(), 0);
    EXPECT_TRUE(Eventually([&] { return listener->ClientCount() == 1; }));
}

TEST_F(ListenerGuard, AUserGetsInWhileOthersHoldSockets) {
    auto options = QuickOptions();
    options.maxClients = 12;
    options.maxClientsPerAddress = 4;
    options.maxUsersPerAddress = 6;
    options.logonTimeoutMs = 60 * 1000;  // the limits alone must let the user in
    options.idleTimeoutMs = 60 * 1000;   // no user closed for idling while the others log on
    StartListener(options);

    // One address holds at most four: each newer connection closes its oldest without a
    // log-on, so a user behind the same address still gets in at once.
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 10; ++i) idle.push_back(std::make_unique<RawClient>(Port(), "127.0.0.2"));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(idle[i]->Closed(200), i < 6) << i;
    {
        const auto start = SteadyClock::now();
        RawClient neighbour(Port(), "127.0.0.2");
        ASSERT_TRUE(neighbour.LogOn());
        EXPECT_LT(MillisecondsOf(start), 2000);  // not the log-on time-out's minute
        // Users logged on from there do not take the places of connections waiting
        // for their log-on: five log on, and four sockets held open beside them stay.
        std::vector<std::unique_ptr<RawClient>> more;
        for (int i = 0; i < 4; ++i) {
            more.push_back(std::make_unique<RawClient>(Port(), "127.0.0.2"));
            ASSERT_TRUE(more.back()->LogOn()) << i;
        }
        std::vector<std::unique_ptr<RawClient>> held;
        for (int i = 0; i < 4; ++i) held.push_back(std::make_unique<RawClient>(Port(), "127.0.0.2"));
        for (auto& h : held) EXPECT_FALSE(h->Closed(100));
        // Six users are the address's limit: a sixth gets in (the oldest socket makes way),
        // a seventh is refused, and none of the users yields.
        RawClient sixth(Port(), "127.0.0.2");
        ASSERT_TRUE(sixth.LogOn());
        EXPECT_TRUE(held[0]->Closed());
        RawClient seventh(Port(), "127.0.0.2");
        EXPECT_TRUE(seventh.Closed());
        EXPECT_EQ(neighbour.Call(180)->Status(), 0);
    }
    idle.clear();
    ASSERT_TRUE(Eventually([&] { return listener->ClientCount() == 0; }));

    // Every slot held by sockets from several addresses: the oldest without a log-on yields.
    for (int a = 3; a <= 5; ++a)
        for (int i = 0; i < 4; ++i)
            idle.push_back(std::make_unique<RawClient>(Port(), ("127.0.0." + std::to_string(a)).c_str()));
    ASSERT_TRUE(Eventually([&] { return listener->ClientCount() == 12; }));
    for (int round = 0; round < 3; ++round) {
        const auto start = SteadyClock::now();
        RawClient user(Port(), "127.0.0.9");
        ASSERT_TRUE(user.LogOn()) << "round " << round;
        EXPECT_EQ(user.Call(180)->Status(), 0);
        EXPECT_LT(MillisecondsOf(start), 2000);
    }

    // Logged-on clients are never the ones to yield: with all slots logged on, refused.
    std::vector<std::unique_ptr<RawClient>> users;
    for (int i = 0; i < 12; ++i) {
        users.push_back(std::make_unique<RawClient>(Port(), ("127.0.1." + std::to_string(i)).c_str()));
        ASSERT_TRUE(users.back()->LogOn());
    }
    RawClient late(Port(), "127.0.2.1");
    EXPECT_TRUE(late.Closed());
    for (auto& u : users) EXPECT_EQ(u->Call(180)->Status(), 0);
}

TEST_F(ListenerGuard, TheLogOnFrameMustBeWholeWithinTheLogOnTimeOut) {
    auto options = QuickOptions();
    options.logonTimeoutMs = 600;
    options.frameTimeoutMs = 5000;
    StartListener(options);
    // A byte now and then keeps no connection open past the log-on time-out.
    RawClient dribble(Port());
    const std::string frame = Announce(24 + 64, kel::net::kLogonTransCode) + std::string(64, '\0');
    const auto start = SteadyClock::now();
    for (std::size_t i = 0; i < 8 && i < frame.size(); ++i) {
        dribble.Raw(frame.substr(i, 1));
        std::this_thread::sleep_for(Ms(100));
    }
    EXPECT_TRUE(dribble.Closed(3000));
    EXPECT_LT(MillisecondsOf(start), 2500);  // the frame time-out would be 5 s
    RawClient silent(Port());
    EXPECT_TRUE(silent.Closed(3000));
}

TEST_F(ListenerGuard, GuessersQueueOrAreRefusedAndTheOwnerIsNotHeldUp) {
    auto options = QuickOptions();
    options.logonTimeoutMs = 10000;
    options.frameTimeoutMs = 10000;
    options.idleTimeoutMs = 20000;  // the owner stays while the guesses are answered
    options.maxClientsPerAddress = 6;
    CollectLog(options);
    StartListener(options);
    auto refusedUnchecked = [&] { return Logged("refused unchecked"); };
    // The code's first few failures go at once; then guesses from that address queue.
    for (int i = 0; i < 6; ++i) {
        RawClient guess(Port(), "127.0.0.2");
        EXPECT_FALSE(guess.LogOn("demo", "guess"));
    }
    ASSERT_TRUE(Eventually([&] { return listener->ClientCount() == 0; }));
    std::vector<std::unique_ptr<RawClient>> guessers;
    for (int i = 0; i < 6; ++i) {
        guessers.push_back(std::make_unique<RawClient>(Port(), "127.0.0.2"));
        guessers.back()->Frame(kel::net::kLogonTransCode, Bytes(RawClient::LogonBody("demo", "guess")));
    }
    ASSERT_TRUE(Eventually([&] { return refusedUnchecked() >= 1; }));
    // Those from there waiting with their log-on sent never make way for a newcomer.
    std::vector<std::unique_ptr<RawClient>> bare;
    for (int i = 0; i < 6; ++i) bare.push_back(std::make_unique<RawClient>(Port(), "127.0.0.2"));

    // The owner, from an address that never failed, is checked at once, while
    // guesses on the code still wait their turn.
    RawClient owner(Port(), "127.0.0.3");
    ASSERT_TRUE(owner.LogOn());
    int stillWaiting = 0;
    for (auto& g : guessers) {
        pollfd p{g->Fd(), POLLIN, 0};
        if (::poll(&p, 1, 0) == 0) ++stillWaiting;
    }
    EXPECT_GE(stillWaiting, 1);
    // Every guess is answered in the end, none let in; those too far back unchecked.
    for (auto& g : guessers) {
        const auto answer = g->Read(8000);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->Status(), 1);
    }
    EXPECT_GE(refusedUnchecked(), 1);
    EXPECT_EQ(owner.Call(180)->Status(), 0);
}

sockaddr_storage Peer(const char* text) {
    sockaddr_storage peer{};
    if (std::string_view(text).find(':') == std::string_view::npos) {
        auto& a = reinterpret_cast<sockaddr_in&>(peer);
        a.sin_family = AF_INET;
        ::inet_pton(AF_INET, text, &a.sin_addr);
    } else {
        auto& a = reinterpret_cast<sockaddr_in6&>(peer);
        a.sin6_family = AF_INET6;
        ::inet_pton(AF_INET6, text, &a.sin6_addr);
    }
    return peer;
}

TEST(ListenerSource, OneSourceWhereverItsAddressesCameFrom) {
    // Loopback over either family, and IPv4 reached over IPv6, count as the IPv4 address.
    EXPECT_EQ(SourceOf(Peer("::1")), "127.0.0.1");
    EXPECT_EQ(SourceOf(Peer("127.0.0.1")), "127.0.0.1");
    EXPECT_EQ(SourceOf(Peer("::ffff:10.1.2.3")), "10.1.2.3");
    EXPECT_NE(SourceOf(Peer("127.0.0.2")), SourceOf(Peer("127.0.0.1")));
    // A site's IPv6 network hands its hosts any of 2^64 addresses: one source.
    EXPECT_EQ(SourceOf(Peer("2001:db8:1:2::5")), "2001:db8:1:2::/64");
    EXPECT_EQ(SourceOf(Peer("2001:db8:1:2:ffff:ffff:ffff:ffff")), "2001:db8:1:2::/64");
    EXPECT_NE(SourceOf(Peer("2001:db8:1:3::5")), SourceOf(Peer("2001:db8:1:2::5")));
}

// The process's peak resident memory since the last reset, in bytes.
std::size_t PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
    return 0;
}

TEST_F(ListenerGuard, ManyLogOnsAtOnceWaitForTheirHashAndAllSucceed) {
    auto options = QuickOptions();
    options.maxClientsPerAddress = 64;
    StartListener(options);
    {
        std::ofstream reset("/proc/self/clear_refs");
        reset << "5";  // restarts the peak resident size from now
    }
    const std::size_t before = PeakResidentBytes();
    ResetPeakHashesAtOnce();
    std::atomic<int> succeeded{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < 64; ++i)
        clients.emplace_back([&] {
            kel::net::TcpChannel channel;
            if (channel.Connect("127.0.0.1", Port(), "demo", "demo").ok()) ++succeeded;
        });
    for (auto& t : clients) t.join();
    EXPECT_EQ(succeeded, 64);
    EXPECT_LE(PeakHashesAtOnce(), MaxHashesAtOnce());
    // One hash takes about 16 MiB: 64 at once would take a gigabyte.
    EXPECT_LT(PeakResidentBytes() - before, std::size_t{200} << 20);
}

}  // namespace
}  // namespace kel::server::test
