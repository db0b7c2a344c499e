// The clerk's reason for a refusal: kept per connection, answered by the refusal
// reason transaction in GBK, never the log's English.
#include "server/CommandTable.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using namespace kel::records;
using RefusalReason = ServerTest;

// The reason the connection holds now: "" when the server gives none.
std::string AskReason(Server& server, ConnectionContext& client) {
    _PacketHead head{};
    head.nTransCode = kRefusalReasonCode;
    _PacketHead answer{};
    std::vector<char> body;
    server.Handle(client, head, {}, answer, body);
    EXPECT_EQ(answer.cStatus, 0);
    if (answer.nCount == 0) return {};
    EXPECT_EQ(answer.nCount, 1);
    EXPECT_EQ(body.size(), kRefusalReasonBytes);
    return kel::text::GetField(body.data(), body.size());
}

bool HasChinese(const std::string& s) {
    for (unsigned char ch : s)
        if (ch >= 0x80) return true;
    return false;
}

_RICodeKey ReinsurerKey(const char* code) {
    _RICodeKey k{};
    Set(k.szRICode, code);
    return k;
}

TEST_P(RefusalReason, NamesTheCauseTheServerFound) {
    Seed();
    Treaty q1 = MakeTreaty("Q1", "20230101", "Q1-2023");
    q1.reins = {Participant("01", 1.0)};
    InsertTreaty(q1);
    Treaty moved = MakeTreaty("Q1", "20240101", "Q1-2024");
    moved.reins = {Participant("01", 0.5)};
    const int32_t id = InsertTreaty(moved);
    Treaty third = MakeTreaty("S1", "20240101", "S1-2024");
    third.reins = {Participant("01", 0.5)};
    InsertTreaty(third);

    // A start date another treaty data record of the treaty already has.
    moved.info = MakeTreaty("Q1", "20230101", "Q1-2024").info;
    moved.info.nContId = id;
    EXPECT_EQ(Send(187, moved.Body(187), kOpUpdate).Status(), kRefused);
    EXPECT_EQ(AskReason(*server_, client_), "合约Q1已有起始日期为2023/01/01的合约资料");

    // A treaty code nobody stored: not "already exists".
    Treaty unknown = MakeTreaty("ZZ", "20240101", "ZZ-2024");
    EXPECT_EQ(Send(189, unknown.Body(189)).Status(), kRefused);
    EXPECT_EQ(AskReason(*server_, client_), "合约代码ZZ不存在");

    // A reinsurer in use names the treaty data that uses it and how many.
    EXPECT_EQ(SendRecord(214, ReinsurerKey("01"), kOpDelete).Status(), kRefused);
    EXPECT_EQ(AskReason(*server_, client_), "再保人01已用于合约资料Q1-2023等3条，不能删除");

    // Asking twice gives the same reason; a request that succeeds clears it.
    EXPECT_EQ(AskReason(*server_, client_), "再保人01已用于合约资料Q1-2023等3条，不能删除");
    EXPECT_EQ(Send(180).Status(), kOk);
    EXPECT_EQ(AskReason(*server_, client_), "");
}

TEST_P(RefusalReason, IsKeptForEachConnectionAndBeforeLogOn) {
    ConnectionContext other{"demo"};
    ConnectionContext nobody;
    Seed();
    EXPECT_EQ(SendAs(other, 214, Bytes(ReinsurerKey("77")), kOpDelete).Status(), kRefused);
    EXPECT_EQ(SendAs(nobody, 180).Status(), kRefused);
    EXPECT_EQ(AskReason(*server_, other), "再保人77不存在");
    EXPECT_EQ(AskReason(*server_, nobody), "尚未登录，请重新登录");
    EXPECT_EQ(AskReason(*server_, client_), "");
}

// Every command, driven with requests the server must refuse (a zeroed body, a
// body of the wrong size, an operation the command does not take): each refusal
// carries a reason in the clerk's language, whatever path refused it.
TEST_P(RefusalReason, EveryRefusalOfEveryCommandCarriesAReason) {
    Seed();
    int refusals = 0;
    for (const TransactionInfo& rule : kTransactions) {
        ASSERT_NE(FindCommand(rule.nCode), nullptr) << rule.nCode;
        const int code = rule.nCode;
        const std::size_t fixed = rule.nFixed;
        struct Try {
            std::string body;
            int32_t op;
            int16_t count;
        };
        const Try tries[] = {
            {std::string(fixed, '\0'), kOpInsert, 1}, {std::string(fixed, '\0'), kOpUpdate, 1},
            {std::string(fixed, '\0'), kOpDelete, 1}, {std::string(fixed + 1, 'x'), kOpInsert, 1},
            {std::string(fixed, '\0'), 7, 1},         {std::string(fixed + 64, '\0'), kOpInsert, -1},
        };
        for (const Try& t : tries) {
            const Reply r = Send(code, t.body, t.op, t.count);
            const std::string reason = AskReason(*server_, client_);
            if (r.Status() == kOk) {
                EXPECT_EQ(reason, "") << code;
                continue;
            }
            ++refusals;
            EXPECT_TRUE(HasChinese(reason))
                << "transaction " << code << " status " << r.Status() << ": '" << reason << "'";
        }
    }
    EXPECT_GT(refusals, static_cast<int>(kTransactions.size()));
}

TEST_P(RefusalReason, AReasonTooLongIsCutWithinItsField) {
    ConnectionContext client{"demo"};
    std::string longReason;
    for (int i = 0; i < 300; ++i) longReason += "合";
    client.SetReason(longReason);
    const std::string kept = AskReason(*server_, client);
    EXPECT_FALSE(kept.empty());
    EXPECT_EQ(kept, longReason.substr(0, kept.size()));
    EXPECT_LE(*kel::text::GbkByteLength(kept), kRefusalReasonBytes - 1);
}

KELMOR_SERVER_BACKENDS(RefusalReason);

}  // namespace
}  // namespace kel::server::test
