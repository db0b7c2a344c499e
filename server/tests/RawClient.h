// A TCP client of the listener that can send anything at all, from any loopback
// address (127.x.y.z all reach a listener on 127.0.0.1), and a fixture that runs
// the listener over a fresh SQLite file with options of the test's choosing.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/net/Frame.h"
#include "common/net/Logon.h"
#include "server/Listener.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {

class RawClient {
public:
    explicit RawClient(uint16_t port, const char* from = nullptr) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (from) {
            sockaddr_in local{};
            local.sin_family = AF_INET;
            ::inet_pton(AF_INET, from, &local.sin_addr);
            EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local), 0) << from;
        }
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    }
    ~RawClient() { Close(); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    void Raw(std::string_view bytes) {
        kel::net::WriteAll(fd_, bytes.data(), bytes.size(), kel::net::DeadlineAfter(2000));
    }

    void Frame(int code, std::string_view body, int32_t op = 0, int16_t count = 1) {
        kel::net::WriteFrame(fd_, Head(code, op, count), body.data(), body.size(), kel::net::DeadlineAfter(2000));
    }

    // The next answer, or nullopt when the server closed the connection.
    std::optional<Reply> Read(int timeoutMs = 5000) {
        Reply r;
        if (kel::net::ReadFrame(fd_, r.head, r.body, kel::net::DeadlineAfter(timeoutMs)) != kChannelOk)
            return std::nullopt;
        return r;
    }

    // True when the server closes the connection within the time, without answering again.
    bool Closed(int timeoutMs = 5000) {
        _PacketHead head{};
        std::vector<char> body;
        return kel::net::ReadFrame(fd_, head, body, kel::net::DeadlineAfter(timeoutMs)) == kChannelClosed;
    }

    std::optional<Reply> Call(int code, std::string_view body = {}, int32_t op = 0, int16_t count = 1) {
        Frame(code, body, op, count);
        return Read();
    }

    bool LogOn(const char* user = "demo", const char* password = "demo") {
        const auto r = Call(kel::net::kLogonTransCode, Bytes(LogonBody(user, password)));
        return r && r->Status() == 0;
    }

    static _PacketHead Head(int code, int32_t op = 0, int16_t count = 1) {
        _PacketHead h{};
        h.nTransCode = static_cast<int16_t>(code);
        h.nCount = count;
        h.nSubSystem = kSubSystemDefault;
        h.nOperation = op;
        return h;
    }
    static _LogonBody LogonBody(const char* user, const char* password) {
        _LogonBody b{};
        Set(b.szUserCode, user);
        Set(b.szPassword, password);
        return b;
    }

    int Fd() const { return fd_; }

private:
    int fd_ = -1;
};

// The server on a fresh SQLite file with the demo data, and its listener.
class ListenerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        path = (dir.Path() / "kelmor.db").string();
        std::string error;
        server = OpenEmbedded(path, &error);
        ASSERT_TRUE(server) << error;
    }

    // Short time-outs, so that the tests that wait for them stay short.
    static ListenerOptions QuickOptions() {
        ListenerOptions options;
        options.idleTimeoutMs = 1500;
        options.frameTimeoutMs = 500;
        options.logonTimeoutMs = 1500;
        return options;
    }

    void StartListener(ListenerOptions options) {
        listener.reset();
        listener = std::make_unique<Listener>(*server, std::move(options));
        std::string error;
        ASSERT_TRUE(listener->Start(&error)) << error;
    }

    uint16_t Port() const { return listener->Port(); }

    TempDir dir;
    std::string path;
    std::unique_ptr<Server> server;
    std::unique_ptr<Listener> listener;
};

}  // namespace kel::server::test
