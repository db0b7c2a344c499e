// TLS between the client channel and the real listener: a log-on and every
// transaction carried exactly as over plain TCP; a server that does not verify
// (another CA, another name, another fingerprint, an expired certificate) refused
// before anything is sent, with a message naming the server and why; a plain
// client on the TLS port refused at once; a stalled handshake holding up no one;
// a session connecting again over TLS. Certificates are made here, per test.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <random>

#include "common/net/SessionChannel.h"
#include "common/net/TcpChannel.h"
#include "common/records/TransactionCodes.h"
#include "server/Listener.h"
#include "server/Tls.h"
#include "server/tests/ServerTestSupport.h"
#include "server/tests/TestCertificates.h"

namespace kel::server::test {
namespace {

using kel::net::ConnectResult;
using kel::net::TcpChannel;
using kel::net::TcpOptions;

// Log lines of a listener, to see what reached the server.
class LogLines {
public:
    void Add(std::string_view text) {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(text);
        changed_.notify_all();
    }
    // Waits (a few seconds at most) for a line holding `part`.
    bool WaitFor(std::string_view part) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return HasLocked(part); });
    }
    bool Has(std::string_view part) { return Count(part) > 0; }
    int Count(std::string_view part) {
        std::lock_guard lock(mutex_);
        int n = 0;
        for (const auto& l : lines_)
            if (l.find(part) != std::string::npos) ++n;
        return n;
    }

private:
    bool HasLocked(std::string_view part) const {
        for (const auto& l : lines_)
            if (l.find(part) != std::string::npos) return true;
        return false;
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
};

class Tls : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        server = OpenEmbedded((dir.Path() / "kelmor.db").string(), &error);
        ASSERT_TRUE(server) << error;
        good = ca.Issue("server", {"localhost"}, {});
    }

    // The listener with TLS on `files`.
    void Serve(const CertificateFiles& files, uint16_t port = 0) {
        std::string error;
        auto tls = TlsServer::Load(files.cert, files.key, error);
        ASSERT_TRUE(tls) << error;
        ListenerOptions options;
        options.port = port;
        options.logonTimeoutMs = 1500;
        options.tls = tls;
        options.log = [this](LogLevel, std::string_view text) { log.Add(text); };
        listener.reset();
        listener = std::make_unique<Listener>(*server, options);
        ASSERT_TRUE(listener->Start(&error)) << error;
    }

    static TcpOptions Checked(std::string caFile, std::string fingerprint = {}) {
        TcpOptions options;
        options.connectTimeoutMs = 3000;
        options.receiveTimeoutMs = 5000;
        options.tls.caFile = std::move(caFile);
        options.tls.fingerprintHex = std::move(fingerprint);
        return options;
    }

    ConnectResult Connect(TcpChannel& channel, const std::string& host, const TcpOptions& options) {
        return channel.Connect(host, listener->Port(), "demo", "demo", options);
    }

    std::string Where(const std::string& host) const { return host + ":" + std::to_string(listener->Port()); }

    TempDir dir;
    TestCertificates ca{dir.Path(), "one"};
    CertificateFiles good;
    // Declared before the listener: its connection threads log until it is gone.
    LogLines log;
    std::unique_ptr<Server> server;
    std::unique_ptr<Listener> listener;
};

Reply Call(TcpChannel& channel, int code, std::string_view body = {}, int32_t op = 0, int16_t count = 1) {
    _PacketHead h{};
    h.nTransCode = static_cast<int16_t>(code);
    h.nCount = count;
    h.nSubSystem = (code >= 163 && code <= 167) ? kSubSystemPrompt : kSubSystemDefault;
    h.nOperation = op;
    Reply r;
    if (channel.Send(h, body.data(), body.size()) != 0 || channel.Receive(r.head, r.body) != 0) r.head.cStatus = -1;
    return r;
}

TEST_F(Tls, ALogOnWithTheCaOrThePinnedFingerprintIsServedAndTheServerSaysItIsTls) {
    Serve(good);
    TcpChannel byCa;
    const ConnectResult result = Connect(byCa, "localhost", Checked(ca.CaFile()));
    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(Call(byCa, 180).Status(), 0);
    EXPECT_TRUE(log.WaitFor("connection opened (TLS)"));

    // The fingerprint alone, in either form, whoever signed the certificate.
    kel::net::Sha256 digest{};
    std::string error;
    ASSERT_TRUE(CertificateFingerprint(good.cert, digest, error)) << error;
    const std::string pin = kel::net::FingerprintText(digest);
    std::string plainHex;
    for (char c : pin)
        if (c != ':') plainHex += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string& form : {pin, plainHex}) {
        TcpChannel pinned;
        const ConnectResult r = Connect(pinned, "127.0.0.1", Checked("", form));
        ASSERT_TRUE(r.ok()) << r.message;
        EXPECT_EQ(Call(pinned, 180).Status(), 0);
    }
}

// Two servers on the same demo data, one behind TLS and one plain: every
// transaction code, well-formed or noise, gets the same answer byte for byte.
TEST_F(Tls, EveryTransactionIsAnsweredOverTlsExactlyAsOverPlainTcp) {
    Serve(good);
    TempDir plainDir;
    std::string error;
    auto plainServer = OpenEmbedded((plainDir.Path() / "kelmor.db").string(), &error);
    ASSERT_TRUE(plainServer) << error;
    Listener plainListener(*plainServer, ListenerOptions{});
    ASSERT_TRUE(plainListener.Start(&error)) << error;

    TcpChannel tls, plain;
    ASSERT_TRUE(Connect(tls, "localhost", Checked(ca.CaFile())).ok());
    ASSERT_TRUE(plain.Connect("127.0.0.1", plainListener.Port(), "demo", "demo").ok());
    std::mt19937 random(11);
    int answered = 0;
    for (const auto& t : kel::records::kTransactions) {
        for (int round = 0; round < 3; ++round) {
            // An empty body first, then noise of the record's size and of any size.
            std::size_t size = round == 0 ? 0 : round == 1 ? t.nFixed + t.nRecord : random() % 40000;
            std::string body(size, '\0');
            for (char& ch : body) ch = static_cast<char>(random() % 4 == 0 ? random() : 0);
            const int32_t op = static_cast<int32_t>(random() % 3);
            const Reply overTls = Call(tls, t.nCode, body, op);
            const Reply overPlain = Call(plain, t.nCode, body, op);
            ASSERT_GE(overTls.Status(), 0) << "no answer over TLS to " << t.nCode;
            EXPECT_EQ(std::memcmp(&overTls.head, &overPlain.head, sizeof overTls.head), 0) << t.nCode;
            EXPECT_EQ(overTls.body, overPlain.body) << t.nCode;
            ++answered;
        }
    }
    EXPECT_EQ(answered, 3 * static_cast<int>(kel::records::kTransactions.size()));
    // A large answer crosses many TLS records.
    const Reply big = Call(tls, 180);
    EXPECT_EQ(big.Status(), 0);
    plainListener.Stop();
}

TEST_F(Tls, AServerThatDoesNotVerifyIsRefusedWithItsNameAndWhyAndHearsNoLogOn) {
    TestCertificates other(dir.Path(), "two");
    const CertificateFiles expired = ca.Issue("expired", {"localhost"}, {}, -30, -1);
    struct Case {
        const char* what;
        CertificateFiles served;
        std::string host;
        TcpOptions options;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"another CA", good, "localhost", Checked(other.CaFile()), "不是由 CA 证书文件 " + other.CaFile()},
        {"another host name", good, "127.0.0.1", Checked(ca.CaFile()), "证书不是签发给 127.0.0.1 的"},
        {"an expired certificate", expired, "localhost", Checked(ca.CaFile()), "证书已过期"},
        {"another fingerprint", good, "localhost",
         Checked("", "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF"),
         "与配置的指纹 00:11:22"},
        {"the right CA but another fingerprint", good, "localhost", Checked(ca.CaFile(), std::string(64, 'a')),
         "与配置的指纹 AA:AA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Serve(c.served);
        TcpChannel channel;
        const ConnectResult r = Connect(channel, c.host, c.options);
        EXPECT_FALSE(r.ok());
        EXPECT_FALSE(r.refused);
        EXPECT_NE(r.message.find("应用服务器 " + Where(c.host) + " 的证书未通过验证"), std::string::npos) << r.message;
        EXPECT_NE(r.message.find(c.says), std::string::npos) << r.message;
        EXPECT_FALSE(channel.IsConnected());
        listener->Stop();
        EXPECT_FALSE(log.Has("log-on")) << "the log-on reached the server";
    }
}

TEST_F(Tls, APlainClientOnTheTlsPortIsRefusedAtOnceAndATlsClientOnAPlainPortToo) {
    Serve(good);
    TcpChannel plain;
    TcpOptions patient;
    patient.receiveTimeoutMs = 30000;  // the refusal must not come from a time-out
    const auto start = std::chrono::steady_clock::now();
    const ConnectResult r = plain.Connect("127.0.0.1", listener->Port(), "demo", "demo", patient);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.message.find("可能只接受加密连接"), std::string::npos) << r.message;
    EXPECT_TRUE(log.WaitFor("TLS handshake failed"));
    EXPECT_FALSE(log.Has("log-on"));

    std::string error;
    Listener plainListener(*server, ListenerOptions{});
    ASSERT_TRUE(plainListener.Start(&error)) << error;
    TcpChannel tls;
    TcpOptions options = Checked(ca.CaFile());
    options.receiveTimeoutMs = 30000;
    const ConnectResult t = tls.Connect("localhost", plainListener.Port(), "demo", "demo", options);
    EXPECT_FALSE(t.ok());
    EXPECT_NE(t.message.find("无法与应用服务器 localhost:" + std::to_string(plainListener.Port()) + " 建立加密连接"),
              std::string::npos)
        << t.message;
    plainListener.Stop();
}

TEST_F(Tls, AClientThatNeverFinishesItsHandshakeHoldsUpNobodyAndIsClosed) {
    Serve(good);
    const int stalled = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(listener->Port());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(stalled, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    ASSERT_EQ(::send(stalled, "\x16\x03\x01", 3, 0), 3);  // the start of a record, never the rest

    TcpChannel channel;
    const ConnectResult r = Connect(channel, "localhost", Checked(ca.CaFile()));
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(Call(channel, 180).Status(), 0);
    EXPECT_TRUE(log.WaitFor("TLS handshake failed: the handshake did not finish in time"));
    char byte;
    EXPECT_LE(::recv(stalled, &byte, 1, 0), 0);  // closed by the server
    ::close(stalled);
}

TEST_F(Tls, ASessionConnectsAgainOverTlsWithTheSameChecks) {
    Serve(good);
    const uint16_t port = listener->Port();
    net::SessionOptions options;
    options.tcp = Checked(ca.CaFile());
    net::SessionChannel session({{"localhost", port}}, "demo", "demo", options);
    ASSERT_TRUE(session.Open().ok());
    _PacketHead head{};
    head.nTransCode = 180;
    head.nCount = 1;
    head.nSubSystem = kSubSystemDefault;
    std::vector<char> body;
    ASSERT_EQ(session.Send(head, nullptr, 0), kChannelOk);
    ASSERT_EQ(session.Receive(head, body), kChannelOk);

    // The server comes back on the same port with another CA's certificate: the
    // session does not talk to it.
    TestCertificates other(dir.Path(), "two");
    Serve(other.Issue("impostor", {"localhost"}, {}), port);
    ASSERT_TRUE(session.Gone());
    head.nTransCode = 180;
    EXPECT_EQ(session.Send(head, nullptr, 0), kChannelUnreachable);
    EXPECT_EQ(log.Count("log-on demo accepted"), 1);

    // With its own certificate again it does.
    Serve(good, port);
    ASSERT_EQ(session.Send(head, nullptr, 0), kChannelOk);
    ASSERT_EQ(session.Receive(head, body), kChannelOk);
    EXPECT_EQ(head.cStatus, 0);
    EXPECT_EQ(log.Count("log-on demo accepted"), 2);
    EXPECT_EQ(session.Reconnects(), 1);
}

TEST_F(Tls, TheServerRefusesAKeyThatIsNotTheCertificatesAndAFileThatIsNone) {
    const CertificateFiles another = ca.Issue("another", {"localhost"}, {});
    std::string error;
    EXPECT_FALSE(TlsServer::Load(good.cert, another.key, error));
    EXPECT_NE(error.find("does not belong"), std::string::npos) << error;
    EXPECT_FALSE(TlsServer::Load((dir.Path() / "none.crt").string(), good.key, error));
    EXPECT_NE(error.find("cannot read the TLS certificate"), std::string::npos) << error;
    kel::net::Sha256 fingerprint{};
    EXPECT_FALSE(CertificateFingerprint(good.key, fingerprint, error));
    ASSERT_TRUE(CertificateFingerprint(good.cert, fingerprint, error)) << error;
    EXPECT_EQ(fingerprint, TlsServer::Load(good.cert, good.key, error)->Fingerprint());
}

}  // namespace
}  // namespace kel::server::test
