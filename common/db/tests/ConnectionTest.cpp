#include "common/db/Database.h"
#include "common/db/tests/DbTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

using kel::db::Value;
using kel::dbtest::TempDir;

TEST(SqliteConnection, RoundTripsTextNumbersAndNulls) {
    TempDir dir;
    auto db = kel::dbtest::OpenSqlite(dir);
    ASSERT_TRUE(db);
    EXPECT_EQ(db->Dialect(), "sqlite");
    kel::dbtest::CheckRoundTrip(*db);
}

TEST(SqliteConnection, OpensAFileInAFolderWithAChineseName) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "再保数据");
    std::string error;
    auto db = kel::db::Open((dir.Path() / "再保数据" / "合约.db").string(), &error);
    ASSERT_TRUE(db) << error;
    ASSERT_GE(db->Execute("CREATE TABLE t (c VARCHAR(10))"), 0) << db->LastError();
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "再保数据" / "合约.db"));
}

TEST(SqliteConnection, RefusesWhatIsNotADatabase) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(kel::db::Open("", &error));
    EXPECT_FALSE(error.empty());

    EXPECT_FALSE(kel::db::Open((dir.Path() / "a;b.db").string(), &error));
    EXPECT_NE(error.find("';'"), std::string::npos) << error;

    EXPECT_FALSE(kel::db::Open((dir.Path() / "no" / "such" / "folder.db").string(), &error));
    EXPECT_FALSE(error.empty());

    const auto text = dir.Path() / "notes.txt";
    std::ofstream(text) << std::string(4096, 'x');
    EXPECT_FALSE(kel::db::Open(text.string(), &error));
    EXPECT_FALSE(error.empty());

    EXPECT_FALSE(kel::db::Open("DRIVER=No Such Driver;Database=x;", &error));
    EXPECT_NE(error.find("cannot connect"), std::string::npos) << error;
}

TEST(SqliteConnection, ForeignKeysAreEnforced) {
    TempDir dir;
    auto db = kel::dbtest::OpenSqlite(dir);
    ASSERT_TRUE(db);
    ASSERT_GE(db->Execute("CREATE TABLE p (id INTEGER PRIMARY KEY)"), 0);
    ASSERT_GE(db->Execute("CREATE TABLE c (pid INTEGER REFERENCES p(id))"), 0);
    EXPECT_EQ(db->Execute("INSERT INTO c (pid) VALUES (?)", {42}), -1);
}

TEST(SqliteConnection, SecondConnectionWaitsForTheWriteLock) {
    TempDir dir;
    auto a = kel::dbtest::OpenSqlite(dir);
    auto b = kel::dbtest::OpenSqlite(dir);
    ASSERT_TRUE(a && b);
    ASSERT_GE(a->Execute("CREATE TABLE t (n INTEGER)"), 0) << a->LastError();
    ASSERT_TRUE(a->Begin());
    ASSERT_EQ(a->Execute("INSERT INTO t (n) VALUES (?)", {1}), 1) << a->LastError();
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_TRUE(a->Commit()) << a->LastError();
    });
    // Blocks until the other connection commits instead of failing as "locked".
    EXPECT_EQ(b->Execute("INSERT INTO t (n) VALUES (?)", {2}), 1) << b->LastError();
    release.join();
    auto rs = b->Query("SELECT count(*) FROM t");
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->rows[0][0].ToText(), "2");
}

TEST(OdbcConfig, ProjectDriversAreConfigured) {
    kel::db::EnsureOdbcConfig();
    const char* dir = std::getenv("ODBCSYSINI");
    ASSERT_NE(dir, nullptr);
    std::ifstream ini(std::string(dir) + "/odbcinst.ini");
    if (!ini) GTEST_SKIP() << "ODBCSYSINI was set outside the program";
    std::stringstream text;
    text << ini.rdbuf();
    EXPECT_NE(text.str().find("[SQLite3]"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("libsqlite3odbc.so"), std::string::npos) << text.str();
}

TEST(DatabaseValue, TextForms) {
    EXPECT_EQ(Value().ToText(), "");
    EXPECT_TRUE(Value().IsNull());
    EXPECT_EQ(Value(int64_t{-9007199254740993}).ToText(), "-9007199254740993");
    EXPECT_EQ(Value(1500.0).ToText(), "1500");
    EXPECT_EQ(Value(0.1).ToText(), "0.1");
    EXPECT_EQ(Value("中").ToText(), "中");
}
