#include "server/LogonBrake.h"

#include <algorithm>

namespace kel::server {

namespace {

using Ms = std::chrono::milliseconds;

// Codes failed from one address, kept one by one; past this the address counts as
// failed on every code (it sprays guesses).
constexpr std::size_t kCodesPerAddress = 8;
// Codes logged on from one address that it is trusted with (the oldest go first).
constexpr std::size_t kTrustedPerAddress = 64;

bool Holds(const std::vector<uint32_t>& hashes, uint32_t hash) {
    return std::find(hashes.begin(), hashes.end(), hash) != hashes.end();
}

constexpr int kMostFailures = 1 << 30;

uint32_t HashOf(std::string_view user) {
    uint32_t h = 2166136261u;  // FNV-1a
    for (unsigned char ch : user) h = (h ^ ch) * 16777619u;
    return h;
}

// The earliest turn a bucket gives an attempt at `now`: its first `burst` turns at once.
LogonBrake::Clock::time_point TurnOf(LogonBrake::Clock::time_point due, int burst, int intervalMs,
                                     LogonBrake::Clock::time_point now) {
    return std::max(now, due - Ms(static_cast<long long>(std::max(burst, 1) - 1) * intervalMs));
}

}  // namespace

LogonBrake::LogonBrake(LogonBrakeOptions options) : options_(std::move(options)) {}

LogonBrake::Clock::time_point LogonBrake::Now() const { return options_.clock ? options_.clock() : Clock::now(); }

bool LogonBrake::Forgotten(const Entry& e, Clock::time_point now) const {
    return e.failures == 0 || now - e.lastFailure > Ms(options_.forgetAfterMs);
}

bool LogonBrake::FailedOn(const Entry& address, uint32_t user, Clock::time_point now) const {
    if (Forgotten(address, now)) return false;
    return address.manyUsers ||
           std::find(address.failedUsers.begin(), address.failedUsers.end(), user) != address.failedUsers.end();
}

LogonBrake::Entry& LogonBrake::Take(Table& table, std::string_view key, Clock::time_point now) {
    const std::string k(key);
    if (auto it = table.find(k); it != table.end()) return it->second;
    if (table.size() >= options_.maxKeys) {
        // Quiet entries go first; then the least attacked, so that floods of new keys
        // never push out the keys being guessed at.
        std::erase_if(table, [&](const auto& e) {
            return Forgotten(e.second, now) && e.second.due <= now && e.second.inFlight.empty() &&
                   e.second.trusted.empty();
        });
        if (table.size() >= options_.maxKeys) {
            auto weakest = std::min_element(table.begin(), table.end(), [&](const auto& a, const auto& b) {
                const int fa = Forgotten(a.second, now) ? 0 : a.second.failures;
                const int fb = Forgotten(b.second, now) ? 0 : b.second.failures;
                return fa != fb ? fa < fb : a.second.lastFailure < b.second.lastFailure;
            });
            table.erase(weakest);
        }
    }
    return table[k];
}

void LogonBrake::CountFailure(Entry& e, Clock::time_point now) {
    if (Forgotten(e, now)) {
        // Forgotten: the next failure starts a new count, on no code yet.
        e.failures = 0;
        e.failedUsers.clear();
        e.manyUsers = false;
    }
    e.failures = std::min(e.failures + 1, kMostFailures);
    e.lastFailure = now;
}

LogonBrake::Ticket LogonBrake::Admit(std::string_view user, std::string_view address) {
    std::lock_guard lock(mutex_);
    const auto now = Now();
    const uint32_t hash = HashOf(user);
    Entry& from = Take(addresses_, address, now);
    // An address with nothing against this code is the owner's as far as anyone can
    // tell: the code's limit does not hold it. Its attempts on one code go one at a
    // time until one has succeeded.
    const bool suspect = FailedOn(from, hash, now);
    if (!suspect && Holds(from.inFlight, hash) && !Holds(from.trusted, hash)) {
        Ticket later;
        later.retry = true;
        return later;
    }
    const bool failedHere = !Forgotten(from, now);
    auto turn = now;
    if (failedHere) turn = TurnOf(from.due, options_.addressBurst, options_.addressIntervalMs, now);
    Entry* code = nullptr;
    if (suspect) {
        code = &Take(users_, user, now);
        turn = std::max(turn, TurnOf(code->due, options_.userBurst, options_.userIntervalMs, now));
    }
    Ticket ticket;
    if (turn - now > Ms(options_.maxWaitMs)) {
        ticket.refused = true;
        return ticket;
    }
    if (failedHere) from.due = std::max(from.due, turn) + Ms(options_.addressIntervalMs);
    if (code) code->due = std::max(code->due, turn) + Ms(options_.userIntervalMs);
    from.inFlight.push_back(hash);
    ticket.wait = std::chrono::ceil<Ms>(turn - now);
    ticket.userCharged = code != nullptr;
    ticket.addressCharged = failedHere;
    return ticket;
}

void LogonBrake::Landed(std::string_view user, std::string_view address) {
    const auto it = addresses_.find(std::string(address));
    if (it == addresses_.end()) return;
    auto& flying = it->second.inFlight;
    if (const auto f = std::find(flying.begin(), flying.end(), HashOf(user)); f != flying.end()) flying.erase(f);
}

void LogonBrake::Abandoned(const Ticket& ticket, std::string_view user, std::string_view address) {
    if (ticket.refused || ticket.retry) return;
    std::lock_guard lock(mutex_);
    Landed(user, address);
}

void LogonBrake::Checked(const Ticket& ticket, std::string_view user, std::string_view address, bool accepted) {
    if (ticket.refused || ticket.retry) return;
    std::lock_guard lock(mutex_);
    const auto now = Now();
    Landed(user, address);
    const uint32_t hash = HashOf(user);
    if (accepted) {
        if (auto it = addresses_.find(std::string(address)); it != addresses_.end()) {
            auto& trusted = it->second.trusted;
            if (!Holds(trusted, hash)) {
                if (trusted.size() >= kTrustedPerAddress) trusted.erase(trusted.begin());
                trusted.push_back(hash);
            }
        }
        // The turns were taken for a failure that did not happen; nothing else is undone.
        if (ticket.addressCharged)
            if (auto it = addresses_.find(std::string(address)); it != addresses_.end())
                it->second.due -= Ms(options_.addressIntervalMs);
        if (ticket.userCharged)
            if (auto it = users_.find(std::string(user)); it != users_.end())
                it->second.due -= Ms(options_.userIntervalMs);
        return;
    }
    // A failure that a limit did not hold still counts against it.
    Entry& from = Take(addresses_, address, now);
    if (!ticket.addressCharged) from.due = std::max(from.due, now) + Ms(options_.addressIntervalMs);
    CountFailure(from, now);
    std::erase(from.trusted, hash);
    if (!from.manyUsers &&
        std::find(from.failedUsers.begin(), from.failedUsers.end(), hash) == from.failedUsers.end()) {
        if (from.failedUsers.size() < kCodesPerAddress)
            from.failedUsers.push_back(hash);
        else
            from.manyUsers = true;
    }
    Entry& code = Take(users_, user, now);
    CountFailure(code, now);
    if (!ticket.userCharged) code.due = std::max(code.due, now) + Ms(options_.userIntervalMs);
}

int LogonBrake::FailuresOf(Table& table, std::string_view key) {
    std::lock_guard lock(mutex_);
    const auto it = table.find(std::string(key));
    return it == table.end() || Forgotten(it->second, Now()) ? 0 : it->second.failures;
}

int LogonBrake::FailuresOfUser(std::string_view user) { return FailuresOf(users_, user); }
int LogonBrake::FailuresOfAddress(std::string_view address) { return FailuresOf(addresses_, address); }

}  // namespace kel::server
