// Loading the demo data: the script server/sql/demo.sql, the users with their
// password hashes, and the treaty details generated from the demo treaty data.
#include <mutex>

#include "server/Common.h"
#include "server/Password.h"
#include "server/Server.h"
#include "server/Sql.h"
#include "server/Store.h"

namespace kel::server {
namespace {

struct DemoUser {
    const char* code;
    const char* name;
    const char* password;
};

constexpr DemoUser kDemoUsers[] = {
    {"demo", "演示用户", "demo"},
    {"wangli", "王丽", "wangli"},
    {"zhaoming", "赵明", "zhaoming"},
};

}  // namespace

bool Server::LoadDemoData(std::string* error, bool published) {
    auto fail = [error](std::string why) {
        if (error) *error = "cannot load the demo data: " + why;
        return false;
    };
    if (!IsEmpty()) return fail("the database is not empty");
    // Hashing is slow on purpose: done before the write lock is taken.
    std::vector<std::string> hashes;
    for (const DemoUser& u : kDemoUsers) {
        auto h = published ? HashPublishedPassword(u.password) : HashPassword(u.password);
        if (!h) return fail("cannot hash a password");
        hashes.push_back(*h);
    }
    try {
        store_->Write([&](kel::db::Connection& db) {
            for (const std::string& statement : kel::db::SplitSqlScript(DemoDataSql())) sql::Execute(db, statement);
            for (std::size_t i = 0; i < std::size(kDemoUsers); ++i)
                sql::Execute(db, "INSERT INTO t_user (c_user_cde, c_user_nme, c_pwd_hash) VALUES (?, ?, ?)",
                             {sql::Text(kDemoUsers[i].code), sql::Text(kDemoUsers[i].name), sql::Text(hashes[i])});
            for (const auto& row : sql::Query(db, "SELECT n_cont_id FROM t_cont_info ORDER BY n_cont_id").rows)
                GenerateDetails(db, static_cast<int32_t>(sql::Int(row[0])));
        });
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return true;
}

}  // namespace kel::server
