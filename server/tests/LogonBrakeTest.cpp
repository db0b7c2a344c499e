// The brake on password guessing, on a clock of the test's own: guessers from one
// address or many, with as many connections as they like, with their own account
// and with floods of other codes, get no more than the limit; the owner of the
// guessed code is never held up by them; failures are forgotten after a while.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/LogonBrake.h"

namespace kel::server::test {
namespace {

using Ms = std::chrono::milliseconds;
using Clock = LogonBrake::Clock;

class LogonBrakeTest : public ::testing::Test {
protected:
    LogonBrakeOptions Options() {
        LogonBrakeOptions o;  // the server's own figures
        o.clock = [this] { return now; };
        return o;
    }

    // One attempt now that fails whenever it is checked; true when it was checked.
    bool FailNow(LogonBrake& brake, const std::string& user, const std::string& address) {
        const auto t = brake.Admit(user, address);
        if (t.refused || t.retry) return false;
        now += t.wait;
        brake.Checked(t, user, address, false);
        return true;
    }

    // Guessers on `user`: `connections` attempts in flight from each address, each
    // retried at once when refused or checked, for `seconds`; `between` runs every
    // 100 ms. Returns the guesses checked.
    template <class Between>
    int Attack(LogonBrake& brake, const std::string& user, const std::vector<std::string>& addresses, int connections,
               int seconds, Between between) {
        struct Slot {
            std::string address;
            bool waiting = false;
            Clock::time_point checkAt;
            LogonBrake::Ticket ticket;
        };
        std::vector<Slot> slots;
        for (const auto& a : addresses)
            for (int i = 0; i < connections; ++i) slots.push_back({a, false, {}, {}});
        int checked = 0;
        const auto end = now + std::chrono::seconds(seconds);
        for (int step = 0; now < end; ++step, now += Ms(10)) {
            for (Slot& s : slots) {
                if (s.waiting && s.checkAt <= now) {
                    brake.Checked(s.ticket, user, s.address, false);
                    ++checked;
                    s.waiting = false;
                } else if (!s.waiting) {
                    s.ticket = brake.Admit(user, s.address);
                    if (s.ticket.refused || s.ticket.retry) continue;
                    s.waiting = true;
                    s.checkAt = now + s.ticket.wait;
                }
            }
            if (step % 10 == 0) between();
        }
        for (Slot& s : slots)
            if (s.waiting) brake.Abandoned(s.ticket, user, s.address);  // the guessers hang up
        return checked;
    }

    // The owner's attempt from a source that has not failed: checked at once.
    void OwnerGetsIn(LogonBrake& brake, const std::string& from) {
        const auto t = brake.Admit("demo", from);
        EXPECT_FALSE(t.refused);
        EXPECT_EQ(t.wait.count(), 0);
        brake.Checked(t, "demo", from, true);
    }

    Clock::time_point now = Clock::time_point(std::chrono::hours(24));
};

TEST_F(LogonBrakeTest, GuessesOnACodeAreLimitedWhateverTheConnectionsAndAddresses) {
    const auto options = Options();
    for (const int addressCount : {1, 8}) {
        LogonBrake brake(options);
        std::vector<std::string> addresses;
        for (int i = 0; i < addressCount; ++i) addresses.push_back("10.0.0." + std::to_string(i));
        const int guesses = Attack(brake, "demo", addresses, 32, 60, [&] { OwnerGetsIn(brake, "10.9.9.9"); });
        // The first few at once, then one a second: each address's first guess on the
        // code is checked as an owner's would be, and counts against the code after.
        EXPECT_LE(guesses, options.userBurst + 60 + addressCount + 1) << addressCount << " addresses";
        EXPECT_GE(guesses, 55) << "the limit is a rate, not a lock";
        // The owner's successes gave nothing back to the guessers.
        EXPECT_EQ(brake.FailuresOfUser("demo"), guesses);
    }
}

TEST_F(LogonBrakeTest, ConnectionsSideBySideQueueAndThoseTooFarBackAreRefused) {
    const auto options = Options();
    LogonBrake brake(options);
    ASSERT_TRUE(FailNow(brake, "demo", "10.0.0.1"));  // the address is now a guesser's
    std::vector<long long> waits;
    int refused = 0;
    for (int i = 0; i < 32; ++i) {
        const auto t = brake.Admit("demo", "10.0.0.1");
        if (t.refused)
            ++refused;
        else
            waits.push_back(t.wait.count());
    }
    // Every turn its own: none two in the same second beyond the first few.
    ASSERT_FALSE(waits.empty());
    for (std::size_t i = 1; i < waits.size(); ++i) EXPECT_GE(waits[i], waits[i - 1]) << i;
    EXPECT_LE(waits.back(), options.maxWaitMs);
    EXPECT_LE(static_cast<int>(waits.size()), options.userBurst + options.maxWaitMs / options.userIntervalMs);
    EXPECT_EQ(refused + static_cast<int>(waits.size()), 32);
    // A refused attempt is not checked: it costs the code nothing more.
    EXPECT_EQ(brake.FailuresOfUser("demo"), 1);
}

TEST_F(LogonBrakeTest, OneCodeFromANewAddressGoesOneAtATimeUntilALogOnSucceeds) {
    LogonBrake brake(Options());
    // Many clients of one shared account behind one address: the first is checked,
    // the others wait for it; once it got in, they all go at once.
    const auto first = brake.Admit("demo", "10.0.0.1");
    EXPECT_EQ(first.wait.count(), 0);
    EXPECT_TRUE(brake.Admit("demo", "10.0.0.1").retry);
    const auto other = brake.Admit("wangli", "10.0.0.1");  // another code is not held
    EXPECT_FALSE(other.retry || other.refused);
    brake.Checked(first, "demo", "10.0.0.1", true);
    std::vector<LogonBrake::Ticket> together;
    for (int i = 0; i < 20; ++i) together.push_back(brake.Admit("demo", "10.0.0.1"));
    for (const auto& t : together) {
        EXPECT_FALSE(t.retry || t.refused);
        EXPECT_EQ(t.wait.count(), 0);
    }

    // A guesser's many connections from a new address: one guess, and after it the
    // code's limit holds the rest.
    const auto guess = brake.Admit("zhaoming", "10.0.0.2");
    EXPECT_TRUE(brake.Admit("zhaoming", "10.0.0.2").retry);
    brake.Checked(guess, "zhaoming", "10.0.0.2", false);
    const auto next = brake.Admit("zhaoming", "10.0.0.2");
    EXPECT_FALSE(next.retry);
    EXPECT_TRUE(next.userCharged);
}

TEST_F(LogonBrakeTest, TheGuessersOwnAccountAndOtherCodesLiftNothing) {
    LogonBrakeOptions options = Options();
    options.maxKeys = 64;
    LogonBrake brake(options);
    // Guess, log on with one's own account, guess again: the successes undo no failure.
    int guesses = 0;
    const auto end = now + std::chrono::seconds(30);
    while (now < end) {
        const auto own = brake.Admit("mallory", "10.0.0.1");
        ASSERT_FALSE(own.refused);
        now += own.wait;
        brake.Checked(own, "mallory", "10.0.0.1", true);
        if (FailNow(brake, "demo", "10.0.0.1")) ++guesses;
        now += Ms(10);
    }
    EXPECT_LE(guesses, options.userBurst + 30 + 1);
    EXPECT_EQ(brake.FailuresOfAddress("10.0.0.1"), guesses);

    // Far more other codes and addresses fail than the tables hold: the attacked code
    // and address keep their count, the ones failed on once make way.
    for (int i = 0; i < 500; ++i) {
        now += Ms(5);
        FailNow(brake, "u" + std::to_string(i), "10.1." + std::to_string(i / 250) + "." + std::to_string(i % 250));
    }
    EXPECT_EQ(brake.FailuresOfUser("demo"), guesses);
    EXPECT_EQ(brake.FailuresOfAddress("10.0.0.1"), guesses);
    EXPECT_EQ(brake.FailuresOfUser("u0"), 0);
    EXPECT_EQ(brake.FailuresOfUser("u499"), 1);
    // Still known as a guesser of demo: held by the code's limit, not let in as its owner.
    EXPECT_TRUE(brake.Admit("demo", "10.0.0.1").userCharged);
}

TEST_F(LogonBrakeTest, FailuresAreForgottenAndCountingStartsAgain) {
    const auto options = Options();
    LogonBrake brake(options);
    Attack(brake, "demo", {"10.0.0.1"}, 4, 20, [] {});
    ASSERT_GT(brake.FailuresOfUser("demo"), 15);

    now += Ms(options.forgetAfterMs) + std::chrono::seconds(1);
    EXPECT_EQ(brake.FailuresOfUser("demo"), 0);
    EXPECT_EQ(brake.FailuresOfAddress("10.0.0.1"), 0);
    // A typo an hour later: counted as the first, and the next attempts pass at once
    // until the first few are spent again, as for anyone.
    ASSERT_TRUE(FailNow(brake, "demo", "10.0.0.1"));
    EXPECT_EQ(brake.FailuresOfUser("demo"), 1);
    EXPECT_EQ(brake.FailuresOfAddress("10.0.0.1"), 1);
    std::vector<long long> waits;
    for (int i = 0; i < options.userBurst; ++i) {
        const auto t = brake.Admit("demo", "10.0.0.1");
        waits.push_back(t.wait.count());
        brake.Abandoned(t, "demo", "10.0.0.1");
    }
    EXPECT_EQ(waits, (std::vector<long long>{0, 0, 0, 0, options.userIntervalMs}));

    // The address forgot which codes it failed on: a typo on another code there does
    // not make it a guesser of demo, which is under attack from elsewhere.
    now += Ms(options.forgetAfterMs) + std::chrono::seconds(1);
    ASSERT_TRUE(FailNow(brake, "wangli", "10.0.0.1"));
    now += std::chrono::seconds(1);
    Attack(brake, "demo", {"10.0.0.2"}, 8, 10, [&] { OwnerGetsIn(brake, "10.0.0.1"); });
}

}  // namespace
}  // namespace kel::server::test
