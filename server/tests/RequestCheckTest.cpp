// Every request is held against the transaction table and checked field by field
// before it is used; a refused request answers a non-zero status and writes nothing.
#include <cmath>

#include "server/tests/ServerTestSupport.h"

namespace kel::server::test {
namespace {

using RequestCheck = ServerTest;

_ContCodeStruct Code(const char* code, const char* name, char type = 'A') {
    _ContCodeStruct r{};
    Set(r.szContCode, code);
    Set(r.szChnName, name);
    r.cContType = type;
    return r;
}

TEST_P(RequestCheck, UnknownCodesAndOperationsOutsideTheTableAreRefused) {
    EXPECT_EQ(Send(999).Status(), kUnknownCode);
    EXPECT_EQ(Send(-5).Status(), kUnknownCode);
    EXPECT_EQ(Send(180, {}, 1).Status(), kBadRequest);  // a query carries operation 0
    EXPECT_EQ(Send(181, Bytes(Code("Q9", "名称")), 3).Status(), kBadRequest);
    const Reply ok = Send(180);
    EXPECT_EQ(ok.Status(), 0);
    EXPECT_EQ(ok.head.nTransCode, 180);
}

TEST_P(RequestCheck, BodySizesAndCountsMustMatchTheRule) {
    Seed();
    const std::string code = Bytes(Code("Q9", "名称"));
    EXPECT_EQ(Send(181, code.substr(0, 126)).Status(), kBadRequest);            // shorter than the record
    EXPECT_EQ(Send(181, code + "x").Status(), kBadRequest);                     // longer
    EXPECT_EQ(Send(181, code, kel::records::kOpDelete).Status(), kBadRequest);  // a delete sends 3 bytes
    EXPECT_EQ(Send(180, "x").Status(), kBadRequest);

    _RICompanyStruct ri{};
    Set(ri.szRICode, "09");
    _RIAccountStruct account{};
    EXPECT_EQ(Send(183, Bytes(ri) + Bytes(account), 0, 2).Status(), kBadRequest);  // count 2, one account
    EXPECT_EQ(Send(183, Bytes(ri), 0, -1).Status(), kBadRequest);
    EXPECT_EQ(Send(194, "", 0, 0).Status(), kBadRequest);  // no product record names no section

    Treaty t = MakeTreaty("Q1", "20240101", "QS-1");
    t.reins = {Participant("01", 1.0)};
    std::string body = t.Body(189);
    EXPECT_EQ(Send(189, body.substr(0, body.size() - 1)).Status(), kBadRequest);
    _ContSubHead lying = *kel::records::MakeContSubHead(189, {2, 0, 0});  // claims two participants
    EXPECT_EQ(Send(189, Bytes(lying) + body.substr(sizeof lying)).Status(), kBadRequest);
    lying = *kel::records::MakeContSubHead(189, {-1, 0, 0});
    EXPECT_EQ(Send(189, Bytes(lying) + body.substr(sizeof lying)).Status(), kBadRequest);
    EXPECT_EQ(Send(189, body.substr(0, 100)).Status(), kBadRequest);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_info"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_code WHERE c_cont_code = 'Q9'"), 0);
}

TEST_P(RequestCheck, TextsNeedTheirNulAndValidGbkAndRealsMustBeFinite) {
    Seed();
    _ContCodeStruct r = Code("Q9", "名称");
    std::memset(r.szContCode, 'Q', sizeof r.szContCode);  // no NUL inside the field
    EXPECT_EQ(SendRecord(181, r).Status(), kBadRequest);

    r = Code("Q9", "名称");
    r.szChnName[0] = static_cast<char>(0x81);  // a lead byte followed by a byte no GBK trail takes
    r.szChnName[1] = 0x20;
    EXPECT_EQ(SendRecord(181, r).Status(), kBadRequest);

    r = Code("Q9", "名称");
    r.cContType = static_cast<char>(0xB0);  // a letter field holds one ASCII letter
    EXPECT_EQ(SendRecord(181, r).Status(), kBadRequest);
    EXPECT_EQ(SendRecord(181, Code("Q9", "名称", 'B')).Status(), kBadRequest);  // no type B
    EXPECT_EQ(SendRecord(181, Code("", "名称")).Status(), kBadRequest);         // no code

    Treaty t = MakeTreaty("Q1", "20240101", "QS-1");
    t.info.dCommRate = std::nan("");
    EXPECT_EQ(Send(189, t.Body(189)).Status(), kBadRequest);
    t = MakeTreaty("Q1", "20240231", "QS-1");  // no such date
    EXPECT_EQ(Send(189, t.Body(189)).Status(), kBadRequest);

    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_code WHERE c_cont_code = 'Q9'"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_info"), 0);
    EXPECT_EQ(SendRecord(181, Code("Q9", "名称")).Status(), 0);
}

TEST_P(RequestCheck, AFailureHalfwayLeavesNothingWritten) {
    Seed();
    // A reinsurer with two accounts, then an update whose second account is bad.
    _RICompanyStruct ri{};
    Set(ri.szRICode, "09");
    Set(ri.szChnName, "戊再保险");
    _RIAccountStruct a{};
    Set(a.szBank, "汇川银行");
    ASSERT_EQ(Send(183, Bytes(ri) + Bytes(a) + Bytes(a), 0, 2).Status(), 0);
    Set(ri.szChnName, "改名");
    _RIAccountStruct bad = a;
    std::memset(bad.szPayee, 'x', sizeof bad.szPayee);
    EXPECT_EQ(Send(183, Bytes(ri) + Bytes(a) + Bytes(bad), kel::records::kOpUpdate, 2).Status(), kBadRequest);
    EXPECT_EQ(Text("SELECT c_nme_cn FROM t_ri_company WHERE c_ri_cde = '09'"), "戊再保险");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_ri_account WHERE c_ri_cde = '09'"), 2);

    // Treaty data whose participant is unknown: the main record was already
    // inserted when the list failed, and is rolled back with it.
    Treaty t = MakeTreaty("Q1", "20240101", "QS-1");
    t.reins = {Participant("01", 0.5), Participant("77", 0.5)};
    EXPECT_EQ(Send(189, t.Body(189)).Status(), kRefused);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_info"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM t_cont_reins"), 0);
}

KELMOR_SERVER_BACKENDS(RequestCheck);

}  // namespace
}  // namespace kel::server::test
