#include "common/net/SchannelStream.h"

// Winsock before windows.h, the security headers after it.
#include <winsock2.h>

#include <windows.h>

#define SECURITY_WIN32
#include <schannel.h>
#include <security.h>
#include <wincrypt.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/net/Socket.h"

namespace kel::net {

namespace {

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_MANUAL_CRED_VALIDATION;
constexpr std::size_t kReadChunk = 16 * 1024 + 512;  // one TLS record and its overhead

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

// Why the system's TLS gave up, for a person.
std::string StatusText(SECURITY_STATUS status) {
    switch (status) {
        case SEC_E_ALGORITHM_MISMATCH: return "双方没有共同支持的 TLS 版本或加密算法";
        case SEC_E_ILLEGAL_MESSAGE: return "对方的应答不是 TLS 握手（该端口可能不接受加密连接）";
        case SEC_E_INVALID_TOKEN: return "对方发来的 TLS 数据无效";
        case SEC_E_MESSAGE_ALTERED: return "TLS 数据在途中被篡改";
        case SEC_E_INTERNAL_ERROR: return "对方拒绝了握手（可能不接受这一方的 TLS 版本或加密算法）";
        case SEC_E_NO_CREDENTIALS:
        case SEC_E_SECPKG_NOT_FOUND: return "系统的 TLS (SChannel) 不可用";
        default: break;
    }
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(status), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string utf8;
    if (length > 0 && text) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
        utf8.resize(static_cast<std::size_t>(n));
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), utf8.data(), n, nullptr, nullptr);
    }
    if (text) LocalFree(text);
    while (!utf8.empty() && std::isspace(static_cast<unsigned char>(utf8.back()))) utf8.pop_back();
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
    return utf8.empty() ? std::string("错误 ") + code : utf8 + " (" + code + ")";
}

// Reads what arrives (at least a byte) onto the end of `buffer`.
int ReadMore(Stream& plain, std::vector<char>& buffer, Deadline deadline) {
    const std::size_t at = buffer.size();
    buffer.resize(at + kReadChunk);
    std::size_t got = 0;
    const int r = plain.ReadSome(buffer.data() + at, kReadChunk, deadline, got);
    buffer.resize(at + got);
    return r;
}

}  // namespace

struct SchannelStream::Session {
    CredHandle cred{};
    CtxtHandle context{};
    bool haveCred = false;
    bool haveContext = false;
    SecPkgContext_StreamSizes sizes{};
    std::wstring target;
    std::vector<char> incoming;  // received, not yet decrypted
    std::vector<char> plain;     // decrypted, not yet read
    std::size_t plainAt = 0;
    bool closed = false;  // the server ended the session

    ~Session() {
        if (haveContext) DeleteSecurityContext(&context);
        if (haveCred) FreeCredentialsHandle(&cred);
    }

    // Runs the handshake (`fresh`), or a message of the TLS layer that came after
    // it, on what has arrived in `incoming`, reading more as needed; SEC_E_OK when
    // done. `io` is the transport's failure, if that is what stopped it. Bytes that
    // follow the handshake stay in `incoming`.
    SECURITY_STATUS Shake(Stream& stream, Deadline deadline, bool fresh, int& io) {
        io = kChannelOk;
        for (;;) {
            SecBuffer in[2] = {{static_cast<ULONG>(incoming.size()), SECBUFFER_TOKEN, incoming.data()},
                               {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
            SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
            SecBufferDesc outDesc{SECBUFFER_VERSION, 1, out};
            ULONG attributes = 0;
            const SECURITY_STATUS status = InitializeSecurityContextW(
                &cred, fresh ? nullptr : &context, target.data(), kContextFlags, 0, 0, fresh ? nullptr : &inDesc, 0,
                fresh ? &context : nullptr, &outDesc, &attributes, nullptr);
            if (fresh) haveContext = status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED;
            fresh = false;
            if (out[0].pvBuffer) {
                if (out[0].cbBuffer > 0) io = stream.Write(out[0].pvBuffer, out[0].cbBuffer, nullptr, 0, deadline);
                FreeContextBuffer(out[0].pvBuffer);
                if (io != kChannelOk) return SEC_E_INTERNAL_ERROR;
            }
            if (status == SEC_E_INCOMPLETE_MESSAGE) {
                if ((io = ReadMore(stream, incoming, deadline)) != kChannelOk) return SEC_E_INTERNAL_ERROR;
                continue;
            }
            if (in[1].BufferType == SECBUFFER_EXTRA && in[1].cbBuffer > 0)
                incoming.erase(incoming.begin(), incoming.end() - in[1].cbBuffer);
            else
                incoming.clear();
            if (status != SEC_I_CONTINUE_NEEDED && status != SEC_I_INCOMPLETE_CREDENTIALS) return status;
            if (incoming.empty() && (io = ReadMore(stream, incoming, deadline)) != kChannelOk)
                return SEC_E_INTERNAL_ERROR;
        }
    }
};

SchannelStream::SchannelStream(std::unique_ptr<Session> session, std::unique_ptr<Stream> plain)
    : m_session(std::move(session)), m_plain(std::move(plain)) {}

std::unique_ptr<SchannelStream> SchannelStream::Handshake(std::unique_ptr<Stream>& plain, const std::string& host,
                                                          Deadline deadline, int& error, std::string& why) {
    auto session = std::make_unique<Session>();
    error = kChannelNotConnected;
    SCHANNEL_CRED credentials{};
    credentials.dwVersion = SCHANNEL_CRED_VERSION;
    // The certificate is the caller's to check, not the system trust list's. The
    // versions are the system's choice (naming TLS 1.3 here makes older systems
    // refuse the credentials); anything before TLS 1.2 is refused below.
    credentials.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    TimeStamp expiry{};
    SECURITY_STATUS status =
        AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr,
                                  &credentials, nullptr, nullptr, &session->cred, &expiry);
    if (status != SEC_E_OK) {
        why = "TLS 握手失败（" + StatusText(status) + "）";
        return nullptr;
    }
    session->haveCred = true;
    session->target = Wide(host);

    int io = kChannelOk;
    status = session->Shake(*plain, deadline, true, io);
    if (io != kChannelOk) {
        error = io;
        why = io == kChannelClosed    ? "服务器在握手时断开了连接（该端口可能不接受加密连接）"
              : io == kChannelTimeout ? "TLS 握手超时"
                                      : "TLS 握手失败（" + std::string(DescribeChannelError(io)) + "）";
        return nullptr;
    }
    if (status != SEC_E_OK) {
        why = "TLS 握手失败（" + StatusText(status) + "）";
        return nullptr;
    }
    SecPkgContext_ConnectionInfo connection{};
    if (QueryContextAttributesW(&session->context, SECPKG_ATTR_CONNECTION_INFO, &connection) == SEC_E_OK &&
        (connection.dwProtocol & (SP_PROT_SSL2 | SP_PROT_SSL3 | SP_PROT_TLS1_0 | SP_PROT_TLS1_1))) {
        why = "服务器只提供 TLS 1.2 以前的版本";
        return nullptr;
    }
    if (QueryContextAttributesW(&session->context, SECPKG_ATTR_STREAM_SIZES, &session->sizes) != SEC_E_OK) {
        why = "TLS 握手失败（无法取得记录大小）";
        return nullptr;
    }
    error = kChannelOk;
    return std::unique_ptr<SchannelStream>(new SchannelStream(std::move(session), std::move(plain)));
}

SchannelStream::~SchannelStream() {
    Session& s = *m_session;
    if (s.closed) return;
    DWORD type = SCHANNEL_SHUTDOWN;
    SecBuffer token{sizeof type, SECBUFFER_TOKEN, &type};
    SecBufferDesc desc{SECBUFFER_VERSION, 1, &token};
    if (ApplyControlToken(&s.context, &desc) != SEC_E_OK) return;
    SecBuffer out{0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &out};
    ULONG attributes = 0;
    InitializeSecurityContextW(&s.cred, &s.context, s.target.data(), kContextFlags, 0, 0, nullptr, 0, nullptr, &outDesc,
                               &attributes, nullptr);
    if (out.pvBuffer) {
        if (out.cbBuffer > 0) m_plain->Write(out.pvBuffer, out.cbBuffer, nullptr, 0, DeadlineAfter(0));
        FreeContextBuffer(out.pvBuffer);
    }
}

const _CERT_CONTEXT* SchannelStream::ServerCertificate() const {
    PCCERT_CONTEXT certificate = nullptr;
    if (QueryContextAttributesW(&m_session->context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate) != SEC_E_OK)
        return nullptr;
    return certificate;
}

int SchannelStream::Write(const void* first, std::size_t firstLength, const void* second, std::size_t secondLength,
                          Deadline deadline) {
    Session& s = *m_session;
    if (s.closed) return kChannelClosed;
    // The two pieces as one stream of clear text, cut into records; a frame that
    // fits one record goes out as one.
    const std::size_t total = firstLength + secondLength;
    std::vector<char> record;
    for (std::size_t done = 0; done < total;) {
        const std::size_t n = std::min<std::size_t>(total - done, s.sizes.cbMaximumMessage);
        record.assign(s.sizes.cbHeader + n + s.sizes.cbTrailer, '\0');
        char* data = record.data() + s.sizes.cbHeader;
        for (std::size_t i = 0; i < n;) {
            const std::size_t at = done + i;
            const bool inFirst = at < firstLength;
            const char* from =
                inFirst ? static_cast<const char*>(first) + at : static_cast<const char*>(second) + (at - firstLength);
            const std::size_t take = std::min(n - i, inFirst ? firstLength - at : total - at);
            std::memcpy(data + i, from, take);
            i += take;
        }
        SecBuffer b[4] = {{s.sizes.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
                          {static_cast<ULONG>(n), SECBUFFER_DATA, data},
                          {s.sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, data + n},
                          {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, b};
        if (EncryptMessage(&s.context, 0, &desc, 0) != SEC_E_OK) return kChannelSendFailed;
        // The pieces as the system sized them, one after the other.
        std::size_t length = 0;
        for (int i = 0; i < 3; ++i) {
            std::memmove(record.data() + length, b[i].pvBuffer, b[i].cbBuffer);
            length += b[i].cbBuffer;
        }
        if (int r = m_plain->Write(record.data(), length, nullptr, 0, deadline)) return r;
        done += n;
    }
    return kChannelOk;
}

int SchannelStream::Decrypt(Deadline deadline) {
    Session& s = *m_session;
    for (;;) {
        if (s.plainAt < s.plain.size()) return kChannelOk;
        if (s.closed) return kChannelClosed;
        if (!s.incoming.empty()) {
            SecBuffer b[4] = {{static_cast<ULONG>(s.incoming.size()), SECBUFFER_DATA, s.incoming.data()},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr},
                              {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc desc{SECBUFFER_VERSION, 4, b};
            const SECURITY_STATUS status = DecryptMessage(&s.context, &desc, 0, nullptr);
            if (status == SEC_E_INCOMPLETE_MESSAGE) {
                if (int r = ReadMore(*m_plain, s.incoming, deadline)) return r;
                continue;
            }
            if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE && status != SEC_I_CONTEXT_EXPIRED)
                return kChannelReceiveFailed;
            s.plain.clear();
            s.plainAt = 0;
            std::vector<char> extra;
            for (const SecBuffer& x : b) {
                if (x.BufferType == SECBUFFER_DATA && x.cbBuffer > 0)
                    s.plain.assign(static_cast<char*>(x.pvBuffer), static_cast<char*>(x.pvBuffer) + x.cbBuffer);
                if (x.BufferType == SECBUFFER_EXTRA && x.cbBuffer > 0)
                    extra.assign(s.incoming.end() - x.cbBuffer, s.incoming.end());
            }
            s.incoming.swap(extra);
            if (status == SEC_I_CONTEXT_EXPIRED) s.closed = true;  // the server's closing notice
            if (status == SEC_I_RENEGOTIATE) {
                // A message of the TLS layer after the handshake (session tickets,
                // a key update) goes back to the handshake code.
                int io = kChannelOk;
                if (s.Shake(*m_plain, deadline, false, io) != SEC_E_OK) return io ? io : kChannelReceiveFailed;
            }
            continue;
        }
        if (int r = ReadMore(*m_plain, s.incoming, deadline)) return r;
    }
}

int SchannelStream::ReadSome(void* data, std::size_t length, Deadline deadline, std::size_t& got) {
    got = 0;
    if (length == 0) return kChannelOk;
    if (int r = Decrypt(deadline)) return r;
    Session& s = *m_session;
    got = std::min(length, s.plain.size() - s.plainAt);
    std::memcpy(data, s.plain.data() + s.plainAt, got);
    s.plainAt += got;
    return kChannelOk;
}

int SchannelStream::WaitReadable(Deadline deadline) {
    const int r = Decrypt(deadline);
    if (r == kChannelOk || r == kChannelClosed) return kChannelOk;  // a read returns at once
    return r == kChannelTimeout ? r : kChannelReceiveFailed;
}

std::size_t SchannelStream::Peek(void* data, std::size_t length) {
    Session& s = *m_session;
    if (s.plainAt == s.plain.size()) Decrypt(DeadlineAfter(0));  // what has arrived, without waiting
    const std::size_t n = std::min(length, s.plain.size() - s.plainAt);
    std::memcpy(data, s.plain.data() + s.plainAt, n);
    return n;
}

bool SchannelStream::PeerClosed() {
    Session& s = *m_session;
    if (s.plainAt < s.plain.size()) return false;
    if (s.closed) return true;
    if (sock::Poll(Socket(), sock::kReadable, 0) != 1) return false;
    // Something came while idle: a closing notice, the end of the stream, or
    // messages of the TLS layer itself that are no reason to go.
    const int r = Decrypt(DeadlineAfter(0));
    return r != kChannelOk && r != kChannelTimeout;
}

}  // namespace kel::net
