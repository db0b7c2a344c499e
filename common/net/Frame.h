// The frame on the wire, shared by the client channel and the application server:
//
//   uint32 N (little-endian) = 24 + body length | 24-byte _PacketHead | body
//
// N above kMaxFrameBytes or below 24 is refused. Results are the kel::ChannelError
// codes of common/net/Channel.h.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/net/Channel.h"
#include "common/net/Socket.h"
#include "common/records/PacketHead.h"

namespace kel::net {

inline constexpr std::size_t kFramePrefixBytes = 4;
inline constexpr std::size_t kFrameHeadBytes = sizeof(_PacketHead);
inline constexpr std::size_t kMaxBodyBytes = kMaxFrameBytes - kFrameHeadBytes;

// ---- Pure encoding and decoding on byte buffers ----------------------------------

// Checks a length field N: kChannelOk, kChannelFrameTooLarge (N > kMaxFrameBytes)
// or kChannelReceiveFailed (N < 24, not a frame).
int CheckFrameLength(std::uint64_t n);

// Appends one whole frame to `out`. kChannelFrameTooLarge when the body does not fit
// the cap, kChannelSendFailed for a null body with a non-zero length; `out` is left
// as it was on failure.
int EncodeFrame(const _PacketHead& head, const void* body, std::size_t length, std::vector<char>& out);

struct DecodedFrame {
    _PacketHead head{};
    std::vector<char> body;
};

// Takes one frame from the front of `data`:
//   kChannelOk, consumed > 0   a whole frame was taken into `frame`;
//   kChannelOk, consumed == 0  the frame is not complete yet, `frame` untouched;
//   any other code             the length field is bad; the stream is lost.
// Only the length field is looked at before the frame is complete, so a lying
// length never causes an allocation.
int DecodeFrame(std::string_view data, DecodedFrame& frame, std::size_t& consumed);

// The length field and head that lead a frame with a body of `length` bytes.
void EncodeFrameLead(const _PacketHead& head, std::size_t length, char (&lead)[kFramePrefixBytes + kFrameHeadBytes]);
// The length field N at the front of a frame.
std::uint32_t DecodeFrameLength(const char* prefix);

// ---- Blocking I/O on a stream socket with a deadline -------------------------------
//
// The socket may be blocking or not: every call uses MSG_DONTWAIT and waits with
// poll() until the deadline. EINTR is retried, partial transfers are continued,
// writes use MSG_NOSIGNAL so a closed peer gives kChannelClosed instead of SIGPIPE.
// After any failure but the refusals listed at WriteFrame the stream position is
// unknown and the connection must be dropped.

using Clock = std::chrono::steady_clock;
using Deadline = Clock::time_point;
inline constexpr Deadline kNoDeadline = Deadline::max();

// now + ms; ms <= 0 gives a deadline that has already passed.
Deadline DeadlineAfter(int ms);

// Waits until the socket has something to read (data or end of stream).
// kChannelOk, kChannelTimeout or kChannelReceiveFailed.
int WaitReadable(int fd, Deadline deadline);
// Waits until the socket can take data (or a non-blocking connect has finished).
// kChannelOk, kChannelTimeout or kChannelSendFailed.
int WaitWritable(int fd, Deadline deadline);

int WriteAll(int fd, const void* data, std::size_t length, Deadline deadline);
int ReadExact(int fd, void* data, std::size_t length, Deadline deadline);
// Reads what has arrived, at least one byte (waiting for it) and at most `length`;
// `got` says how many.
int ReadSome(int fd, void* data, std::size_t length, Deadline deadline, std::size_t& got);

// Writes `first` and then `second` whole, starting with one gather write.
int WritePair(int fd, const void* first, std::size_t firstLength, const void* second, std::size_t secondLength,
              Deadline deadline);

// Writes one frame, length and head and body in one gather write. Refused before
// anything is written (stream still usable): kChannelFrameTooLarge,
// kChannelSendFailed for a null body with a length.
int WriteFrame(int fd, const _PacketHead& head, const void* body, std::size_t length, Deadline deadline);

// Reads one whole frame. `head` and `body` are only written on success.
int ReadFrame(int fd, _PacketHead& head, std::vector<char>& body, Deadline deadline);

// The socket calls the blocking I/O above makes: the system's (common/net/Socket.h)
// unless a test has put its own in place to choose where each write stops or to
// interrupt a wait. Errors are reported through sock::LastError as usual.
struct SocketCalls {
    long (*send)(int fd, const void* data, std::size_t length);
    long (*sendPair)(int fd, const void* first, std::size_t firstLength, const void* second, std::size_t secondLength);
    long (*recv)(int fd, void* data, std::size_t length);
    int (*poll)(int fd, sock::Wait what, int ms);
};
const SocketCalls& SystemSocketCalls();
// Puts `calls` (never null) in place for every thread and returns the ones it
// replaces. Meant for tests, between their I/O, not during it.
const SocketCalls* UseSocketCalls(const SocketCalls* calls);

// Short Chinese description of a channel result code, for messages.
std::string_view DescribeChannelError(int code);

}  // namespace kel::net
