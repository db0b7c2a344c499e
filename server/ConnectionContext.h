// What the server keeps for one client connection: the user it acts for, and the
// version of each record it has answered to this connection, so that a save of a
// record someone else changed since is refused instead of overwriting that change.
//
// The TCP listener keeps one per socket; the in-process channel one per channel.
// What a connection has read lives in a ReadMemory that a later connection of the
// same client session can take over (SessionRegistry), so that a reconnect keeps it.
// Thread-safe: the in-process tests share one between threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kel::server {

// A record's identity for the version check: a hash of its table and key text.
using RecordHash = uint64_t;
RecordHash HashRecord(std::string_view table, std::string_view key);

// Versions seen by one request: applied to the connection once the request succeeded.
using SeenVersions = std::vector<std::pair<RecordHash, int64_t>>;

// The versions one client session has read, shared by its connections.
class ReadMemory {
public:
    std::optional<int64_t> VersionOf(RecordHash record, bool& forgotten) const;
    void Remember(const SeenVersions& seen);
    void Forget(RecordHash record);
    // Everything read before is unknown here: an unknown record counts as one read
    // at another version until it is read again.
    void ForgetAll();
    // What it holds, to be kept while no server does: every version, and whether
    // some were forgotten.
    SeenVersions Versions() const;
    bool Forgotten() const;

    // Versions remembered at most; past it the oldest half is forgotten.
    static constexpr std::size_t kMaxVersions = 1 << 16;

private:
    mutable std::mutex mutex_;
    std::unordered_map<RecordHash, std::pair<int64_t, uint64_t>> versions_;  // version, when remembered
    uint64_t clock_ = 0;
    bool forgotten_ = false;
};

class ConnectionContext {
public:
    ConnectionContext() = default;  // nobody logged on yet
    explicit ConnectionContext(std::string user) : user_(std::move(user)) {}

    // The logged-on user's code; empty before a log-on.
    std::string User() const;
    // A log-on (or a refused one, with ""): versions seen by another user's requests go.
    void LogOn(std::string user);

    // What the connection knows of a record: the version it was last answered or
    // wrote, none when it never saw it. `forgotten` is set when the connection had
    // to forget versions (too many remembered), so an unknown record may be one
    // it read.
    std::optional<int64_t> VersionOf(RecordHash record, bool& forgotten) const;
    void Remember(const SeenVersions& seen);
    void Forget(RecordHash record);

    // The clerk's reason for the last refused request (UTF-8); empty after a
    // request that succeeded. Kept to kMaxReasonBytes of GBK.
    std::string Reason() const;
    void SetReason(std::string reason);
    static constexpr std::size_t kMaxReasonBytes = 255;

    // What this connection has read; a new connection of the same session shares it.
    std::shared_ptr<ReadMemory> Memory() const;
    void Continue(std::shared_ptr<ReadMemory> memory);

    static constexpr std::size_t kMaxVersions = ReadMemory::kMaxVersions;

private:
    mutable std::mutex mutex_;
    std::string user_;
    std::shared_ptr<ReadMemory> memory_ = std::make_shared<ReadMemory>();
    std::string reason_;
};

}  // namespace kel::server
