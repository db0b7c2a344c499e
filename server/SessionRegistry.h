// The client sessions the server has seen, by the token each client sends after
// its log-on: a connection that continues a session (the line dropped, the client
// connected again) gets what the session had read, so a save of a record someone
// changed meanwhile is refused as if the line had never dropped.
//
// A session no connection uses any more is kept for a while, then forgotten. A
// client that says it continues a session this server does not hold gets it from
// the Finder (a server that stopped kept its sessions in the database), or else a
// memory that has forgotten everything: a save of a record it has not read here
// again is refused.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "server/ConnectionContext.h"

namespace kel::server {

class SessionRegistry {
public:
    using Clock = std::chrono::steady_clock;

    explicit SessionRegistry(Clock::duration keep = std::chrono::hours(8), std::size_t maxSessions = 100000);

    // Joins the logged-on `client` to the session `token`. True when the session's
    // memory was held (the client continues it); false when it starts anew.
    // `again`: the client was connected before under this token.
    bool Attach(ConnectionContext& client, std::string_view token, bool again);

    // Where a session this registry does not hold may still be: kept in the database
    // by a server that stopped. Asked only for a client that was connected before.
    using Finder = std::function<std::shared_ptr<ReadMemory>(std::string_view token, const std::string& user)>;
    void SetFinder(Finder finder);

    // Every session held, for keeping them when the server stops.
    struct Held {
        std::string token;
        std::string user;
        std::shared_ptr<ReadMemory> memory;
    };
    std::vector<Held> All() const;

    // Sessions held (in use or kept).
    std::size_t Size() const;
    // Forgets the kept sessions unused for longer than the keep time, as of `now`.
    void Sweep(Clock::time_point now);

private:
    struct Entry {
        std::string user;
        std::shared_ptr<ReadMemory> memory;
        std::optional<Clock::time_point> unusedSince;  // set once no connection holds it
    };
    void SweepLocked(Clock::time_point now);

    Finder finder_;
    const Clock::duration keep_;
    const std::size_t maxSessions_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Entry> sessions_;
};

}  // namespace kel::server
