#include "host/qxcommon/StaticDatabase.h"

#include <mutex>

namespace {
std::mutex g_mutex;
std::shared_ptr<kel::db::Connection> g_connection;
}  // namespace

kel::db::Connection* GetStaticDatabase() {
    std::lock_guard lock(g_mutex);
    return g_connection.get();
}

void SetStaticDatabase(std::shared_ptr<kel::db::Connection> connection) {
    std::lock_guard lock(g_mutex);
    g_connection = std::move(connection);
}

void OleVar2Str(CString* out, const kel::db::Value& value) {
    if (out) *out = value.ToText();
}
