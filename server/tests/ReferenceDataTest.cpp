// Treaty codes (180, 181), reinsurers with accounts (182, 183, 214, 215), the
// reinsurer look-up (3019), broker entries (216, 217) and exchange rates (210).
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>

#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using namespace kel::records;
using ReferenceData = ServerTest;

_ContCodeStruct Code(const char* code, const char* name, char type) {
    _ContCodeStruct r{};
    Set(r.szContCode, code);
    Set(r.szChnName, name);
    Set(r.szEngName, "Treaty");
    r.cContType = type;
    return r;
}

_RICompanyStruct Reinsurer(const char* code, const char* name) {
    _RICompanyStruct r{};
    Set(r.szRICode, code);
    Set(r.szChnName, name);
    Set(r.szEngName, "Sample Re");
    Set(r.szSPRating, "A+");
    Set(r.szReserveFund, "12.500000");
    r.cCompKind = 'A';
    r.cLapsed = 'N';
    return r;
}

_RIAccountStruct Account(const char* currency, const char* bank) {
    _RIAccountStruct a{};
    Set(a.szCurrency, currency);
    Set(a.szBank, bank);
    Set(a.szAccountNo, "6222000011112222");
    return a;
}

TEST_P(ReferenceData, TreatyCodesAreKeptAndMarkedWhileUnused) {
    Seed();
    EXPECT_EQ(SendRecord(181, Code("Q2", "工程险成数合约", 'A')).Status(), 0);
    EXPECT_EQ(SendRecord(181, Code("Q2", "重复", 'A')).Status(), kRefused);
    EXPECT_EQ(SendRecord(181, Code("Z9", "不存在", 'A'), kOpUpdate).Status(), kRefused);
    EXPECT_EQ(SendRecord(181, Code("Q2", "工程险合约", 'C'), kOpUpdate).Status(), 0);

    Treaty t = MakeTreaty("Q1", "20240101", "QS-1");
    InsertTreaty(t);
    const Reply list = Send(180);
    ASSERT_EQ(list.Status(), 0);
    const auto codes = list.Records<_ContCodeStruct>();
    ASSERT_EQ(list.Count(), 4);
    ASSERT_EQ(codes.size(), 4u);
    EXPECT_EQ(Get(codes[0].szContCode), "Q1");  // in code order
    EXPECT_EQ(codes[0].cMarkFlag, 'N');         // used by treaty data
    EXPECT_EQ(Get(codes[1].szContCode), "Q2");
    EXPECT_EQ(Get(codes[1].szChnName), "工程险合约");
    EXPECT_EQ(codes[1].cContType, 'C');
    EXPECT_EQ(codes[1].cMarkFlag, 'Y');

    EXPECT_EQ(Send(181, "Q1", kOpDelete).Status(), kBadRequest);                 // 3 bytes: "Q1" and its NUL
    EXPECT_EQ(Send(181, std::string("Q1\0", 3), kOpDelete).Status(), kRefused);  // in use
    EXPECT_EQ(Send(181, std::string("Q2\0", 3), kOpDelete).Status(), 0);
    EXPECT_EQ(Send(181, std::string("Q2\0", 3), kOpDelete).Status(), kRefused);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_code"), 3);
}

TEST_P(ReferenceData, ANewTreatyCodeIsTwoUpperCaseLettersOrDigitsButOldCodesStayUsable) {
    Seed();
    const int64_t before = Count("SELECT COUNT(*) FROM t_cont_code");
    for (const char* code : {"合", "q1", "A", "A-"})
        EXPECT_EQ(SendRecord(181, Code(code, "名称", 'A')).Status(), kBadRequest) << code;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_code"), before);

    ASSERT_GE(Db().Execute("INSERT INTO t_cont_code (c_cont_code, c_name_cn, c_name_en, c_type) "
                           "VALUES ('合', '旧合约', 'Old', 'A')"),
              0);
    EXPECT_EQ(SendRecord(181, Code("合", "旧合约(改)", 'A'), kOpUpdate).Status(), 0);
    EXPECT_EQ(Text("SELECT c_name_cn FROM t_cont_code WHERE c_cont_code = '合'"), "旧合约(改)");
    _ContCodeKey key{};
    Set(key.szContCode, "合");
    EXPECT_EQ(Send(181, Bytes(key), kOpDelete).Status(), 0);
}

TEST_P(ReferenceData, NewReinsurerAndBrokerEntryCodesHaveTheirShapeAndStoredOnesStayUsable) {
    Seed();
    const int64_t reinsurers = Count("SELECT COUNT(*) FROM t_ri_company");
    for (const char* code : {"测", "z1", "A", "ABC", "X\nY", "A\x7f"})
        EXPECT_EQ(Send(183, Bytes(Reinsurer(code, "新")), kOpInsert, 0).Status(), kBadRequest) << code;
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_ri_company"), reinsurers);
    EXPECT_EQ(Send(183, Bytes(Reinsurer("Z1", "新")), kOpInsert, 0).Status(), 0);

    // A code stored before the rule is updated, looked up and deleted as before.
    ASSERT_GE(Db().Execute("INSERT INTO t_ri_company (c_ri_cde, c_nme_cn, c_com_kind, c_lapsed) VALUES ('旧1', "
                           "'旧再保', 'A', 'N')"),
              0);
    EXPECT_EQ(Send(183, Bytes(Reinsurer("旧1", "旧再保(改)")), kOpUpdate, 0).Status(), 0);
    EXPECT_EQ(Send(3019, Bytes(Reinsurer("旧1", ""))).Count(), 1);
    EXPECT_EQ(Send(214, Bytes(Reinsurer("旧1", "").szRICode), kOpDelete).Status(), 0);

    // A broker entry: the broker's code followed by a reinsurer's that exists.
    auto entry = [](const char* code) {
        _RIAgentStruct e{};
        Set(e.szBrokerCode, "B1");
        Set(e.szRICode, code);
        Set(e.szChnName, "乙再保险");
        return e;
    };
    EXPECT_EQ(SendRecord(217, entry("ZZ"), kOpInsert).Status(), kBadRequest);
    EXPECT_EQ(SendRecord(217, entry("B1"), kOpInsert).Status(), kBadRequest);
    EXPECT_EQ(SendRecord(217, entry("B1ZZ"), kOpInsert).Status(), kRefused);  // no reinsurer ZZ
    EXPECT_EQ(SendRecord(217, entry("B1\n2"), kOpInsert).Status(), kBadRequest);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_ri_agent"), 0);
    EXPECT_EQ(SendRecord(217, entry("B102"), kOpInsert).Status(), 0);
    ASSERT_GE(Db().Execute("INSERT INTO t_ri_agent (c_broker_cde, c_ri_cde, c_nme_cn) VALUES ('B1', 'ZZ', '旧')"), 0);
    EXPECT_EQ(SendRecord(217, entry("ZZ"), kOpUpdate).Status(), 0);
    EXPECT_EQ(SendRecord(217, entry("ZZ"), kOpDelete).Status(), 0);
}

TEST_P(ReferenceData, NoKeyOrCodeOfARequestTakesAControlCharacter) {
    Seed();
    EXPECT_EQ(SendRecord(181, Code("Q\t", "名称", 'A')).Status(), kBadRequest);
    _RICodeKey key{};
    Set(key.szRICode, "B\n");
    EXPECT_EQ(Send(216, Bytes(key)).Status(), kBadRequest);  // a query key too
    EXPECT_EQ(Send(215, Bytes(key)).Status(), kBadRequest);
    Treaty t = MakeTreaty("Q1", "20240101", "QS-1");
    t.reins = {Participant("01", 1.0)};
    Set(t.info.szLeadRICode, "0\r");
    EXPECT_EQ(Send(189, t.Body(189)).Status(), kBadRequest);
    Set(t.info.szLeadRICode, "01");
    t.risk = {ProductRow("0101", "0\n1", 1000)};
    EXPECT_EQ(Send(189, t.Body(189)).Status(), kBadRequest);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_info"), 0);
}

TEST_P(ReferenceData, AnswersStayCurrentWhoeverChangesTheStore) {
    Seed();
    const Reply first = Send(180);
    EXPECT_EQ(Send(180).body, first.body);  // the same answer while nothing changes
    // A change by another connection (another process, or the host) ...
    ASSERT_GE(Db().Execute("INSERT INTO t_cont_code (c_cont_code, c_name_cn, c_type) VALUES ('G1', '剩余合约', 'G')"),
              0);
    EXPECT_EQ(Send(180).Count(), first.Count() + 1);
    // ... and one through the server are both seen at once.
    ASSERT_EQ(SendRecord(181, Code("F1", "临分合约", 'C')).Status(), 0);
    EXPECT_EQ(Send(180).Count(), first.Count() + 2);
    ASSERT_GE(Db().Execute("UPDATE t_cont_code SET c_name_cn = '改' WHERE c_cont_code = 'F1'"), 0);
    EXPECT_EQ(Get(Send(180).Records<_ContCodeStruct>()[0].szChnName), "改");
}

// Runs the SQL statements in another process (sqlite_commit, beside this program).
bool CommitInAnotherProcess(const std::string& file, std::vector<std::string> sql) {
    const auto program = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "sqlite_commit").string();
    std::vector<std::string> args{program, file};
    args.insert(args.end(), sql.begin(), sql.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_P(ReferenceData, AKeptAnswerIsNeverServedAfterAnotherProcessCommits) {
    if (GetParam() != Backend::Sqlite) GTEST_SKIP() << "answers are kept on SQLite only";
    Seed();
    const int before = Send(180).Count();
    EXPECT_EQ(Send(180).Count(), before);  // kept
    ASSERT_TRUE(CommitInAnotherProcess(
        target_, {"INSERT INTO t_cont_code (c_cont_code, c_name_cn, c_type) VALUES ('Z9', '剩余合约', 'G')"}));
    EXPECT_EQ(Send(180).Count(), before + 1);
    // A checkpoint that starts the log afresh, then a commit at its beginning again.
    EXPECT_EQ(Send(180).Count(), before + 1);
    ASSERT_TRUE(CommitInAnotherProcess(target_, {"PRAGMA wal_checkpoint(TRUNCATE)",
                                                 "UPDATE t_cont_code SET c_name_cn = '改' WHERE c_cont_code = 'Z9'"}));
    auto codes = Send(180).Records<_ContCodeStruct>();
    ASSERT_EQ(codes.size(), static_cast<std::size_t>(before + 1));
    EXPECT_EQ(Get(codes.back().szChnName), "改");
    // Several commits in a row, each seen at once ('Z9' comes last).
    for (const char* name : {"一", "二", "三"}) {
        ASSERT_TRUE(CommitInAnotherProcess(
            target_, {std::string("UPDATE t_cont_code SET c_name_cn = '") + name + "' WHERE c_cont_code = 'Z9'"}));
        EXPECT_EQ(Get(Send(180).Records<_ContCodeStruct>().back().szChnName), name);
    }
}

TEST_P(ReferenceData, AReinsurerIsStoredWithItsWholeAccountList) {
    Seed();
    const _RICompanyStruct ri = Reinsurer("07", "泰晤桥再保险公司");
    ASSERT_EQ(Send(183, Bytes(ri) + Bytes(Account("03", "北门银行")) + Bytes(Account("01", "汇川银行")), kOpInsert, 2)
                  .Status(),
              0);
    EXPECT_EQ(Send(183, Bytes(ri), kOpInsert, 0).Status(), kRefused);
    EXPECT_EQ(Send(183, Bytes(Reinsurer("88", "无")), kOpUpdate, 0).Status(), kRefused);

    const Reply all = Send(182);
    const auto list = all.Records<_RICompanyStruct>();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(Get(list[3].szRICode), "07");
    EXPECT_EQ(Get(list[3].szChnName), "泰晤桥再保险公司");
    EXPECT_EQ(Get(list[3].szReserveFund), "12.500000");
    EXPECT_EQ(list[3].cLapsed, 'N');

    const auto accounts = Send(215, Bytes(ri.szRICode)).Records<_RIAccountStruct>();
    ASSERT_EQ(accounts.size(), 2u);
    EXPECT_EQ(Get(accounts[0].szBank), "北门银行");  // in the order sent
    EXPECT_EQ(Get(accounts[1].szCurrency), "01");

    // An update replaces the whole list; no accounts at all is allowed.
    ASSERT_EQ(Send(183, Bytes(ri) + Bytes(Account("05", "莱茵银行")), kOpUpdate, 1).Status(), 0);
    EXPECT_EQ(Send(215, Bytes(ri.szRICode)).Records<_RIAccountStruct>().size(), 1u);
    ASSERT_EQ(Send(183, Bytes(ri), kOpUpdate, 0).Status(), 0);
    EXPECT_EQ(Send(215, Bytes(ri.szRICode)).Count(), 0);

    EXPECT_EQ(Send(214, Bytes(ri.szRICode), kOpDelete).Status(), 0);
    EXPECT_EQ(Send(214, Bytes(ri.szRICode), kOpDelete).Status(), kRefused);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_ri_company WHERE c_ri_cde = '07'"), 0);
}

// Each way treaty data names a reinsurer keeps it, set up alone: the delete is
// refused while that one reference is there and goes through once it is gone.
class ReinsurerReferences : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        Seed();
        treaty = MakeTreaty("Q1", "20240101", "QS-1");
        treaty.risk = {ProductRow("0101", "01", 1000)};
    }
    int Delete(const char* code) { return Send(214, Bytes(Reinsurer(code, "").szRICode), kOpDelete).Status(); }
    bool Kept(const char* code) {
        return Count(std::string("SELECT COUNT(*) FROM t_ri_company WHERE c_ri_cde = '") + code + "'") == 1;
    }
    int Update() { return Send(187, treaty.Body(187), kOpUpdate).Status(); }
    int Generate() { return SendRecord(200, treaty.info).Status(); }

    Treaty treaty;
};

TEST_P(ReinsurerReferences, AParticipantStays) {
    treaty.reins = {Participant("03", 1.0)};
    treaty.info.nContId = InsertTreaty(treaty);
    EXPECT_EQ(Delete("03"), kRefused);
    EXPECT_TRUE(Kept("03"));
    treaty.reins = {Participant("01", 1.0)};
    ASSERT_EQ(Update(), 0);
    EXPECT_EQ(Delete("03"), 0);
    EXPECT_FALSE(Kept("03"));
}

TEST_P(ReinsurerReferences, TheLeadReinsurerStays) {
    treaty.reins = {Participant("01", 1.0)};
    Set(treaty.info.szLeadRICode, "03");
    treaty.info.nContId = InsertTreaty(treaty);
    EXPECT_EQ(Delete("03"), kRefused);
    EXPECT_TRUE(Kept("03"));
    Set(treaty.info.szLeadRICode, "01");
    ASSERT_EQ(Update(), 0);
    EXPECT_EQ(Delete("03"), 0);
}

TEST_P(ReinsurerReferences, ABrokersSubReinsurerStays) {
    treaty.reins = {Participant("B1", 1.0)};
    treaty.extra = {SubReinsurer("B1", "03", "1.0", "1.0000", 'A')};
    treaty.info.nContId = InsertTreaty(treaty);
    EXPECT_EQ(Delete("03"), kRefused);
    EXPECT_TRUE(Kept("03"));
    treaty.extra[0].cStatus = 'D';
    ASSERT_EQ(Update(), 0);
    EXPECT_EQ(Delete("03"), 0);
}

TEST_P(ReinsurerReferences, AReinsurerOfDetailLinesStaysUntilTheyAreGeneratedAgain) {
    treaty.reins = {Participant("03", 1.0)};
    treaty.info.nContId = InsertTreaty(treaty);
    ASSERT_EQ(Generate(), 0);
    // It no longer takes part, but the lines generated before still name it.
    treaty.reins = {Participant("01", 1.0)};
    ASSERT_EQ(Update(), 0);
    ASSERT_GT(Count("SELECT COUNT(*) FROM t_cont_detail WHERE c_ri_cde = '03'"), 0);
    EXPECT_EQ(Delete("03"), kRefused);
    EXPECT_TRUE(Kept("03"));
    ASSERT_EQ(Generate(), 0);
    EXPECT_EQ(Delete("03"), 0);
}

KELMOR_SERVER_BACKENDS(ReinsurerReferences);

// Treaty data and a month's treaty order each keep the treaty code they name.
TEST_P(ReferenceData, ATreatyCodeStaysWhileTreatyDataOrAnOrderNamesIt) {
    Seed();
    const std::string x1("X1\0", 3);
    const int32_t id = InsertTreaty(MakeTreaty("X1", "20240101", "XL-1"));
    EXPECT_EQ(Send(181, x1, kOpDelete).Status(), kRefused);
    ASSERT_EQ(Send(188, Key<32>(id), kOpDelete).Status(), 0);

    _OrderAddBody order{};
    Set(order.szContCode, "X1");
    Set(order.szYearMonth, "202401");
    ASSERT_EQ(SendRecord(137, order).Status(), 0);
    EXPECT_EQ(Send(181, x1, kOpDelete).Status(), kRefused);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_code WHERE c_cont_code = 'X1'"), 1);
    _OrderDeleteBody remove{};
    Set(remove.szContCode, "X1");
    Set(remove.szYearMonth, "202401");
    ASSERT_EQ(SendRecord(135, remove).Status(), 0);
    EXPECT_EQ(Send(181, x1, kOpDelete).Status(), 0);
}

TEST_P(ReferenceData, TheLookUpAnswersOnlyTheReinsurerWithExactlyTheTypedCode) {
    Seed();
    // A four-character code stored before new codes had to be two characters.
    ASSERT_GE(Db().Execute("INSERT INTO t_ri_company (c_ri_cde, c_nme_cn, c_com_kind, c_lapsed) VALUES ('0105', "
                           "'后一家', 'A', 'N')"),
              0);
    const Reply first = Send(3019, Bytes(Reinsurer("01", "")));
    ASSERT_EQ(first.Status(), 0);
    ASSERT_EQ(first.Count(), 1);
    EXPECT_EQ(Get(first.Records<_RICompanyStruct>()[0].szRICode), "01");
    EXPECT_EQ(Get(first.Records<_RICompanyStruct>()[0].szChnName), "甲再保险");
    EXPECT_EQ(Get(Send(3019, Bytes(Reinsurer("0105", ""))).Records<_RICompanyStruct>()[0].szChnName), "后一家");
    // A beginning is not a code: "B" finds no "B1", "010" no "0105".
    for (const char* typed : {"B", "010", "ZZ"}) {
        const Reply none = Send(3019, Bytes(Reinsurer(typed, "")));
        EXPECT_EQ(none.Status(), kRefused) << typed;
        EXPECT_TRUE(none.body.empty()) << typed;
    }
    EXPECT_EQ(Send(3019, std::string(sizeof(_RICompanyStruct), '\0')).Status(), kBadRequest);
}

TEST_P(ReferenceData, BrokerEntriesAreKeptPerBroker) {
    Seed();
    _RIAgentStruct a{};
    Set(a.szBrokerCode, "B1");
    Set(a.szRICode, "B101");
    Set(a.szChnName, "甲再保险");
    Set(a.szEngName, "Jia Re");
    a.cKind = 'A';
    ASSERT_EQ(SendRecord(217, a, kOpInsert).Status(), 0);
    EXPECT_EQ(SendRecord(217, a, kOpInsert).Status(), kRefused);
    _RIAgentStruct other = a;
    Set(other.szBrokerCode, "Z9");  // no such broker
    EXPECT_EQ(SendRecord(217, other, kOpInsert).Status(), kRefused);
    Set(a.szCredit, "AA");
    ASSERT_EQ(SendRecord(217, a, kOpUpdate).Status(), 0);
    Set(other.szBrokerCode, "B1");
    Set(other.szRICode, "B102");
    EXPECT_EQ(SendRecord(217, other, kOpUpdate).Status(), kRefused);

    const auto list = Send(216, Bytes(a.szBrokerCode)).Records<_RIAgentStruct>();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(Get(list[0].szCredit), "AA");
    EXPECT_EQ(list[0].cKind, 'A');
    EXPECT_EQ(Send(216, std::string(5, '\0')).Count(), 0);  // the empty broker code has none

    EXPECT_EQ(SendRecord(217, a, kOpDelete).Status(), 0);
    EXPECT_EQ(SendRecord(217, a, kOpDelete).Status(), kRefused);
}

TEST_P(ReferenceData, ExchangeRatesAreListedBySourceTargetAndDate) {
    ASSERT_GE(Db().Execute("INSERT INTO t_exch_rate (c_src_cur, c_dst_cur, c_start_date, c_end_date, n_rate) VALUES "
                           "('03', '01', '20240101', '20241231', 7.092), ('02', '01', '20240101', '20241231', 0.9062)"),
              0);
    const auto rates = Send(210).Records<_ExchRateStruct>();
    ASSERT_EQ(rates.size(), 2u);
    EXPECT_EQ(Get(rates[0].szSrcCurr), "02");
    EXPECT_DOUBLE_EQ(rates[1].dExchRate, 7.092);
    EXPECT_EQ(Get(rates[1].szEndDate), "20241231");
}

KELMOR_SERVER_BACKENDS(ReferenceData);

}  // namespace
}  // namespace kel::server::test
