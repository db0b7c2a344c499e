// A treaty data save (187) cut off at every byte of its frame: the connection closes
// after N bytes, for every N. The stored record with its lists is then the old one
// whole, and only the whole frame stores the new one whole.
#include <thread>

#include "server/Password.h"
#include "server/tests/RawClient.h"

namespace kel::server::test {
namespace {

using namespace kel::records;

// The record and its lists as the server answers them (186 for its year, 190).
std::string Stored(Server& server, int32_t id) {
    std::string state;
    for (const auto& [code, key] :
         {std::pair{186, std::string("2023") + std::string(5, '\0')}, std::pair{190, Key<10>(id)}}) {
        _PacketHead answer{};
        std::vector<char> body;
        ConnectionContext direct{"demo"};
        server.Handle(direct, RawClient::Head(code), key, answer, body);
        EXPECT_EQ(answer.cStatus, 0) << code;
        state += std::to_string(answer.nCount) + ":" + std::string(body.begin(), body.end());
    }
    return state;
}

class CutSave : public ListenerFixture {};

TEST_F(CutSave, ARecordIsStoredWholeOrNotAtAllWhereverItsFrameIsCut) {
    auto options = QuickOptions();
    StartListener(options);
    std::string error;
    auto db = kel::db::Open(path, &error);
    ASSERT_TRUE(db) << error;
    // A cheap hash for the thousands of log-ons below; the rule is the same.
    const auto hash = HashPassword("demo", 1);
    ASSERT_TRUE(hash);
    ASSERT_EQ(db->Execute("UPDATE t_user SET c_pwd_hash = ? WHERE c_user_cde = 'demo'", {kel::db::Value(*hash)}), 1);

    // The demo's first treaty data record as a screen loads it, then edited.
    _PacketHead answer{};
    std::vector<char> found, lists;
    ConnectionContext direct{"demo"};  // the test's own look at the store
    server->Handle(direct, RawClient::Head(186), std::string("2023") + std::string(5, '\0'), answer, found);
    ASSERT_GE(answer.nCount, 1);
    _ContInfoStruct info{};
    std::memcpy(&info, found.data(), sizeof info);
    const int32_t id = info.nContId;
    server->Handle(direct, RawClient::Head(190), Key<10>(id), answer, lists);
    _ContSubListHead counts{};
    std::memcpy(&counts, lists.data(), sizeof counts);
    ASSERT_GE(counts.nRiskCount, 1);
    const char* at = lists.data() + sizeof counts;
    Treaty edited;
    edited.info = info;
    auto take = [&](auto& list, int n) {
        list.resize(n);
        if (n > 0) std::memcpy(list.data(), at, n * sizeof(list[0]));
        at += n * sizeof(list[0]);
    };
    take(edited.reins, counts.nReinsCount);
    take(edited.risk, counts.nRiskCount);
    take(edited.extra, counts.nExtraCount);
    edited.info.dCommRate = 0.123;
    Set(edited.info.szContNo, "CUT-1");
    edited.risk.push_back(edited.risk.front());
    Set(edited.risk.back().szRiskLevel, "09");
    std::vector<char> bytes;
    const std::string body = edited.Body(187);
    ASSERT_EQ(kel::net::EncodeFrame(RawClient::Head(187, kOpUpdate), body.data(), body.size(), bytes), 0);

    const std::string before = Stored(*server, id);
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
        {
            RawClient c(Port());
            ASSERT_TRUE(c.LogOn()) << n;
            c.Raw(std::string_view(bytes.data(), n));
            if (n == bytes.size()) {
                const auto reply = c.Read();
                ASSERT_TRUE(reply);
                EXPECT_EQ(reply->Status(), 0);
            }
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (listener->ClientCount() > 0 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (n < bytes.size()) {
            ASSERT_EQ(Stored(*server, id), before) << "cut after " << n << " bytes";
        }
    }
    const std::string after = Stored(*server, id);
    ASSERT_NE(after, before);
    // The new record came whole: main record and product list together.
    std::vector<char> check;
    server->Handle(direct, RawClient::Head(190), Key<10>(id), answer, check);
    std::memcpy(&counts, check.data(), sizeof counts);
    EXPECT_EQ(counts.nRiskCount, static_cast<int32_t>(edited.risk.size()));
    server->Handle(direct, RawClient::Head(186), std::string("2023") + std::string(5, '\0'), answer, check);
    std::memcpy(&info, check.data(), sizeof info);
    EXPECT_EQ(Get(info.szContNo), "CUT-1");
    EXPECT_DOUBLE_EQ(info.dCommRate, 0.123);
}

}  // namespace
}  // namespace kel::server::test
