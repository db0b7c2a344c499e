// The byte stream a packet channel runs on: the plain socket (SocketStream), or TLS
// over that socket (TlsClient.h on the client, server/Tls.h in the server). The frame
// code reads and writes through it and never knows which one it has.
//
// Every call waits at most until its deadline. After any failure the position in the
// stream is unknown and the owner drops the stream. One thread at a time: the
// channels serialise their I/O themselves.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "common/net/Frame.h"

namespace kel::net {

class Stream {
public:
    virtual ~Stream() = default;

    // Writes `first` and then `second` whole (one gather write, or one TLS record,
    // where the stream can). kChannelOk, kChannelClosed, kChannelSendFailed, kChannelTimeout.
    virtual int Write(const void* first, std::size_t firstLength, const void* second, std::size_t secondLength,
                      Deadline deadline) = 0;
    // Reads what has arrived, at least one byte (waiting for it) and at most `length`.
    // kChannelClosed at the end of the stream.
    virtual int ReadSome(void* data, std::size_t length, Deadline deadline, std::size_t& got) = 0;
    // Waits until a read would return something (bytes, or the end of the stream).
    // kChannelOk, kChannelTimeout or kChannelReceiveFailed.
    virtual int WaitReadable(Deadline deadline) = 0;
    // Copies up to `length` bytes that can be read now without taking them; never waits.
    virtual std::size_t Peek(void* data, std::size_t length) = 0;
    // True when the peer has closed or reset an idle stream. Takes no data bytes.
    virtual bool PeerClosed() = 0;
    // The connected socket under the stream, for poll() and shutdown(); the stream owns it.
    virtual int Socket() const = 0;
};

// The plain socket: owns `fd` and closes it (unless told it belongs to someone
// else). The calls are Frame.h's, unchanged.
class SocketStream final : public Stream {
public:
    explicit SocketStream(int fd, bool owner = true) : m_fd(fd), m_owner(owner) {}
    ~SocketStream() override;
    SocketStream(const SocketStream&) = delete;
    SocketStream& operator=(const SocketStream&) = delete;

    int Write(const void* first, std::size_t firstLength, const void* second, std::size_t secondLength,
              Deadline deadline) override;
    int ReadSome(void* data, std::size_t length, Deadline deadline, std::size_t& got) override;
    int WaitReadable(Deadline deadline) override;
    std::size_t Peek(void* data, std::size_t length) override;
    bool PeerClosed() override;
    int Socket() const override { return m_fd; }

private:
    int m_fd;
    bool m_owner;
};

// The frame (Frame.h) over any stream, with the same results as the socket versions.
int ReadExact(Stream& stream, void* data, std::size_t length, Deadline deadline);
int WriteFrame(Stream& stream, const _PacketHead& head, const void* body, std::size_t length, Deadline deadline);
int ReadFrame(Stream& stream, _PacketHead& head, std::vector<char>& body, Deadline deadline);

}  // namespace kel::net
