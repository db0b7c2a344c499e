// TLS over a connected plain stream with the system's own TLS (Windows, SChannel
// through secur32), so that Kelmor.dll carries no crypto library of its own.
//
// SChannel is told to leave the server's certificate alone (manual validation): the
// handshake only makes the connection, and the caller checks the certificate
// (TlsClientSchannel.cpp) before anything of its own goes out.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "common/net/Stream.h"

struct _CERT_CONTEXT;

namespace kel::net {

class SchannelStream final : public Stream {
public:
    // Shakes hands over `plain` with `host` (the name SChannel sends to the server)
    // before the deadline. On success the stream owns `plain`; on failure `plain` is
    // left where it was, `error` is a kel::ChannelError code and `why` says what
    // went wrong, for a person.
    static std::unique_ptr<SchannelStream> Handshake(std::unique_ptr<Stream>& plain, const std::string& host,
                                                     Deadline deadline, int& error, std::string& why);
    ~SchannelStream() override;  // tells the server the end is meant, when the socket takes it
    SchannelStream(const SchannelStream&) = delete;
    SchannelStream& operator=(const SchannelStream&) = delete;

    // The server's certificate with the ones it sent along in its store; the
    // caller frees it (CertFreeCertificateContext). Null when there is none.
    const _CERT_CONTEXT* ServerCertificate() const;

    // Stream
    int Write(const void* first, std::size_t firstLength, const void* second, std::size_t secondLength,
              Deadline deadline) override;
    int ReadSome(void* data, std::size_t length, Deadline deadline, std::size_t& got) override;
    int WaitReadable(Deadline deadline) override;
    std::size_t Peek(void* data, std::size_t length) override;
    // Reads only what has already arrived: a closing notice or the end of the stream
    // count, messages of the TLS layer itself (session tickets) do not.
    bool PeerClosed() override;
    int Socket() const override { return m_plain->Socket(); }

    struct Session;

private:
    SchannelStream(std::unique_ptr<Session> session, std::unique_ptr<Stream> plain);
    // Decrypts what has arrived until there is clear text, reading more (until the
    // deadline) when a record is incomplete.
    int Decrypt(Deadline deadline);

    std::unique_ptr<Session> m_session;
    std::unique_ptr<Stream> m_plain;
};

}  // namespace kel::net
