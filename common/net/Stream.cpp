#include "common/net/Stream.h"

#include <cstring>
#include <new>

#include "common/net/Socket.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace kel::net {

SocketStream::~SocketStream() {
    if (m_owner && m_fd >= 0) sock::Close(m_fd);
}

int SocketStream::Write(const void* first, std::size_t firstLength, const void* second, std::size_t secondLength,
                        Deadline deadline) {
    return WritePair(m_fd, first, firstLength, second, secondLength, deadline);
}

int SocketStream::ReadSome(void* data, std::size_t length, Deadline deadline, std::size_t& got) {
    return net::ReadSome(m_fd, data, length, deadline, got);
}

int SocketStream::WaitReadable(Deadline deadline) { return net::WaitReadable(m_fd, deadline); }

std::size_t SocketStream::Peek(void* data, std::size_t length) {
#ifdef _WIN32
    const int n = ::recv(static_cast<SOCKET>(m_fd), static_cast<char*>(data), static_cast<int>(length), MSG_PEEK);
#else
    const long n = ::recv(m_fd, data, length, MSG_PEEK | MSG_DONTWAIT);
#endif
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

bool SocketStream::PeerClosed() { return sock::PeerClosed(m_fd); }

int ReadExact(Stream& stream, void* data, std::size_t length, Deadline deadline) {
    char* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < length) {
        std::size_t got = 0;
        if (int r = stream.ReadSome(p + done, length - done, deadline, got)) return r;
        done += got;
    }
    return kChannelOk;
}

int WriteFrame(Stream& stream, const _PacketHead& head, const void* body, std::size_t length, Deadline deadline) {
    if (length > kMaxBodyBytes) return kChannelFrameTooLarge;
    if (length > 0 && body == nullptr) return kChannelSendFailed;
    char lead[kFramePrefixBytes + kFrameHeadBytes];
    EncodeFrameLead(head, length, lead);
    return stream.Write(lead, sizeof lead, body, length, deadline);
}

int ReadFrame(Stream& stream, _PacketHead& head, std::vector<char>& body, Deadline deadline) {
    char prefix[kFramePrefixBytes];
    if (int r = ReadExact(stream, prefix, sizeof prefix, deadline)) return r;
    const std::uint32_t n = DecodeFrameLength(prefix);
    // Checked before anything is allocated: a lying length costs nothing.
    if (int r = CheckFrameLength(n)) return r;
    _PacketHead answer{};
    if (int r = ReadExact(stream, &answer, kFrameHeadBytes, deadline)) return r;
    std::vector<char> data;
    try {
        data.resize(n - kFrameHeadBytes);
    } catch (const std::bad_alloc&) {
        return kChannelNoMemory;
    }
    if (int r = ReadExact(stream, data.data(), data.size(), deadline)) return r;
    head = answer;
    body.swap(data);
    return kChannelOk;
}

}  // namespace kel::net
