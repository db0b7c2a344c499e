#include "server/tests/ServerTestSupport.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>

namespace kel::server::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelmor-server-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

PgDatabase::PgDatabase() {
    const char* conn = std::getenv("KELMOR_PG_CONN");
    if (!conn || !*conn) return;
    admin_ = conn;
    static std::atomic<int> serial{0};
    name_ = "kelmor_t" + std::to_string(getpid()) + "_" + std::to_string(++serial) + "_" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 100000);
    std::string error;
    auto admin = kel::db::Open(admin_, &error);
    if (!admin || admin->Execute("CREATE DATABASE " + name_ + " ENCODING 'UTF8' TEMPLATE template0") < 0)
        throw std::runtime_error("cannot create a test database: " + (admin ? admin->LastError() : error));
    // The same connection string with the new database.
    std::string rest = admin_;
    const std::string lower = [&] {
        std::string s = admin_;
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }();
    const auto at = lower.find("database=");
    if (at == std::string::npos) {
        conn_ = admin_ + (admin_.back() == ';' ? "" : ";") + "Database=" + name_ + ";";
    } else {
        const auto end = admin_.find(';', at);
        conn_ = admin_.substr(0, at) + "Database=" + name_ + (end == std::string::npos ? "" : admin_.substr(end));
    }
}

PgDatabase::~PgDatabase() {
    if (name_.empty()) return;
    if (auto admin = kel::db::Open(admin_)) admin->Execute("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
}

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
}

std::string Treaty::Body(int code) const {
    const kel::records::ContSubCounts counts{static_cast<int32_t>(reins.size()), static_cast<int32_t>(risk.size()),
                                             static_cast<int32_t>(extra.size())};
    std::string body = Bytes(*kel::records::MakeContSubHead(code, counts)) + Bytes(info);
    if (code == 187)
        body += Bytes(risk) + Bytes(reins);
    else
        body += Bytes(reins) + Bytes(risk);
    return body + Bytes(extra);
}

Treaty MakeTreaty(const char* code, const char* start, const char* contNo) {
    Treaty t;
    Set(t.info.szContCode, code);
    Set(t.info.szStartDate, start);
    std::string end = std::string(start).substr(0, 4) + "1231";
    Set(t.info.szEndDate, end);
    Set(t.info.szContNo, contNo);
    Set(t.info.szLimitCurr, "01");
    Set(t.info.szUserCode, "demo");
    Set(t.info.szUserCode2, "demo");
    t.info.dCommRate = 0.3;
    t.info.dTaxRate = 0.055;
    t.info.nLines = 3;
    return t;
}

_ContReinsStruct Participant(const char* code, double share, double limit) {
    _ContReinsStruct r{};
    Set(r.szRICode, code);
    r.dShare = share;
    r.dLimit = limit;
    return r;
}

_ContRiskStruct ProductRow(const char* product, const char* level, double limit, float quota) {
    _ContRiskStruct r{};
    Set(r.szProdCode, product);
    Set(r.szRiskLevel, level);
    r.fQuotaRatio = quota;
    r.dRetention = limit / 3;
    r.dContLimit = limit;
    r.nLines = 3;
    r.cSetType = 'T';
    r.cCopyFlag = 'N';
    Set(r.szVipLimit, "0.00");
    return r;
}

_ContExtraStruct SubReinsurer(const char* broker, const char* sub, const char* share, const char* brokerShare,
                              char status) {
    _ContExtraStruct e{};
    Set(e.szBrokerCode, broker);
    Set(e.szSubRICode, sub);
    Set(e.szSubShare, share);
    Set(e.szBrokerShare, brokerShare);
    e.cStatus = status;
    return e;
}

void ServerTest::SetUp() {
    if (GetParam() == Backend::Postgres) {
        pg_ = std::make_unique<PgDatabase>();
        if (pg_->Conn().empty()) GTEST_SKIP() << "set KELMOR_PG_CONN to run against PostgreSQL";
        target_ = pg_->Conn();
    } else {
        dir_ = std::make_unique<TempDir>();
        target_ = (dir_->Path() / "kelmor.db").string();
    }
    std::string error;
    ServerOptions options;
    // A database failure is never expected in these tests: show its message.
    options.log = [](int code, Status status, std::string_view why) {
        if (status == kServerFailure) ADD_FAILURE() << "transaction " << code << ": " << why;
    };
    server_ = Server::Open(target_, &error, options);
    ASSERT_TRUE(server_) << error;
    db_ = kel::db::Open(target_, &error);
    ASSERT_TRUE(db_) << error;
}

void ServerTest::TearDown() {
    db_.reset();
    server_.reset();
    pg_.reset();
    dir_.reset();
}

Reply ServerTest::Send(int code, std::string_view body, int32_t op, int16_t count) {
    return SendAs(client_, code, body, op, count);
}

Reply ServerTest::SendAs(ConnectionContext& client, int code, std::string_view body, int32_t op, int16_t count) {
    _PacketHead head{};
    head.nTransCode = static_cast<int16_t>(code);
    head.nCount = count;
    head.nSubSystem = (code >= 163 && code <= 167) ? kSubSystemPrompt : kSubSystemDefault;
    head.nOperation = op;
    Reply reply;
    server_->Handle(client, head, body, reply.head, reply.body);
    return reply;
}

int64_t ServerTest::Count(const std::string& sql) {
    auto rs = db_->Query(sql);
    EXPECT_TRUE(rs) << sql << ": " << db_->LastError();
    if (!rs || rs->rows.empty()) return -1;
    const auto& v = rs->rows[0][0];
    if (const auto* n = std::get_if<int64_t>(&v.v)) return *n;
    return -1;
}

std::string ServerTest::Text(const std::string& sql) {
    auto rs = db_->Query(sql);
    EXPECT_TRUE(rs) << sql << ": " << db_->LastError();
    if (!rs || rs->rows.empty()) return "<no row>";
    return rs->rows[0][0].ToText();
}

void ServerTest::Seed() {
    const char* statements[] = {
        "INSERT INTO t_prd_prod (c_prod_no, c_nme_cn) VALUES ('0101', '企业财产保险'), ('0102', '家庭财产保险'), "
        "('0401', '建筑工程一切险')",
        "INSERT INTO t_ri_company (c_ri_cde, c_nme_cn, c_com_kind, c_lapsed) VALUES ('01', '甲再保险', 'A', 'N'), "
        "('02', '乙再保险', 'A', 'N'), ('03', '丙再保险', 'A', 'N'), ('B1', '丁再保险经纪', 'B', 'N')",
        "INSERT INTO t_cont_code (c_cont_code, c_name_cn, c_name_en, c_type) VALUES ('Q1', '财产险成数合约', "
        "'Property QS', 'A'), ('S1', '第一溢额合约', 'First Surplus', 'E'), ('X1', '超赔合约', 'XL', 'H')",
        "INSERT INTO t_insr_company (c_com_cde, c_nme_cn) VALUES ('11000000', '北京分公司'), ('31000000', "
        "'上海分公司')",
    };
    for (const char* s : statements) ASSERT_GE(db_->Execute(s), 0) << s << ": " << db_->LastError();
}

int32_t ServerTest::InsertTreaty(const Treaty& t) {
    const Reply r = Send(189, t.Body(189));
    EXPECT_EQ(r.Status(), 0);
    return static_cast<int32_t>(Count("SELECT MAX(n_cont_id) FROM t_cont_info"));
}

}  // namespace kel::server::test
