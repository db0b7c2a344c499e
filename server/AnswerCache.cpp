#include "server/AnswerCache.h"

#include <cstring>

namespace kel::server {

std::string AnswerCache::KeyOf(const _PacketHead& request, std::string_view body) {
    std::string key(8, '\0');
    std::memcpy(key.data(), &request.nTransCode, 2);
    std::memcpy(key.data() + 2, &request.nCount, 2);
    std::memcpy(key.data() + 4, &request.nOperation, 4);
    key.append(body);
    return key;
}

bool AnswerCache::Find(const std::string& key, uint64_t generation, _PacketHead& head, std::vector<char>& body,
                       SeenVersions& seen) {
    std::lock_guard lock(mutex_);
    if (generation != generation_) return false;
    const auto it = entries_.find(key);
    if (it == entries_.end()) return false;
    head = it->second.head;
    body = it->second.body;
    seen = it->second.seen;
    return true;
}

void AnswerCache::Keep(std::string key, uint64_t generation, const _PacketHead& head, const std::vector<char>& body,
                       SeenVersions seen) {
    Entry entry{generation, head, body, std::move(seen)};
    const std::size_t size = entry.Bytes();
    if (size > kMaxEntryBytes) return;
    std::lock_guard lock(mutex_);
    if (generation < generation_) return;  // read before a change the cache has already seen
    if (generation > generation_) {
        entries_.clear();
        bytes_ = 0;
        generation_ = generation;
    }
    if (const auto it = entries_.find(key); it != entries_.end()) {
        bytes_ -= it->second.Bytes();
        entries_.erase(it);
    }
    if (entries_.size() >= kMaxEntries || bytes_ + size > kMaxBytes) return;
    bytes_ += size;
    entries_.emplace(std::move(key), std::move(entry));
}

}  // namespace kel::server
