// The server's own connections (SQLite C API, libpq): values keep their types both
// ways, kept statements are reused safely, failures are reported and leave the
// connection usable; the targets users give are read as they mean them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "server/Store.h"
#include "server/store/ConnectionString.h"
#include "server/store/NativeConnection.h"
#include "server/store/PgConnection.h"
#include "server/store/SqliteConnection.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using kel::db::Value;

class NativeTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        if (GetParam() == Backend::Postgres) {
            pg_ = std::make_unique<PgDatabase>();
            if (pg_->Conn().empty()) GTEST_SKIP() << "set KELMOR_PG_CONN to run against PostgreSQL";
            target_ = pg_->Conn();
        } else {
            dir_ = std::make_unique<TempDir>();
            target_ = (dir_->Path() / "native.db").string();
        }
        std::string error;
        db_ = store::Open(target_, &error);
        ASSERT_TRUE(db_) << error;
        ASSERT_TRUE(dynamic_cast<store::NativeConnection*>(db_.get())) << "opened through ODBC";
        ASSERT_GE(db_->Execute("CREATE TABLE t (c_code VARCHAR(10), n_big BIGINT, n_real DOUBLE PRECISION, "
                               "c_text VARCHAR(60), n_dec NUMERIC(12, 4))"),
                  0)
            << db_->LastError();
    }
    void TearDown() override {
        db_.reset();
        pg_.reset();
    }
    store::NativeConnection& Native() { return *dynamic_cast<store::NativeConnection*>(db_.get()); }

    std::string target_;
    std::unique_ptr<TempDir> dir_;
    std::unique_ptr<PgDatabase> pg_;
    std::unique_ptr<kel::db::Connection> db_;
};

TEST_P(NativeTest, ValuesKeepTheirTypesBothWays) {
    const int64_t big = (int64_t{1} << 53) + 7;  // beyond a double's exact integers
    const std::string chinese = "瀚海再保险股份有限公司（测试）";
    ASSERT_EQ(db_->Execute("INSERT INTO t VALUES (?, ?, ?, ?, ?)", {"01", big, 0.1, chinese, 2.5}), 1)
        << db_->LastError();
    ASSERT_EQ(db_->Execute("INSERT INTO t VALUES (?, ?, ?, ?, ?)", {"", Value(), Value(), Value(), Value()}), 1);
    ASSERT_EQ(db_->Execute("INSERT INTO t VALUES (?, ?, ?, ?, ?)", {"-7", int64_t{-5}, -1e300, "x", 7}), 1);

    const auto rs = db_->Query("SELECT c_code, n_big, n_real, c_text, n_dec FROM t ORDER BY n_big");
    ASSERT_TRUE(rs) << db_->LastError();
    ASSERT_EQ(rs->rows.size(), 3u);
    // NULLs sort first on SQLite, last on PostgreSQL: find each row by its code.
    for (const auto& row : rs->rows) {
        const auto* code = std::get_if<std::string>(&row[0].v);
        ASSERT_TRUE(code) << "a code is text";
        if (*code == "01") {
            EXPECT_EQ(std::get<int64_t>(row[1].v), big);
            EXPECT_EQ(std::get<double>(row[2].v), 0.1);
            EXPECT_EQ(std::get<std::string>(row[3].v), chinese);
            EXPECT_EQ(std::get<double>(row[4].v), 2.5);
        } else if (code->empty()) {
            for (int c = 1; c < 5; ++c) EXPECT_TRUE(row[c].IsNull()) << c;
        } else {
            EXPECT_EQ(*code, "-7");
            EXPECT_EQ(std::get<int64_t>(row[1].v), -5);
            EXPECT_EQ(std::get<double>(row[2].v), -1e300);
            EXPECT_EQ(row[4].ToText(), "7");  // a whole decimal reads as an integer
        }
    }
    EXPECT_EQ(rs->columns.at(1), "n_big");

    // The same values stepped row by row, read as the packers read them.
    int seen = 0;
    ASSERT_TRUE(Native().Each("SELECT c_code, n_big, n_real, c_text, n_dec FROM t WHERE c_code = ?", {"01"},
                              [&](const store::RowCells& row) {
                                  ++seen;
                                  EXPECT_EQ(row.Text(0), "01");
                                  EXPECT_EQ(row.Int(0), 1);  // a code read as a number when asked
                                  EXPECT_EQ(row.Int(1), big);
                                  EXPECT_EQ(row.Text(1), std::to_string(big));
                                  EXPECT_EQ(row.Real(2), 0.1);
                                  EXPECT_EQ(row.Text(3), chinese);
                                  EXPECT_EQ(row.Real(4), 2.5);
                                  EXPECT_FALSE(row.IsNull(4));
                                  return true;
                              }))
        << db_->LastError();
    EXPECT_EQ(seen, 1);

    // A NULL read as text is empty and still points somewhere: packers copy from it.
    ASSERT_TRUE(Native().Each("SELECT c_text FROM t WHERE c_code = ''", {}, [&](const store::RowCells& row) {
        EXPECT_TRUE(row.IsNull(0));
        EXPECT_TRUE(row.Text(0).empty());
        EXPECT_NE(row.Text(0).data(), nullptr);
        return true;
    }));
}

TEST_P(NativeTest, DecimalsReadExactly) {
    for (const char* v : {"0.0500", "-0.0500", "12345678.1234", "0", "-3", "10000"})
        ASSERT_EQ(db_->Execute(std::string("INSERT INTO t (c_code, n_dec) VALUES ('d', ") + v + ")"), 1)
            << db_->LastError();
    const auto rs = db_->Query("SELECT n_dec FROM t ORDER BY n_dec");
    ASSERT_TRUE(rs) << db_->LastError();
    std::vector<double> got;
    for (const auto& row : rs->rows)
        got.push_back(std::get_if<double>(&row[0].v) ? std::get<double>(row[0].v) : std::get<int64_t>(row[0].v));
    EXPECT_EQ(got, (std::vector<double>{-3, -0.05, 0, 0.05, 10000, 12345678.1234}));
}

TEST_P(NativeTest, KeptStatementsAreReusedAndNestedSafely) {
    const std::string insert = "INSERT INTO t (c_code, n_big) VALUES (?, ?)";
    for (int i = 0; i < 50; ++i) ASSERT_EQ(db_->Execute(insert, {std::to_string(i), i}), 1) << db_->LastError();
    // A parameter that is NULL once and a number the next time.
    ASSERT_EQ(db_->Execute(insert, {"n", Value()}), 1) << db_->LastError();
    ASSERT_EQ(db_->Execute(insert, {"m", 99}), 1) << db_->LastError();

    // The same statement run inside its own rows.
    const std::string byCode = "SELECT n_big FROM t WHERE c_code = ?";
    int outer = 0;
    ASSERT_TRUE(Native().Each(byCode, {"7"}, [&](const store::RowCells& row) {
        ++outer;
        const auto inner = db_->Query(byCode, {"8"});
        EXPECT_TRUE(inner && inner->rows.size() == 1 && std::get<int64_t>(inner->rows[0][0].v) == 8);
        EXPECT_EQ(row.Int(0), 7);  // still the outer row
        return true;
    })) << db_->LastError();
    EXPECT_EQ(outer, 1);

    // More distinct statements than are kept: the cache starts afresh, nothing fails.
    for (std::size_t i = 0; i < store::SqliteConnection::kMaxStatements + 20; ++i) {
        const auto rs = db_->Query("SELECT " + std::to_string(i) + " + n_big FROM t WHERE c_code = ?", {"1"});
        ASSERT_TRUE(rs && rs->rows.size() == 1) << i << ": " << db_->LastError();
        EXPECT_EQ(std::get<int64_t>(rs->rows[0][0].v), static_cast<int64_t>(i) + 1);
    }
    // Stopping early leaves the statement ready for the next run.
    int stepped = 0;
    ASSERT_TRUE(Native().Each("SELECT c_code FROM t", {}, [&](const store::RowCells&) { return ++stepped < 3; }));
    EXPECT_EQ(stepped, 3);
    const auto again = db_->Query("SELECT c_code FROM t");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->rows.size(), 52u);
}

TEST_P(NativeTest, ChangedRowsAreCountedOnlyForTheStatementThatChangedThem) {
    ASSERT_EQ(db_->Execute("INSERT INTO t (c_code) VALUES ('a'), ('b')"), 2);
    EXPECT_EQ(db_->Execute("UPDATE t SET n_big = 1"), 2);
    EXPECT_EQ(db_->Execute("CREATE TABLE u (x INTEGER)"), 0);  // not the UPDATE's 2 again
    EXPECT_EQ(db_->Execute("UPDATE t SET n_big = 2 WHERE c_code = ?", {"none"}), 0);
    EXPECT_EQ(db_->Execute("DELETE FROM t WHERE c_code = ?", {"a"}), 1);
}

TEST_P(NativeTest, FailuresAreReportedAndTheConnectionGoesOn) {
    EXPECT_FALSE(db_->Query("SELECT no_such_column FROM t"));
    EXPECT_FALSE(db_->LastError().empty());
    EXPECT_EQ(db_->Execute("INSERT INTO t (c_code) VALUES (?)", {}), -1);  // a value missing
    // Inside a transaction: the failure rolls back cleanly and the next one works.
    ASSERT_TRUE(db_->Begin()) << db_->LastError();
    ASSERT_EQ(db_->Execute("INSERT INTO t (c_code) VALUES ('x')"), 1);
    EXPECT_EQ(db_->Execute("INSERT INTO no_such_table VALUES (1)"), -1);
    EXPECT_TRUE(db_->Rollback()) << db_->LastError();
    EXPECT_TRUE(db_->Rollback()) << "a second rollback with nothing open is harmless";
    const auto rs = db_->Query("SELECT COUNT(*) FROM t");
    ASSERT_TRUE(rs) << db_->LastError();
    EXPECT_EQ(std::get<int64_t>(rs->rows[0][0].v), 0);
    EXPECT_TRUE(db_->LastError().empty());
}

TEST_P(NativeTest, OtherConnectionsCommitsAreSeen) {
    std::string error;
    auto other = store::Open(target_, &error);
    ASSERT_TRUE(other) << error;
    ASSERT_EQ(other->Execute("INSERT INTO t (c_code) VALUES ('o')"), 1);
    const auto rs = db_->Query("SELECT c_code FROM t");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->rows.size(), 1u);
    if (GetParam() != Backend::Sqlite) {
        EXPECT_FALSE(store::DataVersion(*db_));
        return;
    }
    const auto before = store::DataVersion(*db_);
    ASSERT_TRUE(before);
    EXPECT_EQ(store::DataVersion(*db_), before) << "nothing committed meanwhile";
    ASSERT_EQ(other->Execute("INSERT INTO t (c_code) VALUES ('p')"), 1);
    EXPECT_NE(store::DataVersion(*db_), before);
}

TEST(SqliteWalStamp, MovesWithEveryCommitAndOnlyThen) {
    TempDir dir;
    const std::string path = (dir.Path() / "stamp.db").string();
    std::string error;
    auto db = store::Open(path, &error);
    ASSERT_TRUE(db) << error;
    ASSERT_GE(db->Execute("CREATE TABLE t (c_code VARCHAR(10))"), 0);
    EXPECT_FALSE(store::ReadWalStamp(*db)) << "a file not in WAL mode has no WAL index";

    ASSERT_TRUE(db->Query("PRAGMA journal_mode=WAL"));
    auto reader = store::Open(path, &error);  // opened in WAL mode, as the server's connections are
    auto writer = store::Open(path, &error);
    ASSERT_TRUE(reader && writer) << error;
    const auto first = store::ReadWalStamp(*reader);
    ASSERT_TRUE(first);
    // Reads, by anyone, leave it: kept answers stay kept.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(writer->Query("SELECT count(*) FROM t"));
    ASSERT_TRUE(reader->Query("SELECT count(*) FROM t"));
    EXPECT_EQ(store::ReadWalStamp(*reader), first);
    // Each commit moves it, whichever connection made it; a rolled-back one does not.
    ASSERT_EQ(writer->Execute("INSERT INTO t VALUES ('a')"), 1);
    const auto second = store::ReadWalStamp(*reader);
    EXPECT_NE(second, first);
    ASSERT_EQ(reader->Execute("INSERT INTO t VALUES ('b')"), 1);
    const auto third = store::ReadWalStamp(*reader);
    EXPECT_NE(third, second);
    ASSERT_TRUE(writer->Begin());
    ASSERT_EQ(writer->Execute("INSERT INTO t VALUES ('c')"), 1);
    ASSERT_TRUE(writer->Rollback());
    EXPECT_EQ(store::ReadWalStamp(*reader), third);
}

KELMOR_SERVER_BACKENDS(NativeTest);

TEST(NativeOpen, PostgresByUriAsWellAsTheOdbcString) {
    PgDatabase pg;
    if (pg.Conn().empty()) GTEST_SKIP() << "set KELMOR_PG_CONN to run against PostgreSQL";
    const auto keywords = store::OdbcKeywords(pg.Conn());
    ASSERT_TRUE(keywords);
    auto get = [&](const char* k) {
        const auto it = keywords->find(k);
        return it == keywords->end() ? std::string() : it->second;
    };
    const std::string uri = "postgresql://" + get("uid") + ":" + get("pwd") + "@" + get("server") + ":" + get("port") +
                            "/" + get("database");
    std::string error;
    auto db = store::Open(uri, &error);
    ASSERT_TRUE(db) << error;
    EXPECT_EQ(db->Dialect(), "postgresql");
    const auto rs = db->Query("SELECT current_database()");
    ASSERT_TRUE(rs) << db->LastError();
    EXPECT_EQ(std::get<std::string>(rs->rows.at(0).at(0).v), get("database"));
}

TEST(NativeOpen, SqliteFilesThatCannotBeOpenedFail) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(store::Open((dir.Path() / "no" / "such" / "folder.db").string(), &error));
    EXPECT_FALSE(error.empty());
    const auto text = dir.Path() / "text.db";
    FILE* f = std::fopen(text.c_str(), "w");
    std::fputs("this is not a database, only some text that is long enough to be looked at\n", f);
    std::fclose(f);
    EXPECT_FALSE(store::Open(text.string(), &error));
    EXPECT_FALSE(store::Open("", &error));
    // The SQLite driver's connection string opens the file natively.
    auto db = store::Open("DRIVER={SQLite3};Database=" + (dir.Path() / "a.db").string() + ";", &error);
    ASSERT_TRUE(db) << error;
    EXPECT_TRUE(dynamic_cast<store::SqliteConnection*>(db.get()));
}

TEST(ConnectionString, OdbcStringsReadAsUsersWriteThem) {
    const auto k = store::OdbcKeywords(
        "DRIVER={PostgreSQL Unicode};Server=db.example;Port=5433; Database = kelmor ;Uid=ke lm;Pwd={a;b}}c'd\\};");
    ASSERT_TRUE(k);
    EXPECT_EQ(k->at("driver"), "PostgreSQL Unicode");
    EXPECT_EQ(k->at("database"), "kelmor");
    EXPECT_EQ(k->at("uid"), "ke lm");
    EXPECT_EQ(k->at("pwd"), "a;b}c'd\\");
    EXPECT_EQ(store::PgConnInfo(*k),
              "dbname='kelmor' host='db.example' password='a;b}c\\'d\\\\' port='5433' user='ke lm' "
              "client_encoding=UTF8");
    EXPECT_FALSE(store::OdbcKeywords("DRIVER={PostgreSQL;Server=x"));  // no closing brace
    EXPECT_FALSE(store::OdbcKeywords("Server=x;junk;"));

    std::string error;
    EXPECT_EQ(store::ReadTarget("/var/lib/kelmor.db", &error)->kind, store::TargetKind::SqliteFile);
    EXPECT_EQ(store::ReadTarget("postgresql://u@h/db", &error)->location, "postgresql://u@h/db");
    const auto pg = store::ReadTarget("Driver={PostgreSQL ANSI};Servername=h;Database=d;", &error);
    ASSERT_TRUE(pg);
    EXPECT_EQ(pg->kind, store::TargetKind::Postgres);
    EXPECT_EQ(pg->location, "dbname='d' host='h' client_encoding=UTF8");
    EXPECT_EQ(store::ReadTarget("DRIVER=SQLite3;Database=/tmp/x.db;Timeout=5000;", &error)->location, "/tmp/x.db");
    EXPECT_EQ(store::ReadTarget("DRIVER=Other;Database=x;", &error)->kind, store::TargetKind::OtherOdbc);
    EXPECT_FALSE(store::ReadTarget("DRIVER=SQLite3;Timeout=5;", &error));
    EXPECT_FALSE(error.empty());
}

TEST(ConnectionString, MarkersAreNumberedOutsideQuotesAndComments) {
    EXPECT_EQ(store::NumberedMarkers("SELECT a FROM t WHERE b = ? AND c = '?' AND \"d?\" = ? -- ?\n AND e IN (?, ?)"),
              "SELECT a FROM t WHERE b = $1 AND c = '?' AND \"d?\" = $2 -- ?\n AND e IN ($3, $4)");
    EXPECT_EQ(store::NumberedMarkers("SELECT 'it''s ?', ? /* ? */, ?"), "SELECT 'it''s ?', $1 /* ? */, $2");
    EXPECT_EQ(store::NumberedMarkers("SELECT '?"), "SELECT '?");  // an open quote runs to the end
}

TEST(StorePool, IdleConnectionsAreClosedAfterAWhile) {
    TempDir dir;
    std::string error;
    auto store = Store::Open((dir.Path() / "pool.db").string(), &error);
    ASSERT_TRUE(store) << error;
    {
        auto a = store->Acquire();
        auto b = store->Acquire();
        auto c = store->Acquire();
        EXPECT_EQ(store->OpenConnections(), 3u);
    }
    store->SetIdleClose(std::chrono::milliseconds(20));
    for (int i = 0; i < 500 && store->OpenConnections() > 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(store->OpenConnections(), 1u) << "one stays open for the next request";
    auto again = store->Acquire();
    EXPECT_TRUE(again->Query("SELECT 1"));
}

}  // namespace
}  // namespace kel::server::test
