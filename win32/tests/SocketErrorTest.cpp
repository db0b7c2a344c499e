// Network errors on Windows are named by the system: the C runtime knows no socket
// errors and called every one of them "Unknown error".
#include <gtest/gtest.h>
#include <winsock2.h>

#include <cerrno>

#include "common/net/Socket.h"
#include "common/net/TcpConnect.h"

namespace {

TEST(WindowsSocketErrors, AreNamedByTheSystemWhetherGivenAsErrnoOrAsTheSystemsCode) {
    const std::string refused = kel::net::sock::ErrorText(ECONNREFUSED);
    EXPECT_FALSE(refused.empty());
    EXPECT_EQ(refused.find("Unknown error"), std::string::npos) << refused;
    EXPECT_EQ(kel::net::sock::ErrorText(WSAECONNREFUSED), refused);  // as SO_ERROR gives it
    EXPECT_EQ(kel::net::sock::ErrorText(ETIMEDOUT).find("Unknown error"), std::string::npos);
}

TEST(WindowsSocketErrors, ARefusedConnectionSaysWhy) {
    // A port nobody listens on: the one a socket just bound and closed again.
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
    int length = sizeof at;
    getsockname(probe, reinterpret_cast<sockaddr*>(&at), &length);
    closesocket(probe);
    const auto opened =
        kel::net::OpenTcpConnection("127.0.0.1", ntohs(at.sin_port), kel::net::Clock::now() + std::chrono::seconds(10));
    EXPECT_LT(opened.fd, 0);
    EXPECT_NE(opened.message.find("无法连接到应用服务器 127.0.0.1:"), std::string::npos) << opened.message;
    EXPECT_EQ(opened.message.find("Unknown error"), std::string::npos) << opened.message;
    EXPECT_NE(opened.message.back(), ' ');
    WSACleanup();
}

}  // namespace
