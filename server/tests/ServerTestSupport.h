// Shared pieces of the server tests: a fresh database per test (a SQLite file, or a
// throw-away PostgreSQL database when KELMOR_PG_CONN is set), packets sent through
// Server::Handle, record builders and a direct connection for checking the store.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/db/Database.h"
#include "common/records/TransactionCodes.h"
#include "common/text/GbkText.h"
#include "server/Server.h"

namespace kel::server::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A fresh PostgreSQL database on the server KELMOR_PG_CONN names, dropped again.
class PgDatabase {
public:
    // Empty connection string when KELMOR_PG_CONN is not set.
    PgDatabase();
    ~PgDatabase();
    const std::string& Conn() const { return conn_; }

private:
    std::string admin_;
    std::string name_;
    std::string conn_;
};

enum class Backend { Sqlite, Postgres };

struct Reply {
    _PacketHead head{};
    std::vector<char> body;
    int Status() const { return head.cStatus; }
    int Count() const { return head.nCount; }
    template <class R>
    std::vector<R> Records(std::size_t offset = 0) const {
        std::vector<R> out((body.size() - offset) / sizeof(R));
        if (!out.empty()) std::memcpy(out.data(), body.data() + offset, out.size() * sizeof(R));
        return out;
    }
};

// A text field from UTF-8 (GBK on the wire).
template <std::size_t N>
void Set(char (&field)[N], std::string_view utf8) {
    ASSERT_EQ(kel::text::PutField(field, N, utf8), kel::text::PutResult::Ok) << utf8;
}
template <std::size_t N>
std::string Get(const char (&field)[N]) {
    return kel::text::GetField(field, N);
}

// The bytes of one or more records.
template <class R>
std::string Bytes(const R& r) {
    return std::string(reinterpret_cast<const char*>(&r), sizeof r);
}
template <class R>
std::string Bytes(const std::vector<R>& rs) {
    return std::string(reinterpret_cast<const char*>(rs.data()), rs.size() * sizeof(R));
}
template <std::size_t N>
std::string Key(int32_t id) {
    char field[N];
    kel::records::PutDecimalKey(field, N, id);
    return std::string(field, N);
}

// Treaty data with its lists, as the edit screen sends it (187 or 189).
struct Treaty {
    _ContInfoStruct info{};
    std::vector<_ContReinsStruct> reins;
    std::vector<_ContRiskStruct> risk;
    std::vector<_ContExtraStruct> extra;
    std::string Body(int code) const;
};
Treaty MakeTreaty(const char* code, const char* start, const char* contNo);
_ContReinsStruct Participant(const char* code, double share, double limit = 9999999999.99);
_ContRiskStruct ProductRow(const char* product, const char* level, double limit, float quota = 0.3f);
_ContExtraStruct SubReinsurer(const char* broker, const char* sub, const char* share, const char* brokerShare,
                              char status);

class ServerTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;
    void TearDown() override;

    Reply Send(int code, std::string_view body = {}, int32_t op = 0, int16_t count = 1);
    // The same through another connection.
    Reply SendAs(ConnectionContext& client, int code, std::string_view body = {}, int32_t op = 0, int16_t count = 1);
    template <class R>
    Reply SendRecord(int code, const R& r, int32_t op = 0) {
        return Send(code, Bytes(r), op);
    }

    kel::db::Connection& Db() { return *db_; }
    int64_t Count(const std::string& sql);
    std::string Text(const std::string& sql);
    // Two products, four reinsurers (B1 a broker), three treaty codes, two insuring companies.
    void Seed();
    // Inserts `t` with 189; returns the identifier the server gave it.
    int32_t InsertTreaty(const Treaty& t);

    std::string target_;
    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<PgDatabase> pg_;
    std::unique_ptr<Server> server_;
    ConnectionContext client_{"demo"};  // the connection of Send, logged on as the demo user
    std::unique_ptr<kel::db::Connection> db_;
};

std::string BackendName(const ::testing::TestParamInfo<Backend>& info);

#define KELMOR_SERVER_BACKENDS(Suite)                                                                    \
    INSTANTIATE_TEST_SUITE_P(                                                                            \
        Backends, Suite,                                                                                 \
        ::testing::Values(::kel::server::test::Backend::Sqlite, ::kel::server::test::Backend::Postgres), \
        ::kel::server::test::BackendName)

}  // namespace kel::server::test
