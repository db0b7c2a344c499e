// Who changed what: each accepted command leaves one audit entry with its time,
// user, code, operation and record, written with its change; a refused command,
// also one refused after it began writing, leaves none; reads leave none.
#include "server/Audit.h"
#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using namespace kel::records;
using Audit = ServerTest;

TEST_P(Audit, EachAcceptedCommandIsWrittenWithItsChangeAndNothingElseIs) {
    Seed();
    ConnectionContext wangli{"wangli"};
    _ContCodeStruct code{};
    Set(code.szContCode, "Z1");
    Set(code.szChnName, "新合约");
    code.cContType = 'A';
    ASSERT_EQ(SendRecord(181, code, kOpInsert).Status(), 0);
    ASSERT_EQ(SendRecord(181, code, kOpInsert).Status(), kRefused);  // exists: no entry
    _RICompanyStruct ri{};
    Set(ri.szRICode, "01");
    Set(ri.szChnName, "甲再保险");
    ASSERT_EQ(SendAs(wangli, 183, Bytes(ri), kOpUpdate, 0).Status(), 0);
    ASSERT_EQ(Send(182).Status(), 0);  // a read: no entry

    // Refused after its first write (an unknown participant): neither the change nor its entry stays.
    Treaty t = MakeTreaty("Q1", "20300101", "A-2030");
    t.reins = {Participant("01", 1.0)};
    const int32_t id = InsertTreaty(t);
    t.info.nContId = id;
    t.info.nLines = 9;
    t.reins = {Participant("ZZ", 1.0)};
    ASSERT_EQ(Send(187, t.Body(187), kOpUpdate).Status(), kRefused);
    EXPECT_EQ(Count("SELECT n_lines FROM t_cont_info WHERE n_cont_id = " + std::to_string(id)), 3);
    _OrderAddBody order{};
    Set(order.szContCode, "Q1");
    Set(order.szYearMonth, "203001");
    ASSERT_EQ(SendAs(wangli, 137, Bytes(order)).Status(), 0);

    std::vector<AuditEntry> entries;
    std::string error;
    ASSERT_TRUE(server_->ForEachAudit(
        "", [&](const AuditEntry& e) { entries.push_back(e); }, &error))
        << error;
    ASSERT_EQ(entries.size(), 4u);
    auto is = [](const AuditEntry& e, const char* user, int code, int op, const std::string& record) {
        return e.user == user && e.code == code && e.operation == op && e.record == record;
    };
    EXPECT_TRUE(is(entries[0], "demo", 181, kOpInsert, "t_cont_code Z1")) << AuditLine(entries[0]);
    EXPECT_TRUE(is(entries[1], "wangli", 183, kOpUpdate, "t_ri_company 01")) << AuditLine(entries[1]);
    EXPECT_TRUE(is(entries[2], "demo", 189, kOpInsert, "t_cont_info " + std::to_string(id))) << AuditLine(entries[2]);
    EXPECT_TRUE(is(entries[3], "wangli", 137, 0, "t_cont_order 203001|Q1")) << AuditLine(entries[3]);
    for (std::size_t i = 1; i < entries.size(); ++i) EXPECT_LT(entries[i - 1].change, entries[i].change);
    EXPECT_TRUE(IsAuditTime(entries[0].time)) << entries[0].time;
    // The entry's number is the version it gave the record.
    EXPECT_EQ(Count("SELECT n_version FROM t_ri_company WHERE c_ri_cde = '01'"), entries[1].change);
    EXPECT_NE(AuditLine(entries[1]).find("wangli  183  update  t_ri_company 01"), std::string::npos);

    int since = 0;
    ASSERT_TRUE(server_->ForEachAudit(entries[0].time.substr(0, 10), [&](const AuditEntry&) { ++since; }));
    EXPECT_EQ(since, 4);
    ASSERT_TRUE(server_->ForEachAudit("2999-01-01", [&](const AuditEntry&) { ADD_FAILURE(); }));
    EXPECT_FALSE(server_->ForEachAudit(
        "yesterday", [](const AuditEntry&) {}, &error));
}

KELMOR_SERVER_BACKENDS(Audit);

TEST(AuditLine, StoredTextsCannotForgeLinesOrSteerTheTerminal) {
    AuditEntry e;
    e.time = "2026-12-07 10:00:00";
    e.user = "王力\n2026-12-07 10:00:01  admin";
    e.code = 181;
    e.record = "t_cont_code \x1B[2JZ1\\x7F\x7F\t";
    const std::string line = AuditLine(e);
    for (const char ch : line) EXPECT_FALSE(static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F) << line;
    EXPECT_NE(line.find("王力\\x0A2026-12-07 10:00:01  admin"), std::string::npos) << line;
    // A backslash in the text stays told apart from an escape.
    EXPECT_NE(line.find("t_cont_code \\x1B[2JZ1\\\\x7F\\x7F\\x09"), std::string::npos) << line;
}

}  // namespace
}  // namespace kel::server::test
