// TLS over a plain stream with OpenSSL: the Stream both ends use on Linux (the
// client in TlsClientOpenSsl.cpp, the server in server/Tls.cpp).
//
// The socket stays non-blocking; every call waits with poll() until its deadline.
// Bytes go through the socket calls of common/net/Socket.h (never a SIGPIPE).
#pragma once

#include <memory>
#include <string>

#include "common/net/Stream.h"

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace kel::net {

class OpenSslStream final : public Stream {
public:
    // A new TLS end on `plain` made from `context`. Check Ready() before use.
    OpenSslStream(std::unique_ptr<Stream> plain, SSL_CTX* context);
    ~OpenSslStream() override;  // sends close_notify when it can without waiting
    OpenSslStream(const OpenSslStream&) = delete;
    OpenSslStream& operator=(const OpenSslStream&) = delete;

    bool Ready() const { return m_ssl != nullptr; }
    SSL* Handle() const { return m_ssl; }
    // The handshake, as client or server, until done or the deadline. kChannelOk, or
    // kChannelTimeout / kChannelClosed / kChannelNotConnected with `why` in words.
    int Handshake(bool asServer, Deadline deadline, std::string& why);

    int Write(const void* first, std::size_t firstLength, const void* second, std::size_t secondLength,
              Deadline deadline) override;
    int ReadSome(void* data, std::size_t length, Deadline deadline, std::size_t& got) override;
    int WaitReadable(Deadline deadline) override;
    std::size_t Peek(void* data, std::size_t length) override;
    bool PeerClosed() override;
    int Socket() const override { return m_plain->Socket(); }

private:
    int WriteOne(const void* data, std::size_t length, Deadline deadline);

    std::unique_ptr<Stream> m_plain;
    SSL* m_ssl = nullptr;
    bool m_broken = false;  // a fatal error: no close_notify on the way out
};

// The oldest error OpenSSL has queued on this thread, in its words; clears the queue.
std::string OpenSslErrorText();

}  // namespace kel::net
