// The listener against clients that never mean to log on: what they cost the server
// before log-on, what happens when a connection cannot be served, the limits on
// connections, the brake on guessed passwords and the bounded password hashing.
#include <fstream>
#include <new>
#include <system_error>
#include <thread>

#include "common/net/TcpChannel.h"
#include "server/LogonBrake.h"
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

class ListenerGuard : public ListenerFixture {};

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
    options.logonTimeoutMs = 60 * 1000;  // the limits alone must let the user in
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
        // Four logged on from there: a fifth is refused, none of them yields.
        std::vector<std::unique_ptr<RawClient>> more;
        for (int i = 0; i < 3; ++i) {
            more.push_back(std::make_unique<RawClient>(Port(), "127.0.0.2"));
            ASSERT_TRUE(more.back()->LogOn());
        }
        RawClient fifth(Port(), "127.0.0.2");
        EXPECT_TRUE(fifth.Closed());
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

TEST(LogonBrakeRule, DoublesFromAStartUpToTheBoundAndSuccessReleases) {
    LogonBrake brake({100, 1000, 60000, 8});
    EXPECT_EQ(brake.Delay("demo", "a").count(), 0);
    std::vector<long long> seen;
    for (int i = 0; i < 6; ++i) {
        brake.Failed("demo", "a");
        seen.push_back(brake.Delay("demo", "a").count());
    }
    EXPECT_EQ(seen, (std::vector<long long>{100, 200, 400, 800, 1000, 1000}));
    EXPECT_EQ(brake.Delay("demo", "b").count(), 1000);   // the user, from anywhere
    EXPECT_EQ(brake.Delay("other", "a").count(), 1000);  // the address, for anyone
    EXPECT_EQ(brake.Delay("other", "b").count(), 0);
    brake.Succeeded("demo", "a");
    EXPECT_EQ(brake.Delay("demo", "a").count(), 0);
    // Random names fill the table only up to its size.
    for (int i = 0; i < 100; ++i) brake.Failed("u" + std::to_string(i), "c");
    EXPECT_EQ(brake.Delay("u99", "z").count(), 100);

    LogonBrake forgetful({100, 1000, 0, 8});
    forgetful.Failed("demo", "a");
    std::this_thread::sleep_for(Ms(5));
    EXPECT_EQ(forgetful.Delay("demo", "a").count(), 0);
}

TEST_F(ListenerGuard, FailedLogOnsSlowTheNextAttemptsDown) {
    auto options = QuickOptions();
    options.brake = {400, 1600, 60000, 4096};
    StartListener(options);
    auto attempt = [&](const char* from, const char* user, const char* password, bool& ok) {
        const auto start = SteadyClock::now();
        RawClient c(Port(), from);
        ok = c.LogOn(user, password);
        return MillisecondsOf(start);
    };
    bool ok = true;
    std::vector<long long> took;
    for (int i = 0; i < 5; ++i) {
        took.push_back(attempt("127.0.0.2", "demo", "guess", ok));
        EXPECT_FALSE(ok);
    }
    EXPECT_LT(took[0], 400);
    EXPECT_GE(took[1], 400);
    EXPECT_GE(took[2], 800);
    EXPECT_GE(took[3], 1600);
    EXPECT_GE(took[4], 1600);
    EXPECT_LT(took[4], 2800);  // bounded: doubling on would wait 3200

    // A guesser that hangs up while braked frees its thread at once.
    {
        RawClient gone(Port(), "127.0.0.2");
        gone.Frame(kel::net::kLogonTransCode, Bytes(RawClient::LogonBody("zhaoming", "guess")));
    }
    EXPECT_TRUE(Eventually([&] { return listener->ClientCount() == 0; }, 800));

    // The user is braked from another address, another user from the same address.
    EXPECT_GE(attempt("127.0.0.3", "demo", "demo", ok), 1600);
    EXPECT_TRUE(ok);
    // Success released the user and that address; the guessing address stays braked.
    EXPECT_LT(attempt("127.0.0.3", "demo", "demo", ok), 400);
    EXPECT_GE(attempt("127.0.0.2", "wangli", "wangli", ok), 1600);
    EXPECT_TRUE(ok);
    EXPECT_LT(attempt("127.0.0.2", "wangli", "wangli", ok), 400);
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
