// The fixture of the end-to-end screen tests: per test a fresh SQLite file with the
// demo data, the application server on it in process behind the installed channel,
// the same file as the host database of the code lists, the demo user logged on,
// and a headless driver whose problems and unbalanced wait cursors fail the test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/db/Database.h"
#include "common/net/InProcessChannel.h"
#include "common/records/PacketHead.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxcommon/StaticDatabase.h"
#include "host/win/testing/HeadlessDriver.h"
#include "server/Server.h"

namespace kel::testing {

class DemoServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("kelmor-e2e-" + std::to_string(::getpid()) + "-" + test->test_suite_name() + "-" + test->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        const std::string file = (dir / "kelmor.db").string();
        std::string error;
        server = server::OpenEmbedded(file, &error);
        ASSERT_TRUE(server) << error;
        InstallChannel(std::make_shared<net::InProcessChannel>(
            [this](const _PacketHead& head, std::string_view body, _PacketHead& answerHead,
                   std::vector<char>& answerBody) { server->Handle(client, head, body, answerHead, answerBody); }));
        db = db::Open(file, &error);
        ASSERT_TRUE(db) << error;
        SetStaticDatabase(db);
        CBASEBASE::SetLoginUser("demo");
    }

    void TearDown() override {
        EXPECT_TRUE(driver->Problems().empty()) << ::testing::PrintToString(driver->Problems());
        EXPECT_EQ(driver->WaitCursorDepth(), 0);
        CBASEBASE::SetLoginUser("");
        SetStaticDatabase(nullptr);
        InstallChannel(nullptr);
        db.reset();
        server.reset();
        std::filesystem::remove_all(dir);
    }

    // What the store answers to `code` with `body`, asked directly rather than
    // through a screen; a refusal fails the test.
    std::vector<char> Stored(int16_t code, const void* body, std::size_t size, _PacketHead* answered = nullptr) {
        _PacketHead head{};
        head.nTransCode = code;
        head.nCount = 1;
        head.nSubSystem = kSubSystemDefault;
        _PacketHead answerHead{};
        std::vector<char> answer;
        server->Handle(direct, head, std::string_view(static_cast<const char*>(body), size), answerHead, answer);
        EXPECT_EQ(answerHead.cStatus, 0) << code;
        if (answered) *answered = answerHead;
        return answer;
    }

    std::filesystem::path dir;
    std::unique_ptr<server::Server> server;
    server::ConnectionContext client{"demo"};  // the screens' connection, as the host logged on
    server::ConnectionContext direct{"demo"};  // the test's own look at the store
    std::shared_ptr<db::Connection> db;        // the same file, as the host database
    win::ScopedHeadlessDriver driver;
};

}  // namespace kel::testing
