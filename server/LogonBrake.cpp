#include "server/LogonBrake.h"

#include <algorithm>

namespace kel::server {

bool LogonBrake::Forgotten(const Entry& e, Clock::time_point now) const {
    return now - e.last > std::chrono::milliseconds(options_.forgetAfterMs);
}

std::chrono::milliseconds LogonBrake::DelayOf(const Table& table, std::string_view key, Clock::time_point now) const {
    const auto it = table.find(std::string(key));
    if (it == table.end() || it->second.failures == 0 || Forgotten(it->second, now))
        return std::chrono::milliseconds(0);
    long long ms = options_.firstDelayMs;
    for (int i = 1; i < it->second.failures && ms < options_.maxDelayMs; ++i) ms *= 2;
    return std::chrono::milliseconds(std::min<long long>(ms, options_.maxDelayMs));
}

std::chrono::milliseconds LogonBrake::Delay(std::string_view user, std::string_view address) {
    std::lock_guard lock(mutex_);
    const auto now = Clock::now();
    return std::max(DelayOf(users_, user, now), DelayOf(addresses_, address, now));
}

void LogonBrake::Count(Table& table, std::string_view key, Clock::time_point now) {
    if (table.size() >= options_.maxKeys && !table.contains(std::string(key))) {
        std::erase_if(table, [&](const auto& e) { return Forgotten(e.second, now); });
        if (table.size() >= options_.maxKeys) {
            auto oldest = std::min_element(table.begin(), table.end(),
                                           [](const auto& a, const auto& b) { return a.second.last < b.second.last; });
            table.erase(oldest);
        }
    }
    Entry& e = table[std::string(key)];
    if (Forgotten(e, now)) e.failures = 0;
    e.failures = std::min(e.failures + 1, 64);
    e.last = now;
}

void LogonBrake::Failed(std::string_view user, std::string_view address) {
    std::lock_guard lock(mutex_);
    const auto now = Clock::now();
    Count(users_, user, now);
    Count(addresses_, address, now);
}

void LogonBrake::Succeeded(std::string_view user, std::string_view address) {
    std::lock_guard lock(mutex_);
    users_.erase(std::string(user));
    addresses_.erase(std::string(address));
}

}  // namespace kel::server
