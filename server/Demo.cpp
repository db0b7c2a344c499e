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

bool Server::LoadDemoData(std::string* error)
{
    auto fail = [error](std::string why) {
        if (error) *error = "cannot load the demo data: " + why;
        return false;
    };
    if (!IsEmpty()) return fail("the database is not empty");
    // Hashing is slow on purpose: done before the write lock is taken.
    std::vector<std::string> hashes;
    for (const DemoUser& u : kDemoUsers) {
        auto h = HashPassword(u.password);
        if (!h) return fail("cannot hash a password");
        hashes.push_back(*h);
    }
    try {
        auto lease = store_->Acquire();
        std::unique_lock<std::mutex> lock;
        store_->BeginWrite(*lease, lock);
        try {
            for (const std::string& statement : kel::db::SplitSqlScript(DemoDataSql()))
                sql::Execute(*lease, statement);
            for (std::size_t i = 0; i < std::size(kDemoUsers); ++i)
                sql::Execute(*lease, "INSERT INTO t_user (c_user_cde, c_user_nme, c_pwd_hash) VALUES (?, ?, ?)",
                             {sql::Text(kDemoUsers[i].code), sql::Text(kDemoUsers[i].name), sql::Text(hashes[i])});
            for (const auto& row : sql::Query(*lease, "SELECT n_cont_id FROM t_cont_info ORDER BY n_cont_id").rows)
                GenerateDetails(*lease, static_cast<int32_t>(sql::Int(row[0])));
            store_->Commit(*lease);
            store_->Touch();
        } catch (...) {
            store_->Rollback(*lease);
            throw;
        }
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    return true;
}

}  // namespace kel::server
