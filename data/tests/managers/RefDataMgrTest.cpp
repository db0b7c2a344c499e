// Reference data managers: reinsurers with accounts, brokers, classes, details.
#include "data/ContDetailInfo.h"
#include "data/InsrClassDtlMgr.h"
#include "data/InsrncSectMgr.h"
#include "data/RIAgentCom.h"
#include "data/RICompanyMgr.h"
#include "data/tests/support/ManagerFixture.h"

using namespace kel::testing;

namespace {

class RefData : public ManagerTest {
protected:
    RefData() {
        std::strcpy(company.szRICode, "AB12");
        std::strcpy(company.szChnName, "示例再保");
        company.cCompKind = 'A';
        std::strcpy(accounts[0].szCurrency, "01");
        std::strcpy(accounts[1].szCurrency, "02");
    }
    _RICompanyStruct company{};
    _RIAccountStruct accounts[2] = {};
};

TEST_F(RefData, ReinsurerWithoutAccountsIsOneRecordAndCountZero) {
    CRICompanyMgr mgr(&dlg);
    mgr.SetRICompany(company);
    ASSERT_TRUE(mgr.Insert());
    ExpectSent(ExpectedHead(183, 0, 0), BytesOf(company));
    EXPECT_EQ(channel->Last().body.size(), 1054u);

    ASSERT_TRUE(mgr.SetAccountList(accounts, 2));
    ASSERT_TRUE(mgr.Update());
    std::vector<char> body = BytesOf(company);
    Append(body, BytesOf(accounts[0]));
    Append(body, BytesOf(accounts[1]));
    ExpectSent(ExpectedHead(183, 2, 1), body);

    ASSERT_TRUE(mgr.Delete());
    ExpectSent(ExpectedHead(214, 1, 2), {'A', 'B', '1', '2', 0});
}

TEST_F(RefData, ReinsurerListAndAccountLoads) {
    CRICompanyMgr mgr(&dlg);
    char* answer = nullptr;
    int count = 0;
    channel->AnswerRecords(std::vector<_RICompanyStruct>{company});
    ASSERT_TRUE(mgr.GetRICompanyList(&answer, &count));
    ExpectSent(ExpectedHead(182), {});
    EXPECT_EQ(count, 1);
    std::free(answer);
    channel->AnswerRaw(1, std::vector<char>(1053));  // one reinsurer, one byte short
    EXPECT_FALSE(mgr.GetRICompanyList(&answer, &count));

    mgr.SetRICompany(company);
    channel->AnswerRecords(std::vector<_RIAccountStruct>{accounts[0], accounts[1]});
    ASSERT_TRUE(mgr.GetRIAccountList());
    ExpectSent(ExpectedHead(215), {'A', 'B', '1', '2', 0});
    ASSERT_EQ(mgr.m_arrAccount.Count(), 2);
    EXPECT_STREQ(mgr.m_arrAccount[1].szCurrency, "02");

    channel->AnswerRaw(2, std::vector<char>(377));  // announces two, carries one
    EXPECT_FALSE(mgr.GetRIAccountList());
    {
        channel->AnswerRecords(std::vector<_RIAccountStruct>{accounts[1]});
        ScopedAllocationLimit none(0);
        EXPECT_FALSE(mgr.GetRIAccountList());
    }
    EXPECT_EQ(mgr.m_arrAccount.Count(), 2);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"接收数据包失败", "接收数据包失败", "分配责任内存失败！"}));

    channel->AnswerRecords(std::vector<_RIAccountStruct>{});
    ASSERT_TRUE(mgr.GetRIAccountList());
    EXPECT_EQ(mgr.m_arrAccount.Count(), 0);
}

TEST_F(RefData, BrokerEntryRequests) {
    CRIAgentCom mgr(&dlg);
    _RIAgentStruct agent{};
    std::strcpy(agent.szBrokerCode, "BK");
    std::strcpy(agent.szRICode, "BKR1");
    mgr.SetRIAgent(agent);
    char* answer = nullptr;
    int count = 0;
    ASSERT_TRUE(mgr.GetRIAgentList(&answer, &count));
    std::free(answer);
    ExpectSent(ExpectedHead(216), {'B', 'K', 0, 0, 0});
    ExpectCommands(mgr, 217, BytesOf(agent));
}

TEST_F(RefData, ClassRequestsAndThe164ByteFilter) {
    CInsrncSectMgr classes(&dlg);
    classes.SetKey("4711");
    char* answer = nullptr;
    int count = 0;
    ASSERT_TRUE(classes.GetInsrncSectList(&answer, &count));
    std::free(answer);
    std::vector<char> key(64, 0);
    std::memcpy(key.data(), "4711", 4);
    ExpectSent(ExpectedHead(198), key);
    classes.SetKey(std::string(80, '9'));
    EXPECT_EQ(std::strlen(classes.m_szKey), 63u);
    _InsrncSectStruct cls{4711, "01", "企财险"};
    classes.SetInsrncSect(cls);
    ExpectCommands(classes, 199, BytesOf(cls));

    CInsrClassDtlMgr products(&dlg);
    _InsrClassDtlStruct filter{4711, "01", "", ""};
    products.SetFilter(filter);
    ASSERT_TRUE(products.GetInsrClassDtlList(&answer, &count));
    std::free(answer);
    std::vector<char> body = BytesOf(filter);
    body.resize(164, 0);
    ExpectSent(ExpectedHead(211), body);

    _InsrClassDtlStruct picked[2] = {{4711, "01", "0101", ""}, {4711, "01", "0102", ""}};
    ASSERT_TRUE(products.SetClassDtlList(picked, 2));
    ASSERT_TRUE(products.Insert());
    body = BytesOf(picked[0]);
    Append(body, BytesOf(picked[1]));
    ExpectSent(ExpectedHead(212, 2, 0), body);
}

TEST_F(RefData, TreatyDetailRequestsAndTheCallersAdjustmentMode) {
    CContDetailInfo mgr(&dlg);
    _ContDetailStruct detail{};
    detail.nContId = 4711;
    std::strcpy(detail.szProdCode, "0101");
    mgr.SetContDetail(detail);
    char* answer = nullptr;
    int count = 0;
    ASSERT_TRUE(mgr.GetContDetailList(&answer, &count));
    std::free(answer);
    ExpectSent(ExpectedHead(205), BytesOf(detail));
    ExpectCommands(mgr, 206, BytesOf(detail), {1, 2});

    _CommAdjustBody adjust{0.125, 4711, "R1", "S1"};
    ASSERT_TRUE(mgr.AdjustDetail(adjust, kAdjustBySectionAndReinsurer));
    ExpectSent(ExpectedHead(201, 1, 2), BytesOf(adjust));
}

}  // namespace
