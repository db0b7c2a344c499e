#include "server/RequestReader.h"

#include <algorithm>
#include <cstring>
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
    // Length and head in one read where they have arrived together: every frame is at
    // least that long, so nothing of a following frame is taken.
    unsigned char lead[kel::net::kFramePrefixBytes + kel::net::kFrameHeadBytes];
    std::size_t taken = 0;
    std::uint32_t n = 0;
    while (taken < sizeof lead) {
        std::size_t got = 0;
        if (int r = kel::net::ReadSome(fd, lead + taken, sizeof lead - taken, deadline, got)) return FromChannel(r);
        const bool hadLength = taken >= kel::net::kFramePrefixBytes;
        taken += got;
        if (!hadLength && taken >= kel::net::kFramePrefixBytes) {
            n = std::uint32_t{lead[0]} | std::uint32_t{lead[1]} << 8 | std::uint32_t{lead[2]} << 16 |
                std::uint32_t{lead[3]} << 24;
            // Judged as soon as it is there: a client that sent a bad length is not waited for.
            if (kel::net::CheckFrameLength(n) != kChannelOk) return ReadOutcome::kBadLength;
        }
    }
    _PacketHead h{};
    std::memcpy(&h, lead + kel::net::kFramePrefixBytes, sizeof h);
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
