// The brake on password guessing: a limit on the rate of failed log-ons, per user
// code (from all addresses together) and per address, that no number of connections,
// no success of the guesser's own account and no failures on other codes can lift.
//
// Each limit is a bucket: the first `burst` attempts pass at once, then one per
// interval. An attempt reserves its turn when its log-on frame has arrived, so
// connections waiting side by side queue one behind the other instead of being
// checked together; one whose turn lies further away than `maxWait` is refused
// unchecked at once, so guessers never hold connections long. A success gives its
// own turn back and nothing more. The address's limit holds an address with
// failures remembered; the many log-ons of an office behind one address pass.
//
// The owner of an account under attack is not locked out: an attempt from an
// address that has not failed on that user code is checked at once, whatever other
// addresses did; only its failure counts against the code. While one such attempt
// is being checked, others on the same code from that address wait for its outcome
// (a guesser's many connections get one guess, not many); once a log-on on the code
// succeeded there, they all pass (many clients of one shared account). Failures are forgotten after a quiet while, and
// the tables are bounded: when full, the entries with the fewest failures make way, so flooding other codes or
// addresses never frees the most-attacked ones.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kel::server {

struct LogonBrakeOptions {
    int userBurst = 5;                   // failures on one code that pass at once
    int userIntervalMs = 1000;           // then one per this, from all addresses together
    int addressBurst = 10;               // attempts from one address that pass at once
    int addressIntervalMs = 1000;        // then one per this
    int maxWaitMs = 4000;                // an attempt whose turn is further away is refused unchecked
    int forgetAfterMs = 15 * 60 * 1000;  // failures older than this no longer count
    std::size_t maxKeys = 4096;          // per table (user codes, addresses)
    // The brake's time; tests give a clock of their own. Empty: the steady clock.
    std::function<std::chrono::steady_clock::time_point()> clock;
};

class LogonBrake {
public:
    using Clock = std::chrono::steady_clock;

    // An attempt's turn, from Admit.
    struct Ticket {
        bool refused = false;               // too many attempts: answered without a check
        bool retry = false;                 // another attempt on the code from there is being checked: ask again
        std::chrono::milliseconds wait{0};  // how long before the password is checked
        bool userCharged = false;           // the attempt took a turn of the user code's limit
        bool addressCharged = false;        // and of the address's
    };

    explicit LogonBrake(LogonBrakeOptions options = {});

    // Reserves the turn of an attempt by `user` from `address` (the source's key).
    Ticket Admit(std::string_view user, std::string_view address);
    // The outcome of an admitted attempt's check.
    void Checked(const Ticket& ticket, std::string_view user, std::string_view address, bool accepted);
    // An admitted attempt given up unchecked (the client hung up): its turn stays spent.
    void Abandoned(const Ticket& ticket, std::string_view user, std::string_view address);

    // Failures remembered for a user code or an address (0 once forgotten).
    int FailuresOfUser(std::string_view user);
    int FailuresOfAddress(std::string_view address);

private:
    struct Entry {
        Clock::time_point due{};  // when the bucket is empty again (its last reserved turn + interval)
        int failures = 0;
        Clock::time_point lastFailure{};
        std::vector<uint32_t> failedUsers;  // addresses: hashes of the codes failed from there
        bool manyUsers = false;             // addresses: failed on more codes than are kept
        std::vector<uint32_t> inFlight;     // addresses: the codes of attempts admitted, not yet done
        std::vector<uint32_t> trusted;      // addresses: codes logged on from there, not failed since
    };
    using Table = std::unordered_map<std::string, Entry>;

    Clock::time_point Now() const;
    bool Forgotten(const Entry& e, Clock::time_point now) const;
    bool FailedOn(const Entry& address, uint32_t user, Clock::time_point now) const;
    Entry& Take(Table& table, std::string_view key, Clock::time_point now);
    void CountFailure(Entry& e, Clock::time_point now);
    void Landed(std::string_view user, std::string_view address);
    int FailuresOf(Table& table, std::string_view key);

    LogonBrakeOptions options_;
    std::mutex mutex_;
    Table users_;
    Table addresses_;
};

}  // namespace kel::server
