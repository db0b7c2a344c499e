// The application server over TCP loopback beside the least the same traffic costs:
//
//   Tcp180RoundTrip / EchoOf180Bytes     a 180 answer of 20 treaty codes, against a
//                                        raw echo of the same request and answer bytes
//                                        (cached:0 - a server that keeps no answers);
//                                        both through the host's TCP channel
//   Tcp186Of1000Records / SelectAndEchoOf186
//                                        186 answering 1,000 treaty data records, against
//                                        the same SELECT run directly plus an echo of the
//                                        answer bytes
//   Throughput16Clients                  16 clients, each on its own connection, asking
//                                        for the treaty codes, reinsurers and rates in turn
//
// Everything runs on a fresh SQLite file in a temporary folder.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/net/Frame.h"
#include "common/net/TcpChannel.h"
#include "common/records/TransactionCodes.h"
#include "common/text/GbkText.h"
#include "server/Listener.h"
#include "server/Server.h"
#include "server/Store.h"

namespace {

using kel::server::Listener;
using kel::server::Server;

// Listens on loopback and answers every frame with the bytes it was given.
class EchoServer {
public:
    explicit EchoServer(std::vector<char> answerFrame) : answer_(std::move(answerFrame)) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 16);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] {
            const int c = ::accept(fd_, nullptr, nullptr);
            const int one = 1;
            ::setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            _PacketHead head;
            std::vector<char> body;
            while (kel::net::ReadFrame(c, head, body, kel::net::kNoDeadline) == kel::kChannelOk)
                if (kel::net::WriteAll(c, answer_.data(), answer_.size(), kel::net::kNoDeadline)) break;
            ::close(c);
        });
    }
    ~EchoServer() {
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        if (thread_.joinable()) thread_.join();
    }
    uint16_t Port() const { return port_; }

private:
    std::vector<char> answer_;
    int fd_ = -1;
    uint16_t port_ = 0;
    std::thread thread_;
};

_PacketHead Head(int code) {
    _PacketHead h{};
    h.nTransCode = static_cast<int16_t>(code);
    h.nCount = 1;
    h.nSubSystem = kSubSystemDefault;
    return h;
}

std::string YearKey() {
    _ContYearKey k{};
    std::strcpy(k.szStartDate, "2024");
    return std::string(reinterpret_cast<const char*>(&k), sizeof k);
}

// One server with 20 treaty codes and 1,000 treaty data records of 2024, listening.
struct World {
    std::filesystem::path dir;
    std::unique_ptr<Server> server;
    mutable kel::server::ConnectionContext client{"bench"};  // requests sent straight to the server
    std::unique_ptr<Listener> listener;
    std::unique_ptr<Server> uncachedServer;  // the same database, without kept answers
    std::unique_ptr<Listener> uncachedListener;

    World() {
        char pattern[] = "/tmp/kelmor-bench-XXXXXX";
        dir = mkdtemp(pattern);
        std::string error;
        server = Server::Open((dir / "kelmor.db").string(), &error);
        if (!server) Die(error);
        server->SetUser("bench", "", "bench");
        auto db = server->GetStore().Acquire();
        db->Execute("INSERT INTO t_ri_company (c_ri_cde, c_nme_cn) VALUES ('01', '瀚海再保险股份有限公司')");
        db->Begin();
        for (int i = 0; i < 20; ++i) {
            const std::string code = std::string(1, static_cast<char>('A' + i)) + "1";
            db->Execute("INSERT INTO t_cont_code (c_cont_code, c_name_cn, c_name_en, c_type) VALUES (?, ?, ?, ?)",
                        {code, "财产险第" + std::to_string(i + 1) + "成数合约", "Property Quota Share Treaty", "A"});
        }
        db->Commit();
        // 1,000 records through the server itself: 20 codes x 50 start dates.
        for (int i = 0; i < 1000; ++i) {
            _ContInfoStruct r{};
            const std::string code = std::string(1, static_cast<char>('A' + i % 20)) + "1";
            char date[16];
            std::snprintf(date, sizeof date, "2024%02d%02d", 1 + (i / 20) / 28, 1 + (i / 20) % 28);
            kel::text::PutField(r.szContCode, code);
            kel::text::PutField(r.szStartDate, date);
            kel::text::PutField(r.szEndDate, "20241231");
            kel::text::PutField(r.szContNo, code + "-" + std::to_string(i));
            kel::text::PutField(r.szLeadRICode, "01");
            kel::text::PutField(r.szUserCode, "bench");
            r.dCommRate = 0.3;
            r.dQuotaRatio = 0.25;
            const auto sub = *kel::records::MakeContSubHead(189, {});
            std::string body(reinterpret_cast<const char*>(&sub), sizeof sub);
            body.append(reinterpret_cast<const char*>(&r), sizeof r);
            _PacketHead answer;
            std::vector<char> answerBody;
            server->Handle(client, Head(189), body, answer, answerBody);
            if (answer.cStatus != 0) Die("cannot insert treaty data");
        }
        listener = std::make_unique<Listener>(*server, kel::server::ListenerOptions{});
        if (!listener->Start(&error)) Die(error);
        kel::server::ServerOptions uncached;
        uncached.cacheAnswers = false;
        uncachedServer = Server::Open((dir / "kelmor.db").string(), &error, uncached);
        if (!uncachedServer) Die(error);
        uncachedListener = std::make_unique<Listener>(*uncachedServer, kel::server::ListenerOptions{});
        if (!uncachedListener->Start(&error)) Die(error);
    }
    ~World() {
        uncachedListener.reset();
        uncachedServer.reset();
        listener.reset();
        server.reset();
        std::filesystem::remove_all(dir);
    }
    [[noreturn]] static void Die(const std::string& why) {
        std::fprintf(stderr, "server_bench: %s\n", why.c_str());
        std::exit(1);
    }
    std::unique_ptr<kel::net::TcpChannel> Connect(bool cached = true) const {
        auto ch = std::make_unique<kel::net::TcpChannel>();
        const uint16_t port = (cached ? listener : uncachedListener)->Port();
        if (!ch->Connect("127.0.0.1", port, "bench", "bench").ok()) Die("cannot log on");
        return ch;
    }
    // The server's answer frame to a request, for the echo to send back.
    std::vector<char> AnswerFrame(int code, const std::string& body) const {
        _PacketHead answer;
        std::vector<char> answerBody, frame;
        server->Handle(client, Head(code), body, answer, answerBody);
        kel::net::EncodeFrame(answer, answerBody.data(), answerBody.size(), frame);
        return frame;
    }
};

World& TheWorld() {
    static World world;
    return world;
}

bool Transact(kel::net::TcpChannel& ch, int code, const std::string& body, std::vector<char>& answer) {
    _PacketHead h = Head(code);
    if (ch.Send(h, body.data(), body.size())) return false;
    return ch.Receive(h, answer) == 0 && h.cStatus == 0;
}

void Tcp180RoundTrip(benchmark::State& state) {
    auto ch = TheWorld().Connect(state.range(0) != 0);
    std::vector<char> answer;
    for (auto _ : state)
        if (!Transact(*ch, 180, "", answer)) state.SkipWithError("180 failed");
    state.counters["records"] = static_cast<double>(answer.size() / sizeof(_ContCodeStruct));
}

void InProcess180(benchmark::State& state) {
    Server& server = *TheWorld().server;
    kel::server::ConnectionContext client{"bench"};
    _PacketHead answer;
    std::vector<char> body;
    for (auto _ : state) {
        server.Handle(client, Head(180), "", answer, body);
        if (answer.cStatus != 0) state.SkipWithError("180 failed");
    }
}

void EchoOf180Bytes(benchmark::State& state) {
    // The echo answers the log-on, too, with the same bytes (status 0).
    EchoServer echo(TheWorld().AnswerFrame(180, ""));
    kel::net::TcpChannel ch;
    if (!ch.Connect("127.0.0.1", echo.Port(), "bench", "bench").ok()) state.SkipWithError("no echo");
    std::vector<char> answer;
    for (auto _ : state)
        if (!Transact(ch, 180, "", answer)) state.SkipWithError("echo failed");
}

void Tcp186Of1000Records(benchmark::State& state) {
    auto ch = TheWorld().Connect(state.range(0) != 0);
    const std::string key = YearKey();
    std::vector<char> answer;
    for (auto _ : state)
        if (!Transact(*ch, 186, key, answer)) state.SkipWithError("186 failed");
    state.counters["records"] = static_cast<double>(answer.size() / sizeof(_ContInfoStruct));
}

void SelectAndEchoOf186(benchmark::State& state) {
    World& w = TheWorld();
    const std::string key = YearKey();
    EchoServer echo(w.AnswerFrame(186, key));
    kel::net::TcpChannel ch;
    if (!ch.Connect("127.0.0.1", echo.Port(), "bench", "bench").ok()) state.SkipWithError("no echo");
    std::vector<char> answer;
    auto db = w.server->GetStore().Acquire();
    // The rows and columns the handler reads.
    const std::string sql =
        "SELECT i.n_cont_id, i.c_cont_code, i.c_start_date, i.c_end_date, i.c_limit_cur, i.c_cancel_date, "
        "i.c_lead_ri_cde, i.c_cont_no, i.n_lines, i.n_vip_lines, i.n_acct_period, i.n_loss_carry, "
        "i.n_unexp_rsv_ratio, i.n_unearned_ratio, i.n_quota_ratio, i.n_lead_share, i.n_comm_rate, i.n_tax_rate, "
        "i.n_prem_rsv_ratio, i.n_loss_rsv_ratio, i.n_cash_loss_limit, i.n_profit_comm_rate, i.n_mgmt_fee_rate, "
        "i.n_quake_comm_rate, i.n_quake_prem_ratio, i.n_act_comm_rate, i.n_coins_limit_coef, i.n_plant_rate, "
        "i.n_net_prem_tax_rate, i.c_comm_incl_tax, i.c_net_prem_flag, i.c_create_user, i.c_update_user, k.c_type "
        "FROM t_cont_info i LEFT JOIN t_cont_code k ON k.c_cont_code = i.c_cont_code "
        "WHERE substr(i.c_start_date, 1, 4) = '2024' ORDER BY i.c_start_date, i.c_cont_code";
    std::size_t rows = 0;
    for (auto _ : state) {
        auto rs = db->Query(sql);
        if (!rs) state.SkipWithError("select failed");
        rows = rs ? rs->rows.size() : 0;
        benchmark::DoNotOptimize(rs);
        if (!Transact(ch, 186, key, answer)) state.SkipWithError("echo failed");
    }
    state.counters["records"] = static_cast<double>(rows);
}

// 16 clients at once, each on its own connection: requests per second of wall time.
void Throughput16Clients(benchmark::State& state) {
    constexpr int kClients = 16;
    constexpr int kRequestsEach = 60;
    const bool cached = state.range(0) != 0;
    std::vector<std::unique_ptr<kel::net::TcpChannel>> channels;
    for (int i = 0; i < kClients; ++i) channels.push_back(TheWorld().Connect(cached));
    std::atomic<int> failures{0};
    for (auto _ : state) {
        std::vector<std::thread> clients;
        for (int i = 0; i < kClients; ++i)
            clients.emplace_back([&, i] {
                std::vector<char> answer;
                static const int codes[] = {180, 182, 210};
                for (int r = 0; r < kRequestsEach; ++r)
                    if (!Transact(*channels[i], codes[(i + r) % 3], "", answer)) ++failures;
            });
        for (auto& t : clients) t.join();
    }
    if (failures) state.SkipWithError("requests failed");
    state.SetItemsProcessed(state.iterations() * kClients * kRequestsEach);
}

BENCHMARK(InProcess180)->UseRealTime();
BENCHMARK(EchoOf180Bytes)->UseRealTime();
BENCHMARK(Tcp180RoundTrip)->ArgName("cached")->Arg(1)->Arg(0)->UseRealTime();
BENCHMARK(SelectAndEchoOf186)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Tcp186Of1000Records)->ArgName("cached")->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Throughput16Clients)->ArgName("cached")->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    TheWorld();  // set up before any timing
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
