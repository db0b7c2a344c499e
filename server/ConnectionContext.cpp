#include "server/ConnectionContext.h"

#include <algorithm>
#include <functional>

#include "common/text/GbkText.h"

namespace kel::server {

RecordHash HashRecord(std::string_view table, std::string_view key) {
    std::string text;
    text.reserve(table.size() + 1 + key.size());
    text.append(table).append(1, '\0').append(key);
    return std::hash<std::string>{}(text);
}

std::optional<int64_t> ReadMemory::VersionOf(RecordHash record, bool& forgotten) const {
    std::lock_guard lock(mutex_);
    forgotten = forgotten_;
    const auto it = versions_.find(record);
    if (it == versions_.end()) return std::nullopt;
    return it->second.first;
}

void ReadMemory::Remember(const SeenVersions& seen) {
    std::lock_guard lock(mutex_);
    ++clock_;
    for (const auto& [record, version] : seen) versions_[record] = {version, clock_};
    if (versions_.size() <= kMaxVersions) return;
    // Keep the newer half: what was read last is what the user is editing.
    std::vector<uint64_t> ages;
    ages.reserve(versions_.size());
    for (const auto& [record, entry] : versions_) ages.push_back(entry.second);
    auto middle = ages.begin() + static_cast<std::ptrdiff_t>(ages.size() / 2);
    std::nth_element(ages.begin(), middle, ages.end());
    const uint64_t cut = *middle;
    std::erase_if(versions_, [cut](const auto& e) { return e.second.second < cut; });
    forgotten_ = true;
}

void ReadMemory::Forget(RecordHash record) {
    std::lock_guard lock(mutex_);
    versions_.erase(record);
}

std::string ConnectionContext::Reason() const {
    std::lock_guard lock(mutex_);
    return reason_;
}

void ConnectionContext::SetReason(std::string reason) {
    // A reason that does not fit (or holds what GBK cannot say) is cut, never dropped.
    auto cut = kel::text::CutToGbkBytes(reason, kMaxReasonBytes);
    std::lock_guard lock(mutex_);
    reason_ = cut ? std::move(*cut) : std::string();
}

void ReadMemory::ForgetAll() {
    std::lock_guard lock(mutex_);
    versions_.clear();
    forgotten_ = true;
}

SeenVersions ReadMemory::Versions() const {
    std::lock_guard lock(mutex_);
    SeenVersions all;
    all.reserve(versions_.size());
    for (const auto& [record, entry] : versions_) all.emplace_back(record, entry.first);
    return all;
}

bool ReadMemory::Forgotten() const {
    std::lock_guard lock(mutex_);
    return forgotten_;
}

std::string ConnectionContext::User() const {
    std::lock_guard lock(mutex_);
    return user_;
}

void ConnectionContext::LogOn(std::string user) {
    std::lock_guard lock(mutex_);
    if (user != user_) memory_ = std::make_shared<ReadMemory>();
    user_ = std::move(user);
}

std::optional<int64_t> ConnectionContext::VersionOf(RecordHash record, bool& forgotten) const {
    return Memory()->VersionOf(record, forgotten);
}

void ConnectionContext::Remember(const SeenVersions& seen) { Memory()->Remember(seen); }

void ConnectionContext::Forget(RecordHash record) { Memory()->Forget(record); }

std::shared_ptr<ReadMemory> ConnectionContext::Memory() const {
    std::lock_guard lock(mutex_);
    return memory_;
}

void ConnectionContext::Continue(std::shared_ptr<ReadMemory> memory) {
    std::lock_guard lock(mutex_);
    if (memory) memory_ = std::move(memory);
}

}  // namespace kel::server
