// The application server beside the least the same work costs, each benchmark
// printing its ratio to its floor at the end (medians of interleaved repetitions):
//
//   EchoOf180Bytes                 floor: a raw loopback echo of 180's request and answer bytes
//   Tcp180/cached:1, cached:0      180 (20 treaty codes) with and without kept answers
//   InProcess180/cached:1, 0       the server's own work for 180, without the network
//   SqliteSelect180                180's SELECT alone through the sqlite3 C API (shown beside
//                                  InProcess180/cached:0)
//   SqliteFloor180                 180's SELECT through the sqlite3 C API plus the echo (shown)
//   SqliteFloor186/records:N       floor: the handler's SELECT through the sqlite3 C API (prepared
//                                  once, every column read in its type) plus an echo of the answer
//   Tcp186/records:N               186 answering N treaty data records, uncached
//   Refuse186Of100000              a search whose answer cannot fit the 16-bit count (absolute goal)
//   PgFloor180, PgFloor186/...     floors on PostgreSQL: the same prepared SELECT through libpq plus
//   PgTcp180, PgTcp186/...         the echo, beside the server (when KELMOR_PG_CONN is set)
//   Throughput16Clients            16 clients at once (no floor)
//   Refuse205Of100000              the details search on a treaty of 100,000 lines, refused after
//                                  counting (absolute goal)
//   Tcp205Of100000ByProduct        the same treaty narrowed to one product: 1,000 lines (no floor)
//   SqliteFloor205/lines:10000     floor: 205's SELECT through the sqlite3 C API plus the echo
//   Tcp205/lines:10000             205 answering 10,000 lines
//   Tcp207/lines100000:1, :0       the treaty check with 100,000 lines against the same treaty
//                                  with none
//
// Then 180 paired: every party once a round in a random order, so that the medians
// of the echo, the server and the floor are taken over the same moments of a loaded
// machine (--paired_rounds=N, 20000 by default). Then TLS against plain TCP: 180 and
// 186 of 1,000 records over both, paired the same way, and the log-on of each
// (--tls_rounds=N, 3000 by default). Then 32 clients at once, on SQLite
// and PostgreSQL: 24 reading the code list, 4 searching treaty data and 4 saving
// commissions, in rounds with the saves alone and four savers without readers
// (--mix_seconds=N, 30 by default, --mix_rounds=N, 3). Then, from a kelmor-server
// process of its own: its memory for a 30,000-record answer, and its peak with 64
// log-ons at once.
//
// Everything runs on fresh SQLite files in a temporary folder (and a throw-away
// PostgreSQL database), every thread on one CPU but the mix's clients, which run on
// another (--no_pin: all on every CPU).
#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/Repetitions.h"
#include "common/net/Frame.h"
#include "common/net/TcpChannel.h"
#include "common/net/TlsOptions.h"
#include "common/records/TransactionCodes.h"
#include "server/Listener.h"
#include "server/Server.h"
#include "server/Store.h"
#include "server/StoredColumns.h"
#include "server/Tls.h"
#include "server/store/ConnectionString.h"

namespace {

using kel::server::Listener;
using kel::server::Server;

[[noreturn]] void Die(const std::string& why) {
    std::fprintf(stderr, "server_bench: %s\n", why.c_str());
    std::exit(1);
}

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
    // A logged-on channel to the echo (it answers the log-on with the same bytes, status 0).
    std::unique_ptr<kel::net::TcpChannel> Connect() const {
        auto ch = std::make_unique<kel::net::TcpChannel>();
        if (!ch->Connect("127.0.0.1", port_, "bench", "bench").ok()) Die("cannot reach the echo");
        return ch;
    }

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

std::string YearKey(const std::string& year) {
    _ContYearKey k{};
    std::strncpy(k.szStartDate, year.c_str(), sizeof k.szStartDate - 1);
    return std::string(reinterpret_cast<const char*>(&k), sizeof k);
}

bool Transact(kel::net::TcpChannel& ch, int code, const std::string& body, std::vector<char>& answer, int status = 0) {
    _PacketHead h = Head(code);
    if (ch.Send(h, body.data(), body.size())) return false;
    return ch.Receive(h, answer) == 0 && h.cStatus == status;
}

// The SELECTs the handlers run, to run the same ones directly.
const std::string& k180Sql = kel::server::handlers::ContCodeListSql();
const std::string& k186Sql = kel::server::handlers::ContInfoListSql();

// Fills a store: 20 treaty codes, a user bench/bench, and for each year the
// given number of treaty data records (20 codes x serial start dates).
void Fill(Server& server, const std::map<std::string, int>& recordsByYear) {
    if (!server.SetUser("bench", "", "bench")) Die("cannot add the user");
    server.GetStore().Write([&](kel::db::Connection& db) {
        const bool sqlite = db.Dialect() == "sqlite";
        db.Execute("INSERT INTO t_ri_company (c_ri_cde, c_nme_cn) VALUES ('01', '瀚海再保险股份有限公司')");
        for (int i = 0; i < 20; ++i) {
            const std::string code = std::string(1, static_cast<char>('A' + i)) + "1";
            db.Execute("INSERT INTO t_cont_code (c_cont_code, c_name_cn, c_name_en, c_type) VALUES (?, ?, ?, ?)",
                       {code, "财产险第" + std::to_string(i + 1) + "成数合约", "Property Quota Share Treaty", "A"});
        }
        int first = 1;
        for (const auto& [year, n] : recordsByYear) {
            const std::string serial = sqlite ? "substr('0000' || (i / 20), -4)" : "lpad((i / 20)::text, 4, '0')";
            const std::string code = sqlite ? "char(65 + i % 20) || '1'" : "chr(65 + i % 20) || '1'";
            const std::string sql =
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(n - 1) +
                ") INSERT INTO t_cont_info (n_cont_id, c_cont_code, c_start_date, c_end_date, c_limit_cur, "
                "c_lead_ri_cde, c_cont_no, n_lines, n_vip_lines, n_acct_period, n_loss_carry, n_unexp_rsv_ratio, "
                "n_unearned_ratio, n_quota_ratio, n_lead_share, n_comm_rate, n_tax_rate, n_prem_rsv_ratio, "
                "n_loss_rsv_ratio, n_cash_loss_limit, n_profit_comm_rate, n_mgmt_fee_rate, n_quake_comm_rate, "
                "n_quake_prem_ratio, n_act_comm_rate, n_coins_limit_coef, n_plant_rate, n_net_prem_tax_rate, "
                "c_comm_incl_tax, c_net_prem_flag, c_create_user, c_update_user, n_data_rev) SELECT " +
                std::to_string(first) + " + i, " + code + ", '" + year + "' || " + serial + ", '" + year +
                "1231', '01', '01', 'C' || i, 3, 1, 3, 1, 0.25, 0.25, 0.25, 0.3, 0.3, 0.055, 0.4, 0.4, 1000000, 0.1, "
                "0.02, 0.01, 0.02, 0.3, 1, 0.001, 0.05, 'Y', 'N', 'bench', 'bench', 1 FROM n";
            if (db.Execute(sql) < 0) Die("cannot fill the store: " + db.LastError());
            first += n;
        }
    });
}

// A store served on loopback twice: keeping answers and not.
struct Served {
    std::unique_ptr<Server> cached, uncached;
    std::unique_ptr<Listener> cachedListener, uncachedListener;

    Served(const std::string& target, const std::map<std::string, int>& records) {
        std::string error;
        cached = Server::Open(target, &error);
        if (!cached) Die(error);
        Fill(*cached, records);
        kel::server::ServerOptions noCache;
        noCache.cacheAnswers = false;
        uncached = Server::Open(target, &error, noCache);
        if (!uncached) Die(error);
        cachedListener = std::make_unique<Listener>(*cached, kel::server::ListenerOptions{});
        uncachedListener = std::make_unique<Listener>(*uncached, kel::server::ListenerOptions{});
        if (!cachedListener->Start(&error) || !uncachedListener->Start(&error)) Die(error);
    }
    ~Served() {
        uncachedListener.reset();
        cachedListener.reset();
        uncached.reset();
        cached.reset();
    }
    std::unique_ptr<kel::net::TcpChannel> Connect(bool cache) const {
        auto ch = std::make_unique<kel::net::TcpChannel>();
        if (!ch->Connect("127.0.0.1", (cache ? cachedListener : uncachedListener)->Port(), "bench", "bench").ok())
            Die("cannot log on");
        return ch;
    }
    // The server's answer frame to a request, for the echo to send back.
    std::vector<char> AnswerFrame(int code, const std::string& body) const {
        _PacketHead answer;
        std::vector<char> answerBody, frame;
        kel::server::ConnectionContext client{"bench"};
        uncached->Handle(client, Head(code), body, answer, answerBody);
        if (answer.cStatus != 0) Die("no answer to " + std::to_string(code));
        kel::net::EncodeFrame(answer, answerBody.data(), answerBody.size(), frame);
        return frame;
    }
};

std::filesystem::path& Folder() {
    static std::filesystem::path dir = [] {
        char pattern[] = "/tmp/kelmor-bench-XXXXXX";
        if (!mkdtemp(pattern)) Die("no temporary folder");
        return std::filesystem::path(pattern);
    }();
    return dir;
}

// The SQLite store: 1,000 records of 2024 and 10,000 of 2023.
const std::map<std::string, int> kSqliteRecords{{"2024", 1000}, {"2023", 10000}};
std::string YearOf(int records) { return records == 1000 ? "2024" : "2023"; }

Served& Sqlite() {
    static Served served((Folder() / "kelmor.db").string(), kSqliteRecords);
    return served;
}

// The same SELECT as the handler's through the sqlite3 C API, prepared once, every
// column read in its own type: the cheapest way the library offers (no mutex, each
// column through one checked call and its value's plain accessors).
class SqliteFloor {
public:
    SqliteFloor(const std::string& path, const std::string& sql) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK ||
            sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) != SQLITE_OK)
            Die("sqlite floor: " + std::string(sqlite3_errmsg(db_)));
    }
    ~SqliteFloor() {
        sqlite3_finalize(stmt_);
        sqlite3_close(db_);
    }
    // Rows read; `sink` takes every value so nothing is skipped.
    std::size_t Run(const std::string& prefix, std::size_t& sink) {
        if (sqlite3_bind_parameter_count(stmt_) == 2) {
            sqlite3_bind_int64(stmt_, 1, static_cast<sqlite3_int64>(prefix.size()));
            sqlite3_bind_text(stmt_, 2, prefix.data(), static_cast<int>(prefix.size()), SQLITE_STATIC);
        }
        std::size_t rows = 0;
        const int columns = sqlite3_column_count(stmt_);
        while (sqlite3_step(stmt_) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < columns; ++c) {
                sqlite3_value* v = sqlite3_column_value(stmt_, c);
                switch (sqlite3_value_type(v)) {
                    case SQLITE_INTEGER: sink += static_cast<std::size_t>(sqlite3_value_int64(v)); break;
                    case SQLITE_FLOAT: sink += static_cast<std::size_t>(sqlite3_value_double(v)); break;
                    case SQLITE_TEXT:
                        sink += static_cast<unsigned char>(*sqlite3_value_text(v)) +
                                static_cast<std::size_t>(sqlite3_value_bytes(v));
                        break;
                    default: break;
                }
            }
        }
        sqlite3_reset(stmt_);
        return rows;
    }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

void EchoOf180Bytes(benchmark::State& state) {
    EchoServer echo(Sqlite().AnswerFrame(180, ""));
    auto ch = echo.Connect();
    std::vector<char> answer;
    for (auto _ : state)
        if (!Transact(*ch, 180, "", answer)) state.SkipWithError("echo failed");
}

void Tcp180(benchmark::State& state) {
    auto ch = Sqlite().Connect(state.range(0) != 0);
    std::vector<char> answer;
    for (auto _ : state)
        if (!Transact(*ch, 180, "", answer)) state.SkipWithError("180 failed");
    state.counters["records"] = static_cast<double>(answer.size() / sizeof(_ContCodeStruct));
}

// The same SELECT as 180's through the sqlite3 C API, plus the echo.
void SqliteFloor180(benchmark::State& state) {
    EchoServer echo(Sqlite().AnswerFrame(180, ""));
    auto ch = echo.Connect();
    SqliteFloor floor((Folder() / "kelmor.db").string(), k180Sql);
    std::vector<char> answer;
    std::size_t sink = 0;
    for (auto _ : state) {
        floor.Run("", sink);
        if (!Transact(*ch, 180, "", answer)) state.SkipWithError("echo failed");
    }
    benchmark::DoNotOptimize(sink);
}

// 180's SELECT alone, beside InProcess180/cached:0: the database's part of the server's work.
void SqliteSelect180(benchmark::State& state) {
    SqliteFloor floor((Folder() / "kelmor.db").string(), k180Sql);
    std::size_t sink = 0;
    for (auto _ : state) floor.Run("", sink);
    benchmark::DoNotOptimize(sink);
}

// The server's own work for 180, without the network.
void InProcess180(benchmark::State& state) {
    Server& server = state.range(0) ? *Sqlite().cached : *Sqlite().uncached;
    kel::server::ConnectionContext client{"bench"};
    _PacketHead answer;
    std::vector<char> body;
    for (auto _ : state) {
        server.Handle(client, Head(180), "", answer, body);
        if (answer.cStatus != 0) state.SkipWithError("180 failed");
    }
}

void SqliteFloor186(benchmark::State& state) {
    const std::string year = YearOf(static_cast<int>(state.range(0)));
    EchoServer echo(Sqlite().AnswerFrame(186, YearKey(year)));
    auto ch = echo.Connect();
    SqliteFloor floor((Folder() / "kelmor.db").string(), k186Sql);
    std::vector<char> answer;
    std::size_t rows = 0, sink = 0;
    for (auto _ : state) {
        rows = floor.Run(year, sink);
        if (!Transact(*ch, 186, YearKey(year), answer)) state.SkipWithError("echo failed");
    }
    benchmark::DoNotOptimize(sink);
    state.counters["records"] = static_cast<double>(rows);
}

void Tcp186(benchmark::State& state) {
    const std::string key = YearKey(YearOf(static_cast<int>(state.range(0))));
    auto ch = Sqlite().Connect(false);
    std::vector<char> answer;
    for (auto _ : state)
        if (!Transact(*ch, 186, key, answer)) state.SkipWithError("186 failed");
    state.counters["records"] = static_cast<double>(answer.size() / sizeof(_ContInfoStruct));
}

void Refuse186Of100000(benchmark::State& state) {
    static Served big((Folder() / "big.db").string(), {{"2021", 100000}});
    auto ch = big.Connect(false);
    const std::string key = YearKey("2021");
    std::vector<char> answer;
    for (auto _ : state)
        if (!Transact(*ch, 186, key, answer, 5)) state.SkipWithError("186 was not refused with status 5");
}

// 16 clients at once, each on its own connection: requests per second of wall time.
void Throughput16Clients(benchmark::State& state) {
    constexpr int kClients = 16;
    constexpr int kRequestsEach = 60;
    std::vector<std::unique_ptr<kel::net::TcpChannel>> channels;
    for (int i = 0; i < kClients; ++i) channels.push_back(Sqlite().Connect(state.range(0) != 0));
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

// ---- PostgreSQL -------------------------------------------------------------

struct PgWorld {
    std::string admin;       // libpq conninfo of KELMOR_PG_CONN
    std::string name;        // the throw-away database
    std::string odbcTarget;  // what the server is given: the user's ODBC string, on that database
    std::string conninfo;    // the same for libpq
    std::unique_ptr<Served> served;

    explicit PgWorld(const std::string& odbc) {
        std::string error;
        const auto target = kel::server::store::ReadTarget(odbc, &error);
        if (!target || target->kind != kel::server::store::TargetKind::Postgres) Die("KELMOR_PG_CONN: " + error);
        admin = target->location;
        name = "kelmor_bench_" + std::to_string(getpid());
        Admin("CREATE DATABASE " + name + " ENCODING 'UTF8' TEMPLATE template0");
        auto keywords = *kel::server::store::OdbcKeywords(odbc);
        keywords["database"] = name;
        conninfo = kel::server::store::PgConnInfo(keywords);
        for (const auto& [k, v] : keywords) odbcTarget += k + "={" + v + "};";
        served = std::make_unique<Served>(odbcTarget, std::map<std::string, int>{{"2024", 1000}});
    }
    ~PgWorld() {
        served.reset();
        Admin("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
    }
    void Admin(const std::string& sql) const {
        PGconn* c = PQconnectdb(admin.c_str());
        PGresult* r = PQexec(c, sql.c_str());
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        const std::string why = PQerrorMessage(c);
        PQclear(r);
        PQfinish(c);
        if (!ok) Die(sql + ": " + why);
    }
};

PgWorld* Pg() {
    static std::unique_ptr<PgWorld> world = [] {
        const char* conn = std::getenv("KELMOR_PG_CONN");
        return conn && *conn ? std::make_unique<PgWorld>(conn) : nullptr;
    }();
    return world.get();
}

// The same SELECT prepared once through libpq, parameters and results binary,
// every value looked at.
class PgFloor {
public:
    PgFloor(const std::string& conninfo, const std::string& sql, int params) : params_(params) {
        c_ = PQconnectdb(conninfo.c_str());
        std::string text;  // '?' as $1, $2
        int n = 0;
        for (char ch : sql) text += ch == '?' ? "$" + std::to_string(++n) : std::string(1, ch);
        PGresult* r = PQprepare(c_, "floor", text.c_str(), 0, nullptr);
        if (PQresultStatus(r) != PGRES_COMMAND_OK) Die("pg floor: " + std::string(PQerrorMessage(c_)));
        PQclear(r);
    }
    ~PgFloor() { PQfinish(c_); }
    std::size_t Run(const std::string& prefix, std::size_t& sink) {
        const std::string length = std::to_string(prefix.size());
        const char* values[] = {length.c_str(), prefix.c_str()};
        PGresult* r = PQexecPrepared(c_, "floor", params_, values, nullptr, nullptr, 1);
        const int rows = PQntuples(r), columns = PQnfields(r);
        for (int i = 0; i < rows; ++i)
            for (int c = 0; c < columns; ++c)
                sink +=
                    static_cast<std::size_t>(PQgetlength(r, i, c)) + static_cast<unsigned char>(*PQgetvalue(r, i, c));
        PQclear(r);
        return static_cast<std::size_t>(rows);
    }

private:
    PGconn* c_;
    int params_;
};

void PgFloor180(benchmark::State& state) {
    if (!Pg()) return state.SkipWithError("KELMOR_PG_CONN is not set");
    EchoServer echo(Pg()->served->AnswerFrame(180, ""));
    auto ch = echo.Connect();
    PgFloor floor(Pg()->conninfo, k180Sql, 0);
    std::vector<char> answer;
    std::size_t sink = 0;
    for (auto _ : state) {
        floor.Run("", sink);
        if (!Transact(*ch, 180, "", answer)) state.SkipWithError("echo failed");
    }
    benchmark::DoNotOptimize(sink);
}

void PgTcp180(benchmark::State& state) {
    if (!Pg()) return state.SkipWithError("KELMOR_PG_CONN is not set");
    auto ch = Pg()->served->Connect(false);
    std::vector<char> answer;
    for (auto _ : state)
        if (!Transact(*ch, 180, "", answer)) state.SkipWithError("180 failed");
}

void PgFloor186(benchmark::State& state) {
    if (!Pg()) return state.SkipWithError("KELMOR_PG_CONN is not set");
    EchoServer echo(Pg()->served->AnswerFrame(186, YearKey("2024")));
    auto ch = echo.Connect();
    PgFloor floor(Pg()->conninfo, k186Sql, 2);
    std::vector<char> answer;
    std::size_t rows = 0, sink = 0;
    for (auto _ : state) {
        rows = floor.Run("2024", sink);
        if (!Transact(*ch, 186, YearKey("2024"), answer)) state.SkipWithError("echo failed");
    }
    benchmark::DoNotOptimize(sink);
    state.counters["records"] = static_cast<double>(rows);
}

void PgTcp186(benchmark::State& state) {
    if (!Pg()) return state.SkipWithError("KELMOR_PG_CONN is not set");
    auto ch = Pg()->served->Connect(false);
    std::vector<char> answer;
    for (auto _ : state)
        if (!Transact(*ch, 186, YearKey("2024"), answer)) state.SkipWithError("186 failed");
    state.counters["records"] = static_cast<double>(answer.size() / sizeof(_ContInfoStruct));
}

BENCHMARK(EchoOf180Bytes)->UseRealTime();
BENCHMARK(Tcp180)->ArgName("cached")->Arg(1)->Arg(0)->UseRealTime();
BENCHMARK(SqliteFloor180)->UseRealTime();
BENCHMARK(InProcess180)->ArgName("cached")->Arg(1)->Arg(0)->UseRealTime();
BENCHMARK(SqliteSelect180)->UseRealTime();
BENCHMARK(SqliteFloor186)->ArgName("records")->Arg(1000)->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Tcp186)->ArgName("records")->Arg(1000)->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Refuse186Of100000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PgFloor180)->UseRealTime();
BENCHMARK(PgTcp180)->UseRealTime();
BENCHMARK(PgFloor186)->ArgName("records")->Arg(1000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PgTcp186)->ArgName("records")->Arg(1000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Throughput16Clients)->ArgName("cached")->Arg(1)->Arg(0)->UseRealTime()->Unit(benchmark::kMillisecond);

// ---- a treaty of 100,000 detail lines ------------------------------------------

// Treaty data records on a SQLite store of their own, beside the treaty codes and
// the 1,000 records of 2024 of Fill: kTreaty + 1 with 100,000 detail lines (100
// products x 1,000 insuring companies, one reinsurer), + 2 with 10,000, + 3 the same
// treaty with none; + 4..7 with 20 lines each, whose commissions the mix saves.
constexpr int kTreaty = 900000;
const std::string& k205Sql = kel::server::handlers::ContDetailListSql();

void AddTreaty(kel::db::Connection& db, int id, int lines) {
    const bool sqlite = db.Dialect() == "sqlite";
    const std::string start = "2099" + std::to_string(10000 + id % 10000).substr(1);
    if (db.Execute("INSERT INTO t_cont_info (n_cont_id, c_cont_code, c_start_date, c_end_date, n_data_rev, "
                   "n_detail_rev) VALUES (?, 'A1', ?, '20991231', 1, 1)",
                   {kel::db::Value(id), start}) < 0 ||
        db.Execute("INSERT INTO t_cont_reins (n_cont_id, c_ri_cde, n_share, n_limit) VALUES (?, '01', 1, 1000)",
                   {kel::db::Value(id)}) < 0)
        Die("cannot add treaty " + std::to_string(id) + ": " + db.LastError());
    if (lines == 0) return;
    const std::string product = sqlite ? "printf('%04d', i % 100)" : "lpad((i % 100)::text, 4, '0')";
    const std::string sql =
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(lines - 1) +
        ") INSERT INTO t_cont_detail (n_cont_id, c_prod_no, c_risk_lvl, c_com_cde, c_ri_cde, n_quota_ratio, "
        "n_cont_limit, n_share, n_ri_limit, n_comm_rate) SELECT " +
        std::to_string(id) + ", " + product + ", '01', CAST(11000000 + i / 100 AS TEXT), '01', 0.3, 50000000, 1, " +
        "50000000, 0.25 FROM n";
    if (db.Execute(sql) < 0) Die("cannot add detail lines: " + db.LastError());
}

// Served twice, like Served: keeping answers (the mix, as a server runs) and not
// (the searches and checks, measured at their own cost).
struct TreatyStore {
    std::unique_ptr<Server> cached, uncached;
    std::unique_ptr<Listener> cachedListener, uncachedListener;
    std::string path;

    explicit TreatyStore(const std::string& target) : path(target) {
        std::string error;
        cached = Server::Open(target, &error);
        if (!cached) Die(error);
        Fill(*cached, {{"2024", 1000}});
        cached->GetStore().Write([](kel::db::Connection& db) {
            AddTreaty(db, kTreaty + 1, 100000);
            AddTreaty(db, kTreaty + 2, 10000);
            AddTreaty(db, kTreaty + 3, 0);
            for (int id = 4; id <= 7; ++id) AddTreaty(db, kTreaty + id, 20);
        });
        kel::server::ServerOptions noCache;
        noCache.cacheAnswers = false;
        uncached = Server::Open(target, &error, noCache);
        if (!uncached) Die(error);
        cachedListener = std::make_unique<Listener>(*cached, kel::server::ListenerOptions{});
        uncachedListener = std::make_unique<Listener>(*uncached, kel::server::ListenerOptions{});
        if (!cachedListener->Start(&error) || !uncachedListener->Start(&error)) Die(error);
    }
    ~TreatyStore() {
        uncachedListener.reset();
        cachedListener.reset();
        uncached.reset();
        cached.reset();
    }
    std::unique_ptr<kel::net::TcpChannel> Connect(bool cache = false) const {
        auto ch = std::make_unique<kel::net::TcpChannel>();
        if (!ch->Connect("127.0.0.1", (cache ? cachedListener : uncachedListener)->Port(), "bench", "bench").ok())
            Die("cannot log on");
        return ch;
    }
};

TreatyStore& BigTreaty() {
    static TreatyStore store((Folder() / "treaty.db").string());
    return store;
}

std::string DetailFilter(int contId, const char* product = "") {
    _ContDetailStruct f{};
    f.nContId = contId;
    std::memcpy(f.szProdCode, product, std::min(std::strlen(product), sizeof f.szProdCode - 1));
    return std::string(reinterpret_cast<const char*>(&f), sizeof f);
}

std::string TreatyKey(int contId) {
    _TextKey64 k{};
    std::snprintf(k.szKey, sizeof k.szKey, "%d", contId);
    return std::string(reinterpret_cast<const char*>(&k), sizeof k);
}

// 205 on 100,000 lines without a filter: refused after counting (absolute goal).
void Refuse205Of100000(benchmark::State& state) {
    auto ch = BigTreaty().Connect();
    std::vector<char> answer;
    for (auto _ : state)
        if (!Transact(*ch, 205, DetailFilter(kTreaty + 1), answer, 5))
            state.SkipWithError("205 was not refused with status 5");
}

// 205 on the same treaty narrowed to one product: 1,000 lines (no floor).
void Tcp205Of100000ByProduct(benchmark::State& state) {
    auto ch = BigTreaty().Connect();
    std::vector<char> answer;
    for (auto _ : state)
        if (!Transact(*ch, 205, DetailFilter(kTreaty + 1, "0042"), answer)) state.SkipWithError("205 failed");
    state.counters["records"] = static_cast<double>(answer.size() / sizeof(_ContDetailStruct));
}

void SqliteFloor205(benchmark::State& state) {
    const std::string filter = DetailFilter(kTreaty + 2);
    _PacketHead head;
    std::vector<char> body, frame;
    kel::server::ConnectionContext client{"bench"};
    BigTreaty().uncached->Handle(client, Head(205), filter, head, body);
    if (head.cStatus != 0) Die("no answer to 205");
    kel::net::EncodeFrame(head, body.data(), body.size(), frame);
    EchoServer echo(frame);
    auto ch = echo.Connect();
    sqlite3* db = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_open_v2(BigTreaty().path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
            SQLITE_OK ||
        sqlite3_prepare_v3(db, k205Sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
        Die("sqlite floor: " + std::string(sqlite3_errmsg(db)));
    std::vector<char> answer;
    std::size_t rows = 0, sink = 0;
    for (auto _ : state) {
        sqlite3_bind_int(stmt, 1, kTreaty + 2);
        rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < 11; ++c) {
                sqlite3_value* v = sqlite3_column_value(stmt, c);
                if (sqlite3_value_type(v) == SQLITE_TEXT)
                    sink += static_cast<std::size_t>(sqlite3_value_bytes(v));
                else
                    sink += static_cast<std::size_t>(sqlite3_value_double(v));
            }
        }
        sqlite3_reset(stmt);
        if (!Transact(*ch, 205, filter, answer)) state.SkipWithError("echo failed");
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    benchmark::DoNotOptimize(sink);
    state.counters["records"] = static_cast<double>(rows);
}

void Tcp205(benchmark::State& state) {
    auto ch = BigTreaty().Connect();
    std::vector<char> answer;
    for (auto _ : state)
        if (!Transact(*ch, 205, DetailFilter(kTreaty + 2), answer)) state.SkipWithError("205 failed");
    state.counters["records"] = static_cast<double>(answer.size() / sizeof(_ContDetailStruct));
}

// The treaty check on the treaty with 100,000 lines and on the same one with none.
void Tcp207(benchmark::State& state) {
    auto ch = BigTreaty().Connect();
    const std::string key = TreatyKey(kTreaty + (state.range(0) ? 1 : 3));
    std::vector<char> answer;
    for (auto _ : state)
        if (!Transact(*ch, 207, key, answer)) state.SkipWithError("207 failed");
}

BENCHMARK(Refuse205Of100000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Tcp205Of100000ByProduct)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteFloor205)->ArgName("lines")->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Tcp205)->ArgName("lines")->Arg(10000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Tcp207)->ArgName("lines100000")->Arg(1)->Arg(0)->UseRealTime();

// ---- 32 clients: readers and savers at once ---------------------------------------

// The processor the mix's clients run on, the server's being another (-1: any).
int g_clientCpu = -1;

void PinClient() {
    if (g_clientCpu < 0) return;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(g_clientCpu, &one);
    sched_setaffinity(0, sizeof one, &one);
}

// Latencies of one kind of request, in microseconds.
struct Latencies {
    std::vector<double> us;
    double Percentile(double p) {
        if (us.empty()) return 0;
        const auto at = us.begin() + static_cast<std::ptrdiff_t>(p * static_cast<double>(us.size() - 1));
        std::nth_element(us.begin(), at, us.end());
        return *at;
    }
};

// `readers` clients reading the code list (180), `searchers` searching a year's
// treaty data (186), `savers` adjusting the commissions of a treaty each (201), for
// `seconds`: the saves' and the reads' latencies. The clients stand for clerks at
// machines of their own: pinned, they run on the other processor (ClientCpu), so
// that what is measured is the server's wait on its processor, not the clients'.
struct MixResult {
    Latencies reads, saves;
    double seconds = 0;
};

MixResult RunMix(const std::function<std::unique_ptr<kel::net::TcpChannel>()>& connect, int readers, int searchers,
                 int savers, double seconds) {
    const int clients = readers + searchers + savers;
    std::vector<std::unique_ptr<kel::net::TcpChannel>> channels;
    for (int i = 0; i < clients; ++i) channels.push_back(connect());
    std::vector<Latencies> reads(clients), saves(clients);
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < clients; ++i)
        threads.emplace_back([&, i] {
            PinClient();
            std::vector<char> answer;
            _CommAdjustBody adjust{};
            adjust.nContId = kTreaty + 4 + i % 4;
            std::strcpy(adjust.szRICode, "01");
            const std::string year = YearKey("2024");
            for (int n = 0; !stop; ++n) {
                const auto began = std::chrono::steady_clock::now();
                bool ok;
                if (i < readers) {
                    ok = Transact(*channels[i], 180, "", answer);
                } else if (i < readers + searchers) {
                    ok = Transact(*channels[i], 186, year, answer);
                } else {
                    adjust.dCommRate = 0.2 + 0.001 * (n % 100);
                    _PacketHead h = Head(201);
                    h.nOperation = kAdjustByReinsurer;
                    ok = channels[i]->Send(h, &adjust, sizeof adjust) == 0 && channels[i]->Receive(h, answer) == 0 &&
                         h.cStatus == 0;
                }
                const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - began;
                if (!ok) ++failures;
                (i < readers + searchers ? reads : saves)[i].us.push_back(took.count());
            }
        });
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    for (auto& t : threads) t.join();
    if (failures) Die("the mix: " + std::to_string(failures.load()) + " requests failed");
    MixResult r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (auto& l : reads) r.reads.us.insert(r.reads.us.end(), l.us.begin(), l.us.end());
    for (auto& l : saves) r.saves.us.insert(r.saves.us.end(), l.us.begin(), l.us.end());
    return r;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Rounds of three parts in a random order each: the saves alone (one saver, a third
// of the time), four savers without readers (a third) and the 32-client mix (24
// readers of 180, 4 searchers of 186, 4 savers). Printed: the medians over the
// rounds of each part's rate, p50 and p99, and the median of the rounds' ratios of
// the mix's save p99 to the p99 alone, so both come from the same stretch of time.
void MeasureMix(const char* name, const std::function<std::unique_ptr<kel::net::TcpChannel>()>& connect, double seconds,
                int rounds) {
    std::printf("\n%s: 32 clients, %d rounds of %.0f s (medians over the rounds; p50 / p99 in ms)\n", name, rounds,
                seconds);
    struct Part {
        const char* what;
        int readers, searchers, savers;
        double seconds;
        std::vector<double> rate, p50, p99, readRate, readP50, readP99;
    };
    Part parts[] = {{"saves alone", 0, 0, 1, seconds / 3, {}, {}, {}, {}, {}, {}},
                    {"4 savers, no readers", 0, 0, 4, seconds / 3, {}, {}, {}, {}, {}, {}},
                    {"mix", 24, 4, 4, seconds, {}, {}, {}, {}, {}, {}}};
    std::vector<double> ratios;
    std::mt19937 random(std::random_device{}());
    for (int round = 0; round < rounds; ++round) {
        int order[] = {0, 1, 2};
        std::shuffle(std::begin(order), std::end(order), random);
        for (int k : order) {
            Part& part = parts[k];
            MixResult r = RunMix(connect, part.readers, part.searchers, part.savers, part.seconds);
            part.rate.push_back(static_cast<double>(r.saves.us.size()) / r.seconds);
            part.p50.push_back(r.saves.Percentile(0.5) / 1e3);
            part.p99.push_back(r.saves.Percentile(0.99) / 1e3);
            part.readRate.push_back(static_cast<double>(r.reads.us.size()) / r.seconds);
            part.readP50.push_back(r.reads.Percentile(0.5) / 1e3);
            part.readP99.push_back(r.reads.Percentile(0.99) / 1e3);
        }
        ratios.push_back(parts[2].p99.back() / parts[0].p99.back());
    }
    const auto line = [](const char* what, double rate, double p50, double p99) {
        std::printf("  %-22s %8.0f/s %8.2f %8.2f\n", what, rate, p50, p99);
    };
    line("saves alone", Median(parts[0].rate), Median(parts[0].p50), Median(parts[0].p99));
    line("4 savers, no readers", Median(parts[1].rate), Median(parts[1].p50), Median(parts[1].p99));
    line("mix: reads", Median(parts[2].readRate), Median(parts[2].readP50), Median(parts[2].readP99));
    line("mix: saves", Median(parts[2].rate), Median(parts[2].p50), Median(parts[2].p99));
    const double ratio = Median(ratios);
    std::printf("  %-22s %7.2fx %7.1fx %s\n", "mix save p99 / alone", ratio, 10.0, ratio <= 10 ? "met" : "MISSED");
}

// ---- the goals, as ratios -----------------------------------------------------

struct Goal {
    const char* name;
    const char* floor;  // nullptr: `limit` is an absolute time in ms
    double limit;       // 0: the ratio is shown, no goal
};
const Goal kGoals[] = {
    {"Tcp180/cached:1", "EchoOf180Bytes", 1.2},
    {"Tcp180/cached:0", "EchoOf180Bytes", 2.0},
    {"Tcp180/cached:0", "SqliteFloor180", 0},
    {"InProcess180/cached:0", "SqliteSelect180", 0},
    {"Tcp186/records:1000", "SqliteFloor186/records:1000", 1.5},
    {"Tcp186/records:10000", "SqliteFloor186/records:10000", 1.5},
    {"PgTcp180", "PgFloor180", 2.0},
    {"PgTcp186/records:1000", "PgFloor186/records:1000", 2.0},
    {"Refuse186Of100000", nullptr, 50.0},
    {"Refuse205Of100000", nullptr, 10.0},
    {"Tcp205/lines:10000", "SqliteFloor205/lines:10000", 1.5},
    {"Tcp207/lines100000:1", "Tcp207/lines100000:0", 1.5},
};

// Keeps each benchmark's time per iteration (the median when repeated) in ns.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const double ns = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
            std::string name = run.run_name.str();
            if (const auto at = name.find("/real_time"); at != std::string::npos) name.erase(at);
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") medians_[name] = ns;
            } else {
                singles_[name].push_back(ns);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::optional<double> Time(const std::string& name) const {
        if (const auto it = medians_.find(name); it != medians_.end()) return it->second;
        const auto it = singles_.find(name);
        if (it == singles_.end() || it->second.empty()) return std::nullopt;
        auto v = it->second;
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    }
    void PrintRatios() const {
        std::printf("\n%-24s %12s %-30s %8s %8s\n", "benchmark", "time", "floor", "ratio", "goal");
        for (const Goal& g : kGoals) {
            const auto t = Time(g.name);
            if (!t) continue;
            if (!g.floor) {
                std::printf("%-24s %9.2f ms %-30s %8s %5.0f ms %s\n", g.name, *t / 1e6, "(absolute)", "", g.limit,
                            *t / 1e6 <= g.limit ? "met" : "MISSED");
                continue;
            }
            const auto f = Time(g.floor);
            if (!f) continue;
            const double ratio = *t / *f;
            if (g.limit == 0) {  // shown, no goal
                std::printf("%-24s %9.1f us %-30s %7.2fx\n", g.name, *t / 1e3, g.floor, ratio);
                continue;
            }
            std::printf("%-24s %9.1f us %-30s %7.2fx %7.1fx %s\n", g.name, *t / 1e3, g.floor, ratio, g.limit,
                        ratio <= g.limit ? "met" : "MISSED");
        }
    }

private:
    std::map<std::string, double> medians_;
    std::map<std::string, std::vector<double>> singles_;
};

// ---- 180 paired: each request beside its floors, moment by moment ------------------

// On a shared machine the load changes from one second to the next, and so do the
// round trips; benchmarks timed one after another compare different moments. Here
// each round sends 180 once to every party in a random order (the echo, the server
// keeping answers, the server not keeping them, the SELECT plus the echo), so every
// median is taken over the same moments.
void MeasurePaired180(int rounds) {
    enum { kEcho, kKept, kNotKept, kFloor, kParties };
    const char* const names[kParties] = {"echo", "kept", "not kept", "SELECT + echo"};
    EchoServer echo(Sqlite().AnswerFrame(180, ""));
    auto echoChannel = echo.Connect();
    auto kept = Sqlite().Connect(true);
    auto notKept = Sqlite().Connect(false);
    SqliteFloor floor((Folder() / "kelmor.db").string(), k180Sql);
    std::vector<std::vector<double>> us(kParties);
    std::vector<char> answer;
    std::size_t sink = 0;
    int order[kParties] = {kEcho, kKept, kNotKept, kFloor};
    std::mt19937 rng(180);
    for (int round = -rounds / 10; round < rounds; ++round) {  // the first tenth warms up
        std::shuffle(std::begin(order), std::end(order), rng);
        for (int party : order) {
            const auto start = std::chrono::steady_clock::now();
            bool ok = true;
            switch (party) {
                case kEcho: ok = Transact(*echoChannel, 180, "", answer); break;
                case kKept: ok = Transact(*kept, 180, "", answer); break;
                case kNotKept: ok = Transact(*notKept, 180, "", answer); break;
                default: floor.Run("", sink); ok = Transact(*echoChannel, 180, "", answer);
            }
            const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
            if (!ok) Die(std::string("paired 180: ") + names[party] + " failed");
            if (round >= 0) us[party].push_back(took.count());
        }
    }
    benchmark::DoNotOptimize(sink);
    double median[kParties];
    for (int p = 0; p < kParties; ++p) {
        std::nth_element(us[p].begin(), us[p].begin() + us[p].size() / 2, us[p].end());
        median[p] = us[p][us[p].size() / 2];
    }
    std::printf("\n180 paired, %d rounds (medians)\n", rounds);
    const auto line = [&](const char* name, int party, int floorParty, double goal) {
        const double ratio = median[party] / median[floorParty];
        std::printf("%-24s %9.1f us %-30s %7.2fx", name, median[party], names[floorParty], ratio);
        if (goal > 0) std::printf(" %7.1fx %s", goal, ratio <= goal ? "met" : "MISSED");
        std::printf("\n");
    };
    std::printf("%-24s %9.1f us\n", "Paired180/echo", median[kEcho]);
    line("Paired180/kept", kKept, kEcho, 1.2);
    line("Paired180/not kept", kNotKept, kEcho, 2.0);
    line("Paired180/not kept", kNotKept, kFloor, 0);
    line("Paired180/floor", kFloor, kEcho, 0);
}

// ---- what TLS costs: the same requests over TLS and over plain TCP ----------------

// Each round sends 180 (the server keeping answers) and 186 of 1,000 records (not
// keeping them) once over a plain connection and once over a TLS one to the same
// server, in a random order, so both medians come from the same moments. The
// handshake is once per connection, as a client's session has it; the log-on of
// each (connect, handshake, log-on) is timed apart.
void MeasureTlsCost(int rounds) {
    const std::string cert = (Folder() / "bench.crt").string(), key = (Folder() / "bench.key").string();
    const std::string make =
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 "
        "-subj /CN=localhost -keyout '" +
        key + "' -out '" + cert + "' 2>/dev/null";
    if (std::system(make.c_str()) != 0) Die("openssl could not make the benchmark's certificate");
    std::string error;
    auto tls = kel::server::TlsServer::Load(cert, key, error);
    if (!tls) Die(error);
    kel::server::ListenerOptions options;
    options.tls = tls;
    Listener keptTls(*Sqlite().cached, options), notKeptTls(*Sqlite().uncached, options);
    if (!keptTls.Start(&error) || !notKeptTls.Start(&error)) Die(error);
    kel::net::TcpOptions pinned;
    pinned.tls.fingerprintHex = kel::net::FingerprintText(tls->Fingerprint());
    const auto connectTls = [&](const Listener& listener) {
        auto ch = std::make_unique<kel::net::TcpChannel>();
        const auto result = ch->Connect("127.0.0.1", listener.Port(), "bench", "bench", pinned);
        if (!result.ok()) Die("TLS log-on: " + result.message);
        return ch;
    };

    enum { kPlain180, kTls180, kPlain186, kTls186, kParties };
    const char* const names[kParties] = {"180 plain", "180 TLS", "186/records:1000 plain", "186/records:1000 TLS"};
    auto plainKept = Sqlite().Connect(true), plainNotKept = Sqlite().Connect(false);
    auto tlsKept = connectTls(keptTls), tlsNotKept = connectTls(notKeptTls);
    const std::string year = YearKey(YearOf(1000));
    std::vector<std::vector<double>> us(kParties);
    std::vector<char> answer;
    int order[kParties] = {kPlain180, kTls180, kPlain186, kTls186};
    std::mt19937 rng(186);
    for (int round = -rounds / 10; round < rounds; ++round) {  // the first tenth warms up
        std::shuffle(std::begin(order), std::end(order), rng);
        for (int party : order) {
            const auto start = std::chrono::steady_clock::now();
            bool ok = true;
            switch (party) {
                case kPlain180: ok = Transact(*plainKept, 180, "", answer); break;
                case kTls180: ok = Transact(*tlsKept, 180, "", answer); break;
                case kPlain186: ok = Transact(*plainNotKept, 186, year, answer); break;
                default: ok = Transact(*tlsNotKept, 186, year, answer);
            }
            const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
            if (!ok) Die(std::string("TLS cost: ") + names[party] + " failed");
            if (round >= 0) us[party].push_back(took.count());
        }
    }
    // The log-on, plain and over TLS (the handshake included), paired the same way.
    std::vector<double> logonPlain, logonTls;
    for (int i = 0; i < 200; ++i) {
        for (int tlsFirst = 0; tlsFirst < 2; ++tlsFirst) {
            const bool useTls = (i + tlsFirst) % 2 == 0;
            const auto start = std::chrono::steady_clock::now();
            if (useTls)
                connectTls(notKeptTls);
            else
                Sqlite().Connect(false);
            const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
            (useTls ? logonTls : logonPlain).push_back(took.count());
        }
    }
    const auto medianOf = [](std::vector<double>& v) {
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        return v[v.size() / 2];
    };
    double median[kParties];
    for (int p = 0; p < kParties; ++p) median[p] = medianOf(us[p]);
    std::printf("\nTLS against plain TCP, %d rounds (medians; TLS 1.3, handshake once per connection)\n", rounds);
    const auto line = [](const char* name, double plainUs, double tlsUs) {
        std::printf("%-30s %9.1f us plain %9.1f us TLS %7.2fx\n", name, plainUs, tlsUs, tlsUs / plainUs);
    };
    line("TlsCost/180", median[kPlain180], median[kTls180]);
    line("TlsCost/186/records:1000", median[kPlain186], median[kTls186]);
    line("TlsCost/log-on", medianOf(logonPlain), medianOf(logonTls));
    tlsKept.reset();
    tlsNotKept.reset();
}

// ---- a server process of its own: memory ---------------------------------------

struct ServerProcess {
    pid_t pid = -1;
    uint16_t port = 0;

    ServerProcess(const std::string& database) {
        const auto program = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kelmor-server";
        int out[2];
        if (pipe(out) != 0) Die("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string p = program.string();
        // Every log-on of the measurement comes from loopback: no cap per address.
        std::vector<std::string> args = {p,        "--listen", "127.0.0.1:0",       "--database",
                                         database, "--quiet",  "--max-per-address", "1000"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid, p.c_str(), &actions, nullptr, argv.data(), environ) != 0) Die("cannot start " + p);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string line;
        char ch;
        while (read(out[0], &ch, 1) == 1 && ch != '\n') line += ch;
        close(out[0]);
        const auto colon = line.rfind(':');
        if (colon == std::string::npos) Die("kelmor-server said: " + line);
        port = static_cast<uint16_t>(std::stoi(line.substr(colon + 1)));
    }
    ~ServerProcess() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    // A line of /proc/PID/status in kB ("VmRSS", "VmHWM").
    long StatusKb(const char* key) const {
        std::ifstream in("/proc/" + std::to_string(pid) + "/status");
        std::string k;
        long v = 0;
        while (in >> k) {
            if (k == std::string(key) + ":") {
                in >> v;
                return v;
            }
            std::getline(in, k);
        }
        return -1;
    }
    void ResetPeak() const { std::ofstream("/proc/" + std::to_string(pid) + "/clear_refs") << "5"; }
    std::unique_ptr<kel::net::TcpChannel> Connect() const {
        auto ch = std::make_unique<kel::net::TcpChannel>();
        if (!ch->Connect("127.0.0.1", port, "bench", "bench").ok()) Die("cannot log on to kelmor-server");
        return ch;
    }
};

void MeasureMemory() {
    const std::string path = (Folder() / "memory.db").string();
    {
        auto server = Server::Open(path);
        if (!server) Die("cannot open " + path);
        Fill(*server, {{"2022", 30000}});
    }
    {
        ServerProcess p(path);
        auto ch = p.Connect();
        std::vector<char> answer;
        if (!Transact(*ch, 180, "", answer)) Die("180 failed");
        p.ResetPeak();
        const long before = p.StatusKb("VmRSS");
        if (!Transact(*ch, 186, YearKey("2022"), answer)) Die("186 of 30,000 records failed");
        const long peak = p.StatusKb("VmHWM");
        const double answerKb = static_cast<double>(answer.size()) / 1024;
        std::printf("%-24s %8.1f MiB %-30s %7.2fx %7.1fx %s\n", "Memory186/records:30000", (peak - before) / 1024.0,
                    "(its answer's size)", (peak - before) / answerKb, 3.0,
                    (peak - before) / answerKb <= 3.0 ? "met" : "MISSED");
    }
    {
        ServerProcess p(path);
        constexpr int kLogons = 64;
        std::atomic<int> ready{0}, failed{0};
        std::atomic<bool> go{false};
        std::vector<std::thread> clients;
        for (int i = 0; i < kLogons; ++i)
            clients.emplace_back([&] {
                ++ready;
                while (!go) std::this_thread::yield();
                kel::net::TcpChannel ch;
                if (!ch.Connect("127.0.0.1", p.port, "bench", "bench").ok()) ++failed;
            });
        while (ready < kLogons) std::this_thread::yield();
        go = true;
        for (auto& t : clients) t.join();
        const double peakMb = p.StatusKb("VmHWM") / 1024.0;
        std::printf("%-24s %8.1f MiB %-30s %8s %5.0f MB %s%s\n", "Logons64/peak", peakMb, "(absolute)", "", 200.0,
                    peakMb <= 200 ? "met" : "MISSED", failed ? " (some log-ons failed)" : "");
    }
}

// Every thread of the benchmark (clients, echoes, servers, and the kelmor-server it
// starts) on the last CPU it may use. Each round trip then costs the same two
// switches on one CPU for the echo and the server alike, and the load other programs
// put on the other CPUs no longer reaches the measurement: a wake-up across CPUs
// waits for a busy one, by tens of microseconds, at random.
void PinToOneCpu() {
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return;
    int last = -1;
    for (int c = 0; c < CPU_SETSIZE; ++c)
        if (CPU_ISSET(c, &allowed)) {
            if (last >= 0) g_clientCpu = last;
            last = c;
        }
    if (last < 0) return;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(last, &one);
    if (sched_setaffinity(0, sizeof one, &one) == 0)
        std::printf("pinned to CPU %d, the mix's clients to CPU %d (--no_pin: free)\n", last, g_clientCpu);
    else
        g_clientCpu = -1;
}

}  // namespace

int main(int argc, char** argv) {
    // Medians of interleaved repetitions unless told otherwise.
    std::vector<char*> args(argv, argv + argc);
    // --paired_rounds=N: rounds of the paired 180 measurement (0: none).
    // --no_pin: threads run on every CPU instead of one.
    // --mix_seconds=N: length of the 32-client mix in each round (0: none).
    // --mix_rounds=N: rounds of the mix, each with the saves alone (3 by default).
    // --tls_rounds=N: rounds of the TLS against plain TCP measurement (0: none).
    int pairedRounds = 20000;
    int tlsRounds = 3000;
    double mixSeconds = 30;
    int mixRounds = 3;
    bool pin = true;
    for (auto it = args.begin() + 1; it != args.end();)
        if (std::strncmp(*it, "--paired_rounds=", 16) == 0) {
            pairedRounds = std::atoi(*it + 16);
            it = args.erase(it);
        } else if (std::strncmp(*it, "--tls_rounds=", 13) == 0) {
            tlsRounds = std::atoi(*it + 13);
            it = args.erase(it);
        } else if (std::strncmp(*it, "--mix_seconds=", 14) == 0) {
            mixSeconds = std::atof(*it + 14);
            it = args.erase(it);
        } else if (std::strncmp(*it, "--mix_rounds=", 13) == 0) {
            mixRounds = std::max(1, std::atoi(*it + 13));
            it = args.erase(it);
        } else if (std::strcmp(*it, "--no_pin") == 0) {
            pin = false;
            it = args.erase(it);
        } else {
            ++it;
        }
    if (pin) PinToOneCpu();
    if (!kel::bench::InitializeInterleaved(args)) return 1;
    Sqlite();  // set up before any timing
    BigTreaty();
    if (Pg())
        Pg()->served->cached->GetStore().Write([](kel::db::Connection& db) {
            for (int id = 4; id <= 7; ++id) AddTreaty(db, kTreaty + id, 20);
        });
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    if (pairedRounds > 0) MeasurePaired180(pairedRounds);
    if (tlsRounds > 0) MeasureTlsCost(tlsRounds);
    if (mixSeconds > 0) {
        MeasureMix(
            "SQLite", [] { return BigTreaty().Connect(true); }, mixSeconds, mixRounds);
        if (Pg())
            MeasureMix(
                "PostgreSQL", [] { return Pg()->served->Connect(true); }, mixSeconds, mixRounds);
    }
    MeasureMemory();
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
