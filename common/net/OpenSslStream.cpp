#include "common/net/OpenSslStream.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "common/net/Socket.h"

namespace kel::net {
namespace {

// The socket under the TLS records, read and written with the channel's own calls:
// never blocking, and a closed peer never raises SIGPIPE.
int SocketOf(BIO* bio) { return static_cast<int>(reinterpret_cast<std::intptr_t>(BIO_get_data(bio))); }

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

int BioWrite(BIO* bio, const char* data, std::size_t length, std::size_t* written) {
    BIO_clear_retry_flags(bio);
    const long n = sock::Send(SocketOf(bio), data, length);
    if (n > 0) {
        *written = static_cast<std::size_t>(n);
        return 1;
    }
    if (n < 0 && WouldBlock(sock::LastError())) BIO_set_retry_write(bio);
    return 0;
}

int BioRead(BIO* bio, char* data, std::size_t length, std::size_t* read) {
    BIO_clear_retry_flags(bio);
    const long n = sock::Recv(SocketOf(bio), data, length);
    if (n > 0) {
        *read = static_cast<std::size_t>(n);
        return 1;
    }
    if (n < 0 && WouldBlock(sock::LastError())) BIO_set_retry_read(bio);
    return 0;
}

long BioControl(BIO*, int command, long, void*) { return command == BIO_CTRL_FLUSH ? 1 : 0; }

int BioCreate(BIO* bio) {
    BIO_set_init(bio, 1);
    return 1;
}

BIO_METHOD* SocketMethod() {
    static BIO_METHOD* const method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "kelmor socket");
        if (!m) return m;
        BIO_meth_set_write_ex(m, BioWrite);
        BIO_meth_set_read_ex(m, BioRead);
        BIO_meth_set_ctrl(m, BioControl);
        BIO_meth_set_create(m, BioCreate);
        return m;
    }();
    return method;
}

// OpenSSL's word for a peer that hung up without close_notify.
bool UnexpectedEnd() { return ERR_GET_REASON(ERR_peek_error()) == SSL_R_UNEXPECTED_EOF_WHILE_READING; }

bool IsPeerGone(int error) {
    return error == 0 || error == ECONNRESET || error == EPIPE || error == ENOTCONN || error == ECONNABORTED;
}

}  // namespace

std::string OpenSslErrorText() {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) return {};
    const char* reason = ERR_reason_error_string(code);
    if (reason) return reason;
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

OpenSslStream::OpenSslStream(std::unique_ptr<Stream> plain, SSL_CTX* context) : m_plain(std::move(plain)) {
    BIO_METHOD* method = SocketMethod();
    if (!method || !context || !m_plain) return;
    m_ssl = SSL_new(context);
    if (!m_ssl) return;
    // Whatever has arrived is taken in one read: a frame's length, head and body
    // cost one system call, as on the plain socket, not one per record part.
    SSL_set_read_ahead(m_ssl, 1);
    BIO* bio = BIO_new(method);
    if (!bio) {
        SSL_free(m_ssl);
        m_ssl = nullptr;
        return;
    }
    BIO_set_data(bio, reinterpret_cast<void*>(static_cast<std::intptr_t>(m_plain->Socket())));
    SSL_set_bio(m_ssl, bio, bio);
}

OpenSslStream::~OpenSslStream() {
    if (!m_ssl) return;
    // Tells the peer the stream ended on purpose; no waiting for its answer.
    if (!m_broken && SSL_is_init_finished(m_ssl)) {
        ERR_clear_error();
        SSL_shutdown(m_ssl);
    }
    ERR_clear_error();
    SSL_free(m_ssl);
}

int OpenSslStream::Handshake(bool asServer, Deadline deadline, std::string& why) {
    if (!m_ssl) {
        why = "cannot make a TLS session: " + OpenSslErrorText();
        return kChannelNotConnected;
    }
    for (;;) {
        ERR_clear_error();
        errno = 0;
        const int rc = asServer ? SSL_accept(m_ssl) : SSL_connect(m_ssl);
        if (rc == 1) return kChannelOk;
        const int error = SSL_get_error(m_ssl, rc);
        const int saved = errno;
        int r = kChannelOk;
        if (error == SSL_ERROR_WANT_READ)
            r = net::WaitReadable(Socket(), deadline);
        else if (error == SSL_ERROR_WANT_WRITE)
            r = WaitWritable(Socket(), deadline);
        else {
            m_broken = true;
            const bool ended = UnexpectedEnd();
            why = OpenSslErrorText();
            if (error == SSL_ERROR_SYSCALL || error == SSL_ERROR_ZERO_RETURN || ended) {
                if (IsPeerGone(saved)) {
                    why = "the peer closed the connection";
                    return kChannelClosed;
                }
                if (why.empty()) why = sock::ErrorText(saved);
            }
            if (why.empty()) why = "handshake failed";
            return kChannelNotConnected;
        }
        if (r == kChannelTimeout) {
            m_broken = true;
            why = "the handshake did not finish in time";
            return kChannelTimeout;
        }
        if (r != kChannelOk) {
            m_broken = true;
            why = "the connection failed during the handshake";
            return kChannelNotConnected;
        }
    }
}

int OpenSslStream::WriteOne(const void* data, std::size_t length, Deadline deadline) {
    if (length == 0) return kChannelOk;
    for (;;) {
        ERR_clear_error();
        errno = 0;
        std::size_t written = 0;
        // Without partial writes, a success has taken every byte; a retry repeats the call.
        const int rc = SSL_write_ex(m_ssl, data, length, &written);
        if (rc == 1) return kChannelOk;
        const int error = SSL_get_error(m_ssl, rc);
        const int saved = errno;
        int r;
        if (error == SSL_ERROR_WANT_WRITE)
            r = WaitWritable(Socket(), deadline);
        else if (error == SSL_ERROR_WANT_READ)
            r = net::WaitReadable(Socket(), deadline);
        else {
            m_broken = true;
            ERR_clear_error();
            if (error == SSL_ERROR_ZERO_RETURN || (error == SSL_ERROR_SYSCALL && IsPeerGone(saved)))
                return kChannelClosed;
            return kChannelSendFailed;
        }
        if (r != kChannelOk) {
            m_broken = true;
            return r == kChannelTimeout ? kChannelTimeout : kChannelSendFailed;
        }
    }
}

int OpenSslStream::Write(const void* first, std::size_t firstLength, const void* second, std::size_t secondLength,
                         Deadline deadline) {
    if (!m_ssl) return kChannelNotConnected;
    // A frame that fits one record goes as one: the head never waits apart from its body.
    constexpr std::size_t kRecordBytes = 16 * 1024;
    if (firstLength + secondLength <= kRecordBytes) {
        char joined[kRecordBytes];
        if (firstLength) std::memcpy(joined, first, firstLength);
        if (secondLength) std::memcpy(joined + firstLength, second, secondLength);
        return WriteOne(joined, firstLength + secondLength, deadline);
    }
    if (int r = WriteOne(first, firstLength, deadline)) return r;
    return WriteOne(second, secondLength, deadline);
}

int OpenSslStream::ReadSome(void* data, std::size_t length, Deadline deadline, std::size_t& got) {
    got = 0;
    if (!m_ssl) return kChannelNotConnected;
    if (length == 0) return kChannelOk;
    for (;;) {
        ERR_clear_error();
        errno = 0;
        const int rc = SSL_read_ex(m_ssl, data, length, &got);
        if (rc == 1) return kChannelOk;
        got = 0;
        const int error = SSL_get_error(m_ssl, rc);
        const int saved = errno;
        int r;
        if (error == SSL_ERROR_WANT_READ)
            r = net::WaitReadable(Socket(), deadline);
        else if (error == SSL_ERROR_WANT_WRITE)
            r = WaitWritable(Socket(), deadline);
        else if (error == SSL_ERROR_ZERO_RETURN)
            return kChannelClosed;
        else {
            m_broken = true;
            const bool ended = UnexpectedEnd();
            ERR_clear_error();
            // A peer gone without close_notify is a closed connection like any other.
            if ((error == SSL_ERROR_SYSCALL && IsPeerGone(saved)) || ended) return kChannelClosed;
            return kChannelReceiveFailed;
        }
        if (r != kChannelOk) return r == kChannelTimeout ? kChannelTimeout : kChannelReceiveFailed;
    }
}

int OpenSslStream::WaitReadable(Deadline deadline) {
    if (m_ssl && SSL_has_pending(m_ssl)) return kChannelOk;
    return net::WaitReadable(Socket(), deadline);
}

std::size_t OpenSslStream::Peek(void* data, std::size_t length) {
    if (!m_ssl || length == 0) return 0;
    ERR_clear_error();
    std::size_t got = 0;
    const int rc = SSL_peek_ex(m_ssl, data, length, &got);
    if (rc != 1) {
        // Nothing to read now; a failure shows at the next read.
        SSL_get_error(m_ssl, rc);
        ERR_clear_error();
        return 0;
    }
    return got;
}

bool OpenSslStream::PeerClosed() {
    if (!m_ssl || m_broken) return true;
    if (SSL_has_pending(m_ssl)) return false;
    if (sock::Poll(Socket(), sock::kReadable, 0) != 1) return false;
    ERR_clear_error();
    errno = 0;
    char byte;
    std::size_t got = 0;
    const int rc = SSL_peek_ex(m_ssl, &byte, 1, &got);
    if (rc == 1) return false;
    const int error = SSL_get_error(m_ssl, rc);
    ERR_clear_error();
    // A record that carried no data (a key update, say) leaves the stream as it was.
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) return false;
    if (error != SSL_ERROR_ZERO_RETURN) m_broken = true;
    return true;
}

}  // namespace kel::net
