#include "server/RequestReader.h"

#include <algorithm>
#include <new>

namespace kel::server {
namespace {

using kel::net::Deadline;

ReadOutcome FromChannel(int r) {
    switch (r) {
        case kChannelOk: return ReadOutcome::kWhole;
        case kChannelTimeout: return ReadOutcome::kTimeout;
        case kChannelClosed: return ReadOutcome::kClosed;
        case kChannelNoMemory: return ReadOutcome::kNoMemory;
        default: return ReadOutcome::kFailed;
    }
}

// Counts a buffer's capacity in `held` for as long as it lives here.
class Counted {
public:
    explicit Counted(HeldBytes& held) : held_(held) {}
    ~Counted() { held_.Remove(counted_); }
    void Track(std::size_t capacity) {
        if (capacity > counted_) held_.Add(capacity - counted_);
        if (capacity < counted_) held_.Remove(counted_ - capacity);
        counted_ = capacity;
    }

private:
    HeldBytes& held_;
    std::size_t counted_ = 0;
};

}  // namespace

ReadOutcome ReadRequest(int fd, const FrameRule& rule, Deadline deadline, HeldBytes& held, _PacketHead& head,
                        std::vector<char>& body) {
    unsigned char prefix[kel::net::kFramePrefixBytes];
    if (int r = kel::net::ReadExact(fd, prefix, sizeof prefix, deadline)) return FromChannel(r);
    const std::uint32_t n = std::uint32_t{prefix[0]} | std::uint32_t{prefix[1]} << 8 | std::uint32_t{prefix[2]} << 16 |
                            std::uint32_t{prefix[3]} << 24;
    if (kel::net::CheckFrameLength(n) != kChannelOk) return ReadOutcome::kBadLength;
    _PacketHead h{};
    if (int r = kel::net::ReadExact(fd, &h, sizeof h, deadline)) return FromChannel(r);
    head = h;
    if ((rule.exactLength && n != rule.exactLength) || (rule.transCode && h.nTransCode != rule.transCode))
        return ReadOutcome::kRefusedAtHead;

    const std::size_t need = n - kel::net::kFrameHeadBytes;
    std::vector<char> data;
    Counted counted(held);
    try {
        while (data.size() < need) {
            // Room for the next chunk only: the announced length is a claim, the bytes are facts.
            const std::size_t have = data.size();
            const std::size_t next = std::min(need, have + kReadChunkBytes);
            if (next > data.capacity()) data.reserve(std::min(need, std::max(next, 2 * data.capacity())));
            counted.Track(data.capacity());
            data.resize(next);
            if (int r = kel::net::ReadExact(fd, data.data() + have, next - have, deadline)) return FromChannel(r);
        }
    } catch (const std::bad_alloc&) {
        return ReadOutcome::kNoMemory;
    }
    body.swap(data);
    return ReadOutcome::kWhole;
}

}  // namespace kel::server
