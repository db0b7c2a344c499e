// Backups of a SQLite store while it is written, and restores into a store a server
// has open: the copy is one consistent state, opens as a store and holds the rows.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "common/db/Database.h"
#include "server/Backup.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

class Backup : public ::testing::Test {
protected:
    void SetUp() override {
        store = (dir.Path() / "kelmor.db").string();
        copy = (dir.Path() / "copy.db").string();
        std::string error;
        server = OpenEmbedded(store, &error);  // with the demo data
        ASSERT_TRUE(server) << error;
        db = kel::db::Open(store, &error);
        ASSERT_TRUE(db) << error;
    }

    // The rows of a query as text; a failed query fails the test.
    static std::vector<kel::db::Row> Select(kel::db::Connection& c, const std::string& sql) {
        auto result = c.Query(sql);
        if (!result) {
            ADD_FAILURE() << sql << ": " << c.LastError();
            return {};
        }
        return result->rows;
    }

    static std::string Rows(kel::db::Connection& c, const std::string& table, const std::string& order) {
        std::string out;
        for (const auto& row : Select(c, "SELECT * FROM " + table + " ORDER BY " + order)) {
            for (const auto& v : row) out += v.ToText() + "|";
            out += "\n";
        }
        return out;
    }

    void AddRate(int n) {
        char date[16];
        std::snprintf(date, sizeof date, "%08d", 30000000 + n);
        EXPECT_EQ(db->Execute("INSERT INTO t_exch_rate (c_src_cur, c_dst_cur, c_start_date, n_rate) "
                              "VALUES ('ZZ', 'CN', ?, ?)",
                              {kel::db::Value(std::string(date)), kel::db::Value(1.0 + n)}),
                  1)
            << db->LastError();
    }

    int64_t Rates(kel::db::Connection& c) {
        const auto rows = Select(c, "SELECT COUNT(*) FROM t_exch_rate WHERE c_src_cur = 'ZZ'");
        return rows.empty() ? -1 : std::stoll(rows[0][0].ToText());
    }

    TempDir dir;
    std::string store, copy;
    std::unique_ptr<Server> server;
    std::unique_ptr<kel::db::Connection> db;
};

TEST_F(Backup, CopyWhileWritesGoOnIsWholeAndThenHoldsTheSameRows) {
    std::atomic<bool> stop{false};
    std::atomic<int> written{0};
    std::thread writer([&] {
        std::string error;
        auto own = kel::db::Open(store, &error);
        if (!own) ADD_FAILURE() << error;
        for (int n = 0; !stop && own; ++n) {
            char date[16];
            std::snprintf(date, sizeof date, "%08d", 20000000 + n);
            // Only rows the store took count: a write the store refuses as busy is not there.
            if (own->Execute(
                    "INSERT INTO t_exch_rate (c_src_cur, c_dst_cur, c_start_date, n_rate) VALUES ('ZZ', 'US', ?, 1)",
                    {kel::db::Value(std::string(date))}) == 1)
                ++written;
        }
    });
    while (written < 20 && !stop) std::this_thread::yield();
    std::string error;
    for (int i = 0; i < 3; ++i) {
        const int before = written;
        ASSERT_TRUE(BackupStore(store, copy, error)) << error;
        auto c = kel::db::Open(copy, &error);
        ASSERT_TRUE(c) << error;
        // One state of the store: every row written before the copy began, none half.
        EXPECT_GE(Rates(*c), before);
        EXPECT_LE(Rates(*c), written.load() + 1);  // + a row committed, not yet counted
    }
    stop = true;
    writer.join();

    ASSERT_TRUE(BackupStore(store, copy, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(copy + ".partial"));
    EXPECT_EQ(std::filesystem::status(copy).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    auto c = kel::db::Open(copy, &error);
    ASSERT_TRUE(c) << error;
    EXPECT_EQ(Rows(*c, "t_exch_rate", "c_src_cur, c_dst_cur, c_start_date"),
              Rows(*db, "t_exch_rate", "c_src_cur, c_dst_cur, c_start_date"));
    EXPECT_EQ(Rows(*c, "t_cont_code", "c_cont_code"), Rows(*db, "t_cont_code", "c_cont_code"));
    // The SQLite driver's connection string names the same store.
    const std::string second = (dir.Path() / "second.db").string();
    ASSERT_TRUE(BackupStore("DRIVER=SQLite3;Database=" + store + ";", second, error)) << error;
    EXPECT_TRUE(std::filesystem::exists(second));
    // And it serves: a server on the copy knows the demo user.
    auto onCopy = Server::Open(copy, &error);
    ASSERT_TRUE(onCopy) << error;
    EXPECT_TRUE(onCopy->CheckLogon("demo", "demo"));
}

TEST_F(Backup, RestoreBringsTheCopyBackUnderARunningServerAndKeepsWhatWasThere) {
    std::string error;
    ASSERT_TRUE(BackupStore(store, copy, error)) << error;
    const std::string atBackup = Rows(*db, "t_cont_code", "c_cont_code");
    ConnectionContext client{"demo"};
    const Reply list = [&] {
        _PacketHead head{}, answer{};
        head.nTransCode = 180;
        std::vector<char> body;
        server->Handle(client, head, {}, answer, body);
        return Reply{answer, body};
    }();
    ASSERT_EQ(list.Status(), 0);
    db->Execute("DELETE FROM t_cont_code WHERE c_cont_code = 'X2'");
    AddRate(1);

    ASSERT_TRUE(RestoreStore(copy, store, error)) << error;
    EXPECT_EQ(Rows(*db, "t_cont_code", "c_cont_code"), atBackup);
    EXPECT_EQ(Rates(*db), 0);
    // The running server answers from the restored store, not from what it kept.
    _PacketHead head{}, answer{};
    head.nTransCode = 180;
    std::vector<char> body;
    server->Handle(client, head, {}, answer, body);
    EXPECT_EQ(answer.nCount, list.Count());
    // What the store held before the restore is kept beside it.
    auto before = kel::db::Open(store + ".before-restore", &error);
    ASSERT_TRUE(before) << error;
    EXPECT_EQ(Rates(*before), 1);

    // Restored where no store was: a new store, private to the server's user.
    const std::string fresh = (dir.Path() / "new" / "fresh.db").string();
    ASSERT_TRUE(RestoreStore(copy, fresh, error)) << error;
    EXPECT_EQ(std::filesystem::status(fresh).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    auto restored = kel::db::Open(fresh, &error);
    ASSERT_TRUE(restored) << error;
    EXPECT_EQ(Rows(*restored, "t_cont_code", "c_cont_code"), atBackup);
}

TEST_F(Backup, AfterARestoreNoVersionIsHandedOutAgain) {
    // A client reads and saves a treaty code after the backup; the restore takes the
    // code back; another client saves it anew. The first client's copy is stale: its
    // save must be refused, not pass because the new save got the number it holds.
    auto treatyCode = [](const char* name) {
        _ContCodeStruct r{};
        Set(r.szContCode, "X2");
        Set(r.szChnName, name);
        Set(r.szEngName, "Treaty");
        r.cContType = 'A';
        return Bytes(r);
    };
    auto call = [&](ConnectionContext& client, int code, const std::string& body = {}, int32_t op = 0) {
        _PacketHead head{}, answer{};
        head.nTransCode = static_cast<int16_t>(code);
        head.nCount = 1;
        head.nOperation = op;
        std::vector<char> out;
        server->Handle(client, head, body, answer, out);
        return static_cast<int>(answer.cStatus);
    };
    std::string error;
    ASSERT_TRUE(BackupStore(store, copy, error)) << error;
    ConnectionContext first{"demo"}, second{"wangli"};
    ASSERT_EQ(call(first, 180), 0);
    ASSERT_EQ(call(first, 181, treatyCode("甲"), kel::records::kOpUpdate), 0);

    ASSERT_TRUE(RestoreStore(copy, store, error)) << error;
    ASSERT_EQ(call(second, 180), 0);
    ASSERT_EQ(call(second, 181, treatyCode("乙"), kel::records::kOpUpdate), 0);
    EXPECT_EQ(call(first, 181, treatyCode("丙"), kel::records::kOpUpdate), kRefused);
    EXPECT_EQ(Select(*db, "SELECT c_name_cn FROM t_cont_code WHERE c_cont_code = 'X2'").at(0).at(0).ToText(), "乙");
}

TEST_F(Backup, RestoreRefusesACopyThatIsNotAWholeStore) {
    std::string error;
    auto refused = [&](const std::function<void(kel::db::Connection&)>& spoil, const std::string& why) {
        ASSERT_TRUE(BackupStore(store, copy, error)) << error;
        {
            auto c = kel::db::Open(copy, &error);
            ASSERT_TRUE(c) << error;
            spoil(*c);
        }
        EXPECT_FALSE(RestoreStore(copy, store, error)) << why;
        EXPECT_NE(error.find(why), std::string::npos) << error;
    };
    refused([](kel::db::Connection& c) { c.Execute("DROP TABLE t_cont_order"); }, "table t_cont_order is missing");
    refused([](kel::db::Connection& c) { c.Execute("ALTER TABLE t_audit RENAME COLUMN c_user_cde TO c_user"); },
            "column t_audit.c_user_cde is missing");
    refused([](kel::db::Connection& c) { c.Execute("DELETE FROM t_user"); }, "holds no users");
    // Only the two tables an earlier check looked for, empty.
    const std::string bare = (dir.Path() / "bare.db").string();
    {
        auto c = kel::db::Open(bare, &error);
        ASSERT_TRUE(c) << error;
        c->Execute("CREATE TABLE t_user (c_user_cde VARCHAR(20))");
        c->Execute("CREATE TABLE t_cont_code (c_cont_code VARCHAR(2))");
    }
    EXPECT_FALSE(RestoreStore(bare, store, error));
    // None of them touched the store: the demo user still logs on.
    EXPECT_TRUE(server->CheckLogon("demo", "demo"));
    EXPECT_EQ(Select(*db, "SELECT COUNT(*) FROM t_cont_code").at(0).at(0).ToText(), "10");
}

TEST_F(Backup, RefusesWhatWouldLoseOrInventData) {
    std::string error;
    const std::string other = (dir.Path() / "other.db").string();
    EXPECT_FALSE(BackupStore((dir.Path() / "missing.db").string(), copy, error));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "missing.db"));  // not created by the attempt
    EXPECT_FALSE(BackupStore(store, store, error));
    EXPECT_NE(error.find("the store itself"), std::string::npos) << error;
    EXPECT_FALSE(BackupStore("postgresql://kelmor@db/kelmor", copy, error));
    EXPECT_NE(error.find("pg_dump"), std::string::npos) << error;
    EXPECT_FALSE(RestoreStore(copy, "DRIVER={PostgreSQL Unicode};Server=db;Database=kelmor;", error));
    EXPECT_NE(error.find("pg_restore"), std::string::npos) << error;

    // A file that is no store of this server, or no database at all, is not restored.
    std::ofstream(other) << "not a database";
    EXPECT_FALSE(RestoreStore(other, store, error));
    auto plain = kel::db::Open((dir.Path() / "plain.db").string(), &error);
    ASSERT_TRUE(plain) << error;
    plain->Execute("CREATE TABLE t (x INTEGER)");
    plain.reset();
    EXPECT_FALSE(RestoreStore((dir.Path() / "plain.db").string(), store, error));
    EXPECT_NE(error.find("does not hold a kelmor-server store"), std::string::npos) << error;
    EXPECT_EQ(Select(*db, "SELECT COUNT(*) FROM t_cont_code").at(0).at(0).ToText(), "10");
}

}  // namespace
}  // namespace kel::server::test
