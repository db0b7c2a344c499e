// The application server in process on a fresh demo database, for the tests that
// run screens against it (the Qt drawings among them): the server behind the
// installed channel, the same file as the host database of the code lists, the demo
// user logged on. All of it is undone when the object goes, and the folder removed.
//
//     kel::testing::DemoServer demo("treaty-data-qt");
//     QVERIFY2(demo.Started(), demo.Error().c_str());
#pragma once

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/db/Database.h"
#include "common/net/Channel.h"
#include "common/net/InProcessChannel.h"
#include "common/records/PacketHead.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxcommon/StaticDatabase.h"
#include "server/Server.h"

namespace kel::testing {

class DemoServer {
public:
    // `name` tells this test's folder from another's running at the same time.
    explicit DemoServer(const std::string& name)
        : m_dir(std::filesystem::temp_directory_path() / ("kelmor-demo-" + std::to_string(::getpid()) + "-" + name)) {
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
        const std::string file = (m_dir / "kelmor.db").string();
        m_server = server::OpenEmbedded(file, &m_error);  // creates the demo data
        if (!m_server) return;
        m_db = db::Open(file, &m_error);
        if (!m_db) return;
        InstallChannel(std::make_shared<net::InProcessChannel>(
            [this](const _PacketHead& head, std::string_view body, _PacketHead& answerHead,
                   std::vector<char>& answerBody) { m_server->Handle(m_client, head, body, answerHead, answerBody); }));
        SetStaticDatabase(m_db);
        CBASEBASE::SetLoginUser("demo");  // as the host after its log-on
    }
    ~DemoServer() {
        CBASEBASE::SetLoginUser("");
        SetStaticDatabase(nullptr);
        InstallChannel(nullptr);
        m_db.reset();
        m_server.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    bool Started() const { return m_server && m_db; }
    const std::string& Error() const { return m_error; }
    // Where a test may keep what it makes (removed with the server).
    const std::filesystem::path& Dir() const { return m_dir; }
    // What the store answers to a request sent on the screens' connection, asked
    // directly rather than through a screen.
    _PacketHead Ask(int16_t code, const void* body, std::size_t size, std::vector<char>* answer = nullptr) {
        _PacketHead head{};
        head.nTransCode = code;
        head.nCount = 1;
        head.nSubSystem = kSubSystemDefault;
        _PacketHead answerHead{};
        std::vector<char> ignored;
        m_server->Handle(m_client, head, std::string_view(static_cast<const char*>(body), size), answerHead,
                         answer ? *answer : ignored);
        return answerHead;
    }

private:
    std::filesystem::path m_dir;
    std::string m_error;
    std::unique_ptr<server::Server> m_server;
    server::ConnectionContext m_client{"demo"};  // the screens' connection, as the host logged on
    std::shared_ptr<db::Connection> m_db;
};

}  // namespace kel::testing
