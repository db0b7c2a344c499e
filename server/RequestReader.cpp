#include "server/RequestReader.h"

#include <malloc.h>
#include <sys/socket.h>

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

// Counts a buffer's capacity in `held` (and the connection's share) while it lives here.
class Counted {
public:
    Counted(HeldBytes& held, HeldBytes::Share* share) : held_(held), share_(share) {}
    ~Counted() { Track(0); }
    // false when the bounds refuse the growth; nothing more is counted then.
    bool Track(std::size_t capacity) {
        if (capacity > counted_) {
            const std::size_t more = capacity - counted_;
            if (!share_)
                held_.Add(more);
            else if (!held_.Grow(*share_, more))
                return false;
        } else if (capacity < counted_) {
            const std::size_t less = counted_ - capacity;
            if (share_)
                held_.Shrink(*share_, less);
            else
                held_.Remove(less);
        }
        counted_ = capacity;
        return true;
    }

private:
    HeldBytes& held_;
    HeldBytes::Share* share_;
    std::size_t counted_ = 0;
};

}  // namespace

HeldBytes::Share::Share(HeldBytes& all, int fd) : all_(all), fd_(fd) {
    std::lock_guard lock(all_.sharesMutex_);
    all_.shares_.push_back(this);
}

HeldBytes::Share::~Share() {
    std::lock_guard lock(all_.sharesMutex_);
    std::erase(all_.shares_, this);
}

bool HeldBytes::Grow(Share& share, std::size_t n) {
    if (share.now_ + n > limits_.perConnection) return false;
    if (limits_.inAll != SIZE_MAX) {
        std::lock_guard lock(sharesMutex_);
        // What connections already shut down still hold is about to be freed.
        std::size_t leaving = 0;
        Share* most = nullptr;
        for (Share* s : shares_) {
            if (s->squeezed_)
                leaving += s->now_;
            else if (s != &share && (!most || s->now_ > most->now_))
                most = s;
        }
        const std::size_t staying = held_ > leaving ? held_ - leaving : 0;
        if (staying + n > limits_.inAll) {
            if (!most || most->now_ <= share.now_ + n) return false;
            most->squeezed_ = true;
            ::shutdown(most->fd_, SHUT_RDWR);
        }
    }
    share.now_ += n;
    Add(n);
    return true;
}

void HeldBytes::Shrink(Share& share, std::size_t n) {
    share.now_ -= n;
    Remove(n);
}

void KeepLargeBuffersOutOfTheHeap() {
    // A fixed threshold also stops the allocator from raising it after each large free.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(2 * kReadChunkBytes));
}

ReadOutcome ReadRequest(int fd, const FrameRule& rule, Deadline deadline, HeldBytes& held, _PacketHead& head,
                        std::vector<char>& body, HeldBytes::Share* share) {
    kel::net::SocketStream stream(fd, false);
    return ReadRequest(stream, rule, deadline, held, head, body, share);
}

ReadOutcome ReadRequest(kel::net::Stream& stream, const FrameRule& rule, Deadline deadline, HeldBytes& held,
                        _PacketHead& head, std::vector<char>& body, HeldBytes::Share* share) {
    // Length and head in one read where they have arrived together: every frame is at
    // least that long, so nothing of a following frame is taken.
    unsigned char lead[kel::net::kFramePrefixBytes + kel::net::kFrameHeadBytes];
    std::size_t taken = 0;
    std::uint32_t n = 0;
    while (taken < sizeof lead) {
        std::size_t got = 0;
        if (int r = stream.ReadSome(lead + taken, sizeof lead - taken, deadline, got)) return FromChannel(r);
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
    Counted counted(held, share);
    try {
        while (data.size() < need) {
            // Room for the next chunk only: the announced length is a claim, the bytes are facts.
            const std::size_t have = data.size();
            const std::size_t next = std::min(need, have + kReadChunkBytes);
            if (next > data.capacity()) {
                const std::size_t room = std::min(need, std::max(next, 2 * data.capacity()));
                if (!counted.Track(room)) return ReadOutcome::kOverBound;
                data.reserve(room);
                if (data.capacity() > room) counted.Track(data.capacity());
            }
            data.resize(next);
            if (int r = kel::net::ReadExact(stream, data.data() + have, next - have, deadline)) return FromChannel(r);
        }
    } catch (const std::bad_alloc&) {
        return ReadOutcome::kNoMemory;
    }
    body.swap(data);
    return ReadOutcome::kWhole;
}

}  // namespace kel::server
