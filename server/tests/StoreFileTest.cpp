// The SQLite file of a running server taken away or swapped for another: writes are
// refused (status 3) and say why, instead of going into a file nobody opens again.
#include <filesystem>
#include <fstream>

#include "server/Store.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using namespace kel::records;

class StoreFile : public ::testing::Test {
protected:
    void SetUp() override {
        path = (dir.Path() / "kelmor.db").string();
        ServerOptions options;
        options.log = [this](int, Status status, std::string_view why) {
            if (status == kServerFailure) failures.emplace_back(why);
        };
        std::string error;
        server = Server::Open(path, &error, options);
        ASSERT_TRUE(server) << error;
        ASSERT_TRUE(server->LoadDemoData(&error)) << error;
    }

    // The server logs while it closes (it keeps its sessions): before the failures go.
    void TearDown() override { server.reset(); }

    Reply Call(int code, std::string_view body = {}, int32_t op = 0) {
        _PacketHead head{}, answer{};
        head.nTransCode = static_cast<int16_t>(code);
        head.nCount = 1;
        head.nSubSystem = kSubSystemDefault;
        head.nOperation = op;
        std::vector<char> out;
        server->Handle(client, head, body, answer, out);
        return {answer, out};
    }

    static std::string TreatyCode(const char* code) {
        _ContCodeStruct r{};
        Set(r.szContCode, code);
        Set(r.szChnName, "测试合约");
        Set(r.szEngName, "Test");
        r.cContType = 'A';
        return Bytes(r);
    }

    void RemoveStoreFiles() {
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
    }

    TempDir dir;
    std::string path;
    std::unique_ptr<Server> server;
    ConnectionContext client{"demo"};
    std::vector<std::string> failures;
};

TEST_F(StoreFile, DeletedUnderTheServerWritesAreRefusedAndReadsGoOn) {
    ASSERT_EQ(Call(181, TreatyCode("Q7")).Status(), 0);
    const int before = Call(180).Count();
    RemoveStoreFiles();
    // What the server still has open is read as before.
    const Reply list = Call(180);
    EXPECT_EQ(list.Status(), 0);
    EXPECT_EQ(list.Count(), before);

    EXPECT_EQ(Call(181, TreatyCode("Q8")).Status(), kServerFailure);
    ASSERT_FALSE(failures.empty());
    EXPECT_NE(failures.back().find("gone"), std::string::npos) << failures.back();
    // Also once a new connection has made an empty file at the path.
    std::string error;
    EXPECT_FALSE(server->SetUser("newcomer", "", "secret-1", &error));
    EXPECT_NE(error.find("writes are refused"), std::string::npos) << error;
    EXPECT_EQ(Call(181, TreatyCode("Q9")).Status(), kServerFailure);
}

TEST_F(StoreFile, ReplacedByAnotherFileWritesAreRefused) {
    const std::string other = (dir.Path() / "other.db").string();
    {
        std::string error;
        auto second = Server::Open(other, &error);
        ASSERT_TRUE(second) << error;
    }
    // As a careless copy over it would: the store's journal files go with it.
    for (const char* suffix : {"-wal", "-shm"}) std::filesystem::remove(path + suffix);
    std::filesystem::rename(other, path);
    EXPECT_EQ(Call(181, TreatyCode("Q8")).Status(), kServerFailure);
    ASSERT_FALSE(failures.empty());
    EXPECT_NE(failures.back().find("replaced"), std::string::npos) << failures.back();

    // A server opened on the file now there writes to it as usual.
    std::string error;
    auto reopened = Server::Open(path, &error);
    ASSERT_TRUE(reopened) << error;
    EXPECT_TRUE(reopened->SetUser("newcomer", "", "secret-1", &error)) << error;
}

}  // namespace
}  // namespace kel::server::test
