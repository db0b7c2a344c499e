// The brake on password guessing: each failed log-on makes the next attempt for the
// same user, and from the same address, wait longer before its password is checked —
// doubling from a small start up to a bound. A successful log-on releases both.
//
// The wait is bounded, so a connection held by a guesser ends within seconds, and
// the tables forget quiet entries, so random user names cannot grow them without end.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kel::server {

struct LogonBrakeOptions {
    int firstDelayMs = 250;              // after one failure
    int maxDelayMs = 4000;               // never more
    int forgetAfterMs = 15 * 60 * 1000;  // failures older than this no longer count
    std::size_t maxKeys = 4096;          // per table (users, addresses)
};

class LogonBrake {
public:
    using Clock = std::chrono::steady_clock;

    explicit LogonBrake(LogonBrakeOptions options = {}) : options_(options) {}

    // How long an attempt by `user` from `address` waits before it is checked.
    std::chrono::milliseconds Delay(std::string_view user, std::string_view address);
    void Failed(std::string_view user, std::string_view address);
    void Succeeded(std::string_view user, std::string_view address);

private:
    struct Entry {
        int failures = 0;
        Clock::time_point last{};
    };
    using Table = std::unordered_map<std::string, Entry>;

    std::chrono::milliseconds DelayOf(const Table& table, std::string_view key, Clock::time_point now) const;
    bool Forgotten(const Entry& e, Clock::time_point now) const;
    void Count(Table& table, std::string_view key, Clock::time_point now);

    LogonBrakeOptions options_;
    std::mutex mutex_;
    Table users_;
    Table addresses_;
};

}  // namespace kel::server
