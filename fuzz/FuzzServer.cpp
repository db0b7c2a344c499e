#include "fuzz/FuzzServer.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "common/db/Database.h"
#include "server/Password.h"

namespace kel::fuzz {
namespace {

std::string g_folder;

void RemoveFolder() {
    std::error_code ec;
    if (!g_folder.empty()) std::filesystem::remove_all(g_folder, ec);
}

}  // namespace

kel::server::Server& DemoServer() {
    static std::unique_ptr<kel::server::Server> server = [] {
        char folder[] = "/tmp/kelmor-fuzz.XXXXXX";
        if (!::mkdtemp(folder)) std::abort();
        g_folder = folder;
        std::atexit(RemoveFolder);
        const std::string file = g_folder + "/kelmor.db";
        std::string error;
        auto s = kel::server::OpenEmbedded(file, &error);
        if (!s) {
            std::fprintf(stderr, "cannot open the fuzz server: %s\n", error.c_str());
            std::abort();
        }
        auto db = kel::db::Open(file, &error);
        for (const char* user : {"demo", "wangli", "zhaoming"})
            db->Execute("UPDATE t_user SET c_pwd_hash = ? WHERE c_user_cde = ?",
                        {*kel::server::HashPassword(user, 1), std::string(user)});
        return s;
    }();
    return *server;
}

}  // namespace kel::fuzz
