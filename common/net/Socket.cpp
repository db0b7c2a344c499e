#include "common/net/Socket.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

namespace kel::net::sock {

#ifdef _WIN32

namespace {

// Winsock wants starting once per process before the first call; it stays up.
bool Started() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

struct ErrorPair {
    int wsa;
    int error;
    const char* text;  // when the system's message table has none (Wine's lacks some)
};

constexpr ErrorPair kErrors[] = {
    {WSAEWOULDBLOCK, EWOULDBLOCK, "Resource temporarily unavailable"},
    {WSAEINPROGRESS, EINPROGRESS, "Operation now in progress"},
    {WSAEINTR, EINTR, "Interrupted function call"},
    {WSAECONNRESET, ECONNRESET, "Connection reset by peer"},
    {WSAECONNABORTED, ECONNABORTED, "Software caused connection abort"},
    {WSAECONNREFUSED, ECONNREFUSED, "Connection refused"},
    {WSAENOTCONN, ENOTCONN, "Socket is not connected"},
    {WSAESHUTDOWN, EPIPE, "Cannot send after socket shutdown"},
    {WSAETIMEDOUT, ETIMEDOUT, "Connection timed out"},
    {WSAENETUNREACH, ENETUNREACH, "Network is unreachable"},
    {WSAEHOSTUNREACH, EHOSTUNREACH, "No route to host"},
    {WSAEADDRNOTAVAIL, EADDRNOTAVAIL, "Cannot assign requested address"},
    {WSAEAFNOSUPPORT, EAFNOSUPPORT, "Address family not supported by protocol family"},
    {WSAENOTSOCK, ENOTSOCK, "Socket operation on nonsocket"},
    {WSAEMFILE, EMFILE, "Too many open files"},
    {WSAENOBUFS, ENOBUFS, "No buffer space available"},
};

int ToErrno(int wsa) {
    for (const ErrorPair& p : kErrors)
        if (p.wsa == wsa) return p.error;
    return EIO;
}

// The Winsock code behind an errno value of ours, or the code itself when it is
// one (SO_ERROR gives them raw); 0 when none.
int ToWsa(int error) {
    if (error >= WSABASEERR) return error;
    for (const ErrorPair& p : kErrors)
        if (p.error == error) return p.wsa;
    return 0;
}

// The system's own text for a Winsock code, in the user's language, as UTF-8; empty
// when it has none. (The C runtime knows no socket errors: "Unknown error".)
std::string SystemText(int wsa) {
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, static_cast<DWORD>(wsa), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string utf8;
    if (length > 0 && text) {
        DWORD n = length;
        while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n' || text[n - 1] == L' ')) --n;
        const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
        utf8.resize(static_cast<size_t>(bytes > 0 ? bytes : 0));
        if (bytes > 0)
            ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), utf8.data(), bytes, nullptr, nullptr);
    }
    if (text) ::LocalFree(text);
    return utf8;
}

}  // namespace

int OpenStream(int family) {
    if (!Started()) {
        WSASetLastError(WSANOTINITIALISED);
        return -1;
    }
    const SOCKET s = ::socket(family, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return -1;
    u_long on = 1;
    if (::ioctlsocket(s, FIONBIO, &on) != 0) {
        ::closesocket(s);
        return -1;
    }
    ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    return static_cast<int>(s);  // socket handles are small numbers on a 32-bit process
}

void Close(int fd) { ::closesocket(static_cast<SOCKET>(fd)); }

int LastError() { return ToErrno(WSAGetLastError()); }

long Send(int fd, const void* data, std::size_t length) {
    const int n = static_cast<int>(length > 0x7FFFFFFF ? 0x7FFFFFFF : length);
    return ::send(static_cast<SOCKET>(fd), static_cast<const char*>(data), n, 0);
}

long Recv(int fd, void* data, std::size_t length) {
    const int n = static_cast<int>(length > 0x7FFFFFFF ? 0x7FFFFFFF : length);
    return ::recv(static_cast<SOCKET>(fd), static_cast<char*>(data), n, 0);
}

bool PeerClosed(int fd) {
    if (Poll(fd, kReadable, 0) != 1) return false;
    char byte;
    const int n = ::recv(static_cast<SOCKET>(fd), &byte, 1, MSG_PEEK);
    return n == 0 || (n < 0 && LastError() != EWOULDBLOCK);
}

long SendPair(int fd, const void* first, std::size_t firstLength, const void* second, std::size_t secondLength) {
    WSABUF parts[2];
    parts[0].buf = const_cast<char*>(static_cast<const char*>(first));
    parts[0].len = static_cast<ULONG>(firstLength > 0x7FFFFFFF ? 0x7FFFFFFF : firstLength);
    parts[1].buf = const_cast<char*>(static_cast<const char*>(second));
    parts[1].len =
        static_cast<ULONG>(secondLength > 0x7FFFFFFF - parts[0].len ? 0x7FFFFFFF - parts[0].len : secondLength);
    DWORD sent = 0;
    if (::WSASend(static_cast<SOCKET>(fd), parts, 2, &sent, 0, nullptr, nullptr) != 0) return -1;
    return static_cast<long>(sent);
}

int Poll(int fd, Wait what, int ms) {
    WSAPOLLFD p{};
    p.fd = static_cast<SOCKET>(fd);
    p.events = what == kReadable ? POLLRDNORM : POLLWRNORM;
    const int n = ::WSAPoll(&p, 1, ms);
    if (n > 0) return (p.revents & POLLNVAL) ? -2 : 1;
    return n == 0 ? 0 : -1;
}

#else

int OpenStream(int family) { return ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP); }

void Close(int fd) { ::close(fd); }

int LastError() { return errno; }

long Send(int fd, const void* data, std::size_t length) {
    return ::send(fd, data, length, MSG_NOSIGNAL | MSG_DONTWAIT);
}

long Recv(int fd, void* data, std::size_t length) { return ::recv(fd, data, length, MSG_DONTWAIT); }

bool PeerClosed(int fd) {
    if (Poll(fd, kReadable, 0) != 1) return false;
    char byte;
    const long n = ::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

long SendPair(int fd, const void* first, std::size_t firstLength, const void* second, std::size_t secondLength) {
    iovec parts[2] = {{const_cast<void*>(first), firstLength}, {const_cast<void*>(second), secondLength}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = 2;
    return ::sendmsg(fd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
}

int Poll(int fd, Wait what, int ms) {
    pollfd p{fd, static_cast<short>(what == kReadable ? POLLIN : POLLOUT), 0};
    const int n = ::poll(&p, 1, ms);
    if (n > 0) return (p.revents & POLLNVAL) ? -2 : 1;
    return n == 0 ? 0 : -1;
}

#endif

std::string ErrorText(int error) {
#ifdef _WIN32
    if (const int wsa = ToWsa(error)) {
        std::string text = SystemText(wsa);
        if (!text.empty()) return text;
        for (const ErrorPair& p : kErrors)
            if (p.wsa == wsa) return p.text;
        return "Windows Sockets error " + std::to_string(wsa);
    }
#endif
    return std::generic_category().message(error);
}

}  // namespace kel::net::sock
