#include "common/net/Frame.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

#include "common/net/Socket.h"

namespace kel::net {

// The head travels as the packed struct's bytes; its fields are little-endian.
static_assert(std::endian::native == std::endian::little,
              "the packet head is copied byte for byte and must be little-endian");

namespace {

std::uint32_t LoadLength(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[3]} << 24;
}

void StoreLength(std::uint32_t n, char* p) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
}

// Milliseconds for poll(): -1 without a deadline, 0 once it has passed, rounded up
// so that poll never wakes just before the deadline and spins.
int PollTimeout(Deadline deadline) {
    if (deadline == kNoDeadline) return -1;
    const auto now = Clock::now();
    if (now >= deadline) return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return static_cast<int>(std::min<long long>(ms, INT_MAX));
}

const SocketCalls kSystemCalls{&sock::Send, &sock::SendPair, &sock::Recv, &sock::Poll};
std::atomic<const SocketCalls*> g_calls{&kSystemCalls};

const SocketCalls& Calls() { return *g_calls.load(std::memory_order_acquire); }

// Waits for `what`. Errors and hang-ups count as ready: the next recv/send reports them.
int WaitFor(int fd, sock::Wait what, Deadline deadline, int failure) {
    for (;;) {
        const int ms = PollTimeout(deadline);
        if (ms == 0) return kChannelTimeout;
        const int n = Calls().poll(fd, what, ms);
        if (n > 0) return kChannelOk;
        if (n == -2 || (n == -1 && sock::LastError() != EINTR)) return failure;
        // Timed out or interrupted: the loop re-checks the clock.
    }
}

bool IsPeerGone(int error) {
    return error == ECONNRESET || error == EPIPE || error == ENOTCONN || error == ECONNABORTED;
}

}  // namespace

const SocketCalls& SystemSocketCalls() { return kSystemCalls; }

const SocketCalls* UseSocketCalls(const SocketCalls* calls) {
    return g_calls.exchange(calls, std::memory_order_acq_rel);
}

int CheckFrameLength(std::uint64_t n) {
    if (n > kMaxFrameBytes) return kChannelFrameTooLarge;
    if (n < kFrameHeadBytes) return kChannelReceiveFailed;
    return kChannelOk;
}

int EncodeFrame(const _PacketHead& head, const void* body, std::size_t length, std::vector<char>& out) {
    if (length > kMaxBodyBytes) return kChannelFrameTooLarge;
    if (length > 0 && body == nullptr) return kChannelSendFailed;
    const std::size_t start = out.size();
    try {
        out.resize(start + kFramePrefixBytes + kFrameHeadBytes + length);
    } catch (const std::bad_alloc&) {
        return kChannelNoMemory;
    }
    char* p = out.data() + start;
    StoreLength(static_cast<std::uint32_t>(kFrameHeadBytes + length), p);
    std::memcpy(p + kFramePrefixBytes, &head, kFrameHeadBytes);
    if (length > 0) std::memcpy(p + kFramePrefixBytes + kFrameHeadBytes, body, length);
    return kChannelOk;
}

int DecodeFrame(std::string_view data, DecodedFrame& frame, std::size_t& consumed) {
    consumed = 0;
    if (data.size() < kFramePrefixBytes) return kChannelOk;
    const std::uint32_t n = LoadLength(data.data());
    if (int r = CheckFrameLength(n)) return r;
    if (data.size() - kFramePrefixBytes < n) return kChannelOk;
    const char* head = data.data() + kFramePrefixBytes;
    try {
        frame.body.assign(head + kFrameHeadBytes, head + n);
    } catch (const std::bad_alloc&) {
        return kChannelNoMemory;
    }
    std::memcpy(&frame.head, head, kFrameHeadBytes);
    consumed = kFramePrefixBytes + n;
    return kChannelOk;
}

Deadline DeadlineAfter(int ms) { return Clock::now() + std::chrono::milliseconds(std::max(ms, 0)); }

int WaitReadable(int fd, Deadline deadline) { return WaitFor(fd, sock::kReadable, deadline, kChannelReceiveFailed); }

int WaitWritable(int fd, Deadline deadline) { return WaitFor(fd, sock::kWritable, deadline, kChannelSendFailed); }

int WriteAll(int fd, const void* data, std::size_t length, Deadline deadline) {
    const char* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < length) {
        const long n = Calls().send(fd, p + done, length - done);
        const int error = n < 0 ? sock::LastError() : 0;
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && error == EINTR) {
            continue;
        } else if (n < 0 && (error == EAGAIN || error == EWOULDBLOCK)) {
            if (int r = WaitFor(fd, sock::kWritable, deadline, kChannelSendFailed)) return r;
        } else {
            return (n < 0 && IsPeerGone(error)) ? kChannelClosed : kChannelSendFailed;
        }
    }
    return kChannelOk;
}

int ReadSome(int fd, void* data, std::size_t length, Deadline deadline, std::size_t& got) {
    got = 0;
    if (length == 0) return kChannelOk;
    for (;;) {
        const long n = Calls().recv(fd, data, length);
        const int error = n < 0 ? sock::LastError() : 0;
        if (n > 0) {
            got = static_cast<std::size_t>(n);
            return kChannelOk;
        }
        if (n == 0) return kChannelClosed;
        if (error == EINTR) continue;
        if (error != EAGAIN && error != EWOULDBLOCK) return IsPeerGone(error) ? kChannelClosed : kChannelReceiveFailed;
        if (int r = WaitFor(fd, sock::kReadable, deadline, kChannelReceiveFailed)) return r;
    }
}

int ReadExact(int fd, void* data, std::size_t length, Deadline deadline) {
    char* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < length) {
        std::size_t got = 0;
        if (int r = ReadSome(fd, p + done, length - done, deadline, got)) return r;
        done += got;
    }
    return kChannelOk;
}

int WritePair(int fd, const void* first, std::size_t firstLength, const void* second, std::size_t secondLength,
              Deadline deadline) {
    const char* lead = static_cast<const char*>(first);
    std::size_t leadDone = 0;
    while (leadDone < firstLength) {
        const long n = Calls().sendPair(fd, lead + leadDone, firstLength - leadDone, second, secondLength);
        const int error = n < 0 ? sock::LastError() : 0;
        if (n > 0) {
            const std::size_t sent = static_cast<std::size_t>(n);
            if (sent < firstLength - leadDone) {
                leadDone += sent;
                continue;
            }
            const std::size_t secondDone = sent - (firstLength - leadDone);
            return WriteAll(fd, static_cast<const char*>(second) + secondDone, secondLength - secondDone, deadline);
        }
        if (n < 0 && error == EINTR) continue;
        if (n < 0 && (error == EAGAIN || error == EWOULDBLOCK)) {
            if (int r = WaitFor(fd, sock::kWritable, deadline, kChannelSendFailed)) return r;
            continue;
        }
        return (n < 0 && IsPeerGone(error)) ? kChannelClosed : kChannelSendFailed;
    }
    return WriteAll(fd, second, secondLength, deadline);
}

void EncodeFrameLead(const _PacketHead& head, std::size_t length, char (&lead)[kFramePrefixBytes + kFrameHeadBytes]) {
    StoreLength(static_cast<std::uint32_t>(kFrameHeadBytes + length), lead);
    std::memcpy(lead + kFramePrefixBytes, &head, kFrameHeadBytes);
}

std::uint32_t DecodeFrameLength(const char* prefix) { return LoadLength(prefix); }

int WriteFrame(int fd, const _PacketHead& head, const void* body, std::size_t length, Deadline deadline) {
    if (length > kMaxBodyBytes) return kChannelFrameTooLarge;
    if (length > 0 && body == nullptr) return kChannelSendFailed;
    // Length and head from the stack, the body where it lies, in one gather write: no
    // copy, and no head sent apart from its body to wait on Nagle's delay.
    char lead[kFramePrefixBytes + kFrameHeadBytes];
    EncodeFrameLead(head, length, lead);
    return WritePair(fd, lead, sizeof lead, body, length, deadline);
}

int ReadFrame(int fd, _PacketHead& head, std::vector<char>& body, Deadline deadline) {
    char prefix[kFramePrefixBytes];
    if (int r = ReadExact(fd, prefix, sizeof prefix, deadline)) return r;
    const std::uint32_t n = LoadLength(prefix);
    // Checked before anything is allocated: a lying length costs nothing.
    if (int r = CheckFrameLength(n)) return r;
    _PacketHead answer{};
    if (int r = ReadExact(fd, &answer, kFrameHeadBytes, deadline)) return r;
    std::vector<char> data;
    try {
        data.resize(n - kFrameHeadBytes);
    } catch (const std::bad_alloc&) {
        return kChannelNoMemory;
    }
    if (int r = ReadExact(fd, data.data(), data.size(), deadline)) return r;
    head = answer;
    body.swap(data);
    return kChannelOk;
}

std::string_view DescribeChannelError(int code) {
    const char* text = ChannelErrorText(code);
    return text ? text : "未知错误";
}

}  // namespace kel::net
