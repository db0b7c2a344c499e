// Answers of queries kept for as long as nothing has changed the store.
//
// Each answer is kept with the store's generation at the time its query began; a
// write through this server, or a commit by anyone else that the store notices
// (SQLite's data_version), moves the generation on and with it every answer kept.
// So an answer is only ever served while the data it was read from is still current.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/records/PacketHead.h"
#include "server/ConnectionContext.h"

namespace kel::server {

class AnswerCache {
public:
    static constexpr std::size_t kMaxEntries = 512;
    static constexpr std::size_t kMaxBytes = 64u << 20;
    static constexpr std::size_t kMaxEntryBytes = 4u << 20;

    // The key of a request: everything a query's answer can depend on.
    static std::string KeyOf(const _PacketHead& request, std::string_view body);

    // An answer comes with the record versions it carries, for the asking connection.
    bool Find(const std::string& key, uint64_t generation, _PacketHead& head, std::vector<char>& body,
              SeenVersions& seen);
    void Keep(std::string key, uint64_t generation, const _PacketHead& head, const std::vector<char>& body,
              SeenVersions seen);

private:
    struct Entry {
        uint64_t generation;
        _PacketHead head;
        std::vector<char> body;
        SeenVersions seen;
        std::size_t Bytes() const { return body.size() + seen.size() * sizeof(seen[0]); }
    };
    std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_;
    uint64_t generation_ = 0;  // of the entries held
    std::size_t bytes_ = 0;
};

}  // namespace kel::server
