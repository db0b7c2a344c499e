// Reading one request frame from a client socket, holding no more memory than the
// bytes that have arrived, and counting what is held in the server's accounting.
//
// Before log-on the only frame taken is a log-on of its exact size: the length and
// the head decide, before any body is read. After log-on a frame may be as long as
// the cap, but its buffer grows with the bytes received, so a client that announces
// 16 MiB and sends 28 bytes costs the server a few kilobytes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "common/net/Frame.h"
#include "common/net/Stream.h"
#include "common/records/PacketHead.h"

namespace kel::server {

// Bytes held in buffers of frames not yet whole: in all, and each connection's
// share. Bounded per connection and in all: a connection that would pass its own
// bound is refused more; where all together would pass theirs, the connection
// holding most is shut down to make room (the growing one, when that is it), so
// that a few clients sending huge frames slowly cannot take the server's memory.
class HeldBytes {
public:
    struct Limits {
        std::size_t perConnection = SIZE_MAX;
        std::size_t inAll = SIZE_MAX;
    };

    HeldBytes() = default;
    explicit HeldBytes(Limits limits) : limits_(limits) {}

    // One connection's part. While it lives, the connection (its socket `fd`) may
    // be shut down to make room for others.
    class Share {
    public:
        Share(HeldBytes& all, int fd);
        ~Share();
        Share(const Share&) = delete;
        Share& operator=(const Share&) = delete;
        std::size_t Now() const { return now_.load(); }
        // True once this connection was shut down to make room.
        bool Squeezed() const { return squeezed_.load(); }

    private:
        friend class HeldBytes;
        HeldBytes& all_;
        int fd_;
        std::atomic<std::size_t> now_{0};
        std::atomic<bool> squeezed_{false};
    };

    // Counts `n` more bytes for `share`; false when the bounds do not allow it.
    bool Grow(Share& share, std::size_t n);
    void Shrink(Share& share, std::size_t n);

    void Add(std::size_t n) {
        const std::size_t now = held_.fetch_add(n) + n;
        std::size_t peak = peak_.load();
        while (now > peak && !peak_.compare_exchange_weak(peak, now)) {
        }
    }
    void Remove(std::size_t n) { held_.fetch_sub(n); }
    std::size_t Now() const { return held_.load(); }
    std::size_t Peak() const { return peak_.load(); }
    void ResetPeak() { peak_.store(held_.load()); }

private:
    Limits limits_;
    std::atomic<std::size_t> held_{0};
    std::atomic<std::size_t> peak_{0};
    std::mutex sharesMutex_;
    std::vector<Share*> shares_;
};

// What a frame must be to be read at all. Zero: anything within the cap.
struct FrameRule {
    std::uint32_t exactLength = 0;  // the length field (head + body)
    std::int16_t transCode = 0;
};

enum class ReadOutcome {
    kWhole,          // head and body read
    kRefusedAtHead,  // length or code broke the rule; `head` holds what came (if a head came)
    kBadLength,      // below a head or above the cap: not a frame
    kTimeout,
    kClosed,
    kFailed,
    kNoMemory,
    kOverBound,  // the frame would hold more than the bounds allow (HeldBytes)
};

// Reads one frame. `body` is replaced by a fresh buffer on kWhole; on anything else
// the stream position is lost and the connection must be dropped.
// With `share`, the buffer is held within the bounds of `held`.
ReadOutcome ReadRequest(kel::net::Stream& stream, const FrameRule& rule, kel::net::Deadline deadline, HeldBytes& held,
                        _PacketHead& head, std::vector<char>& body, HeldBytes::Share* share = nullptr);
// The same on a plain socket.
ReadOutcome ReadRequest(int fd, const FrameRule& rule, kel::net::Deadline deadline, HeldBytes& held, _PacketHead& head,
                        std::vector<char>& body, HeldBytes::Share* share = nullptr);

// Has the allocator give frame-sized buffers their own mappings, returned to the
// system when freed: otherwise the freed buffers of closed connections stay in the
// allocator's heaps, and the process keeps far more memory than the bound allows.
// Once, at the start of the program.
void KeepLargeBuffersOutOfTheHeap();

// The first bytes a buffer gets, and the most it grows ahead of the bytes read.
inline constexpr std::size_t kReadChunkBytes = 64 * 1024;

}  // namespace kel::server
