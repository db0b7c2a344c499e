#include "server/SessionRegistry.h"

#include <algorithm>
#include <vector>

namespace kel::server {

SessionRegistry::SessionRegistry(Clock::duration keep, std::size_t maxSessions)
    : keep_(keep), maxSessions_(std::max<std::size_t>(maxSessions, 1)) {}

bool SessionRegistry::Attach(ConnectionContext& client, std::string_view token, bool again) {
    const std::string user = client.User();
    std::lock_guard lock(mutex_);
    SweepLocked(Clock::now());
    const auto it = sessions_.find(std::string(token));
    // Only the same user continues a session: a token is no key to another's.
    if (it != sessions_.end() && it->second.user == user) {
        client.Continue(it->second.memory);
        it->second.unusedSince.reset();
        return true;
    }
    bool held = false;
    if (again) {
        if (auto found = finder_ ? finder_(token, user) : nullptr) {
            client.Continue(std::move(found));
            held = true;
        } else {
            client.Memory()->ForgetAll();
        }
    }
    if (sessions_.size() >= maxSessions_ && it == sessions_.end()) {
        // Full: the session unused longest makes way; sessions in use are never dropped.
        auto oldest = sessions_.end();
        for (auto s = sessions_.begin(); s != sessions_.end(); ++s)
            if (s->second.unusedSince &&
                (oldest == sessions_.end() || *s->second.unusedSince < *oldest->second.unusedSince))
                oldest = s;
        if (oldest == sessions_.end()) return held;  // every session is in use: this one is not kept
        sessions_.erase(oldest);
    }
    sessions_[std::string(token)] = Entry{user, client.Memory(), std::nullopt};
    return held;
}

void SessionRegistry::SetFinder(Finder finder) {
    std::lock_guard lock(mutex_);
    finder_ = std::move(finder);
}

std::vector<SessionRegistry::Held> SessionRegistry::All() const {
    std::lock_guard lock(mutex_);
    std::vector<Held> all;
    all.reserve(sessions_.size());
    for (const auto& [token, entry] : sessions_) all.push_back({token, entry.user, entry.memory});
    return all;
}

std::size_t SessionRegistry::Size() const {
    std::lock_guard lock(mutex_);
    return sessions_.size();
}

void SessionRegistry::Sweep(Clock::time_point now) {
    std::lock_guard lock(mutex_);
    SweepLocked(now);
}

void SessionRegistry::SweepLocked(Clock::time_point now) {
    for (auto it = sessions_.begin(); it != sessions_.end();) {
        Entry& e = it->second;
        // The registry's own reference is the last one: no connection uses it.
        if (e.memory.use_count() > 1) {
            e.unusedSince.reset();
        } else if (!e.unusedSince) {
            e.unusedSince = now;
        } else if (now - *e.unusedSince >= keep_) {
            it = sessions_.erase(it);
            continue;
        }
        ++it;
    }
}

}  // namespace kel::server
