// Treaty codes and treaty data: request bytes, the two list orders, the 190 load.
#include "data/ContInfoMgr.h"
#include "data/tests/support/ManagerFixture.h"

using namespace kel::testing;

namespace {

class ContInfo : public ManagerTest {
protected:
    ContInfo() {
        mgr.m_stContInfo.nContId = 4711;
        std::strcpy(mgr.m_stContInfo.szStartDate, "2024");
        std::strcpy(mgr.m_stContInfo.szContCode, "QS");
        for (int i = 0; i < 3; ++i) risk[i].nLines = i + 1;
    }
    // The 190 answer block with these lists.
    std::vector<char> SubListAnswer(int nReins, int nRisk, int nExtra) {
        _ContSubListHead block{};
        block.nReinsCount = nReins;
        block.nRiskCount = nRisk;
        block.nExtraCount = nExtra;
        std::vector<char> body = BytesOf(block);
        for (int i = 0; i < nReins; ++i) Append(body, BytesOf(reins[i]));
        for (int i = 0; i < nRisk; ++i) Append(body, BytesOf(risk[i]));
        for (int i = 0; i < nExtra; ++i) Append(body, BytesOf(extra));
        return body;
    }

    CContInfoMgr mgr{&dlg};
    _ContReinsStruct reins[2] = {{0, 0, 0.6, 0, "R1"}, {0, 0, 0.4, 0, "R2"}};
    _ContRiskStruct risk[3] = {};
    _ContExtraStruct extra = {"R2", "S9", "0.5", 'A', "0.4"};
};

TEST_F(ContInfo, TreatyCodeRequests) {
    CContCodeMgr codes(&dlg);
    _ContCodeStruct code{};
    std::strcpy(code.szContCode, "QS");
    std::strcpy(code.szChnName, "成数");
    code.cContType = 'Q';
    codes.SetContCode(code);

    char* answer = nullptr;
    int count = 0;
    channel->AnswerRecords(std::vector<_ContCodeStruct>{code, code});
    ASSERT_TRUE(codes.GetContCodeList(&answer, &count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(std::memcmp(answer + 127, &code, 127), 0);
    std::free(answer);
    ExpectSent(ExpectedHead(180), {});

    ExpectCommands(codes, 181, BytesOf(code), {0, 1});
    ASSERT_TRUE(codes.Delete());
    ExpectSent(ExpectedHead(181, 1, 2), {'Q', 'S', '\0'});
}

TEST_F(ContInfo, YearQueryIdDeleteGenerateAndCheckRequests) {
    char* answer = nullptr;
    int count = 0;
    ASSERT_TRUE(mgr.GetContInfoList(&answer, &count));
    std::free(answer);
    ExpectSent(ExpectedHead(186), {'2', '0', '2', '4', 0, 0, 0, 0, 0});

    ASSERT_TRUE(mgr.Delete());
    std::vector<char> id32(32, 0);
    std::memcpy(id32.data(), "4711", 4);
    ExpectSent(ExpectedHead(188, 1, 2), id32);

    ASSERT_TRUE(mgr.GenerateCont());
    ExpectSent(ExpectedHead(200), BytesOf(mgr.m_stContInfo));

    _CheckResultStruct lines[2] = {{"第一行"}, {}};
    std::memset(lines[1].szText, 'x', sizeof lines[1].szText);  // no terminator
    channel->AnswerRecords(std::vector<_CheckResultStruct>{lines[0], lines[1]});
    ASSERT_TRUE(mgr.GetCheckResult(&answer, &count));
    std::vector<char> id64(64, 0);
    std::memcpy(id64.data(), "4711", 4);
    ExpectSent(ExpectedHead(207), id64);
    ASSERT_EQ(count, 2);
    const auto* got = reinterpret_cast<const _CheckResultStruct*>(answer);
    EXPECT_EQ(CContInfoMgr::CheckLineText(got[1]), std::string(41, 'x'));
    std::free(answer);
}

TEST_F(ContInfo, EmptyListsMakeA432ByteBody) {
    ASSERT_TRUE(mgr.Insert());
    std::vector<char> body = BytesOf(*kel::records::MakeContSubHead(189, {}));
    Append(body, BytesOf(mgr.m_stContInfo));
    ASSERT_EQ(body.size(), 432u);
    ExpectSent(ExpectedHead(189, 1, 0), body);
    EXPECT_EQ(reinterpret_cast<const int32_t*>(channel->Last().body.data())[0], 1);
}

TEST_F(ContInfo, UpdateSendsProductLinesFirstInsertSendsParticipantsFirst) {
    ASSERT_TRUE(mgr.SetReinsList(reins, 2));
    ASSERT_TRUE(mgr.SetRiskList(risk, 3));
    ASSERT_TRUE(mgr.SetExtraList(&extra, 1));
    auto expected = [&](int code) {
        _ContSubHead block{};
        block.nWord0 = block.nWord1 = 1;
        block.nWord2 = code == 189 ? 2 : 3;  // 189: participants, 187: product lines
        block.nWord3 = code == 189 ? 3 : 2;
        block.nWord4 = 1;
        std::vector<char> body = BytesOf(block);
        Append(body, BytesOf(mgr.m_stContInfo));
        std::vector<char> r, k;
        for (auto& x : reins) Append(r, BytesOf(x));
        for (auto& x : risk) Append(k, BytesOf(x));
        Append(body, code == 189 ? r : k);
        Append(body, code == 189 ? k : r);
        Append(body, BytesOf(extra));
        return body;
    };
    ASSERT_TRUE(mgr.Update());
    ExpectSent(ExpectedHead(187, 1, 1), expected(187));
    ASSERT_TRUE(mgr.Insert());
    ExpectSent(ExpectedHead(189, 1, 0), expected(189));
    EXPECT_EQ(channel->Last().body.size(), 432u + 2 * 32 + 3 * 68 + 51);
}

TEST_F(ContInfo, SubListsLoadReplaceAndEmpty) {
    channel->AnswerRaw(0, SubListAnswer(2, 3, 1));
    ASSERT_TRUE(mgr.GetContSubList());
    std::vector<char> key(10, 0);
    std::memcpy(key.data(), "4711", 4);
    ExpectSent(ExpectedHead(190), key);
    ASSERT_EQ(mgr.m_arrReins.Count(), 2);
    ASSERT_EQ(mgr.m_arrRisk.Count(), 3);
    ASSERT_EQ(mgr.m_arrExtra.Count(), 1);
    EXPECT_STREQ(mgr.m_arrReins[1].szRICode, "R2");
    EXPECT_EQ(mgr.m_arrRisk[2].nLines, 3);
    EXPECT_EQ(mgr.m_arrExtra[0].cStatus, 'A');

    channel->AnswerRaw(5, SubListAnswer(0, 0, 0));  // the head count is not used
    ASSERT_TRUE(mgr.GetContSubList());
    EXPECT_TRUE(mgr.m_arrReins.Empty() && mgr.m_arrRisk.Empty() && mgr.m_arrExtra.Empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ContInfo, SubListFailuresKeepOrEmptyTheLists) {
    ASSERT_TRUE(mgr.SetReinsList(reins, 2));
    std::vector<char> shortBody = SubListAnswer(2, 3, 1);
    shortBody.pop_back();
    channel->AnswerRaw(0, shortBody);
    EXPECT_FALSE(mgr.GetContSubList());
    channel->AnswerRaw(0, std::vector<char>(119));
    EXPECT_FALSE(mgr.GetContSubList());
    std::vector<char> negative = SubListAnswer(0, 0, 0);
    negative[8] = -1;  // extra count below zero
    channel->AnswerRaw(0, negative);
    EXPECT_FALSE(mgr.GetContSubList());
    channel->AnswerStatus(1);
    EXPECT_FALSE(mgr.GetContSubList());
    EXPECT_EQ(mgr.m_arrReins.Count(), 2);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"接收数据包失败", "接收数据包失败", "接收数据包失败", "服务器处理失败!"}));

    driver->ClearRecords();
    for (int allowed : {0, 1, 2}) {
        channel->AnswerRaw(0, SubListAnswer(2, 3, 1));
        ScopedAllocationLimit limit(allowed);
        EXPECT_FALSE(mgr.GetContSubList());
        EXPECT_TRUE(mgr.m_arrReins.Empty() && mgr.m_arrRisk.Empty() && mgr.m_arrExtra.Empty());
    }
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"分配责任内存失败！", "分配附加险内存失败！", "分配附加险内存失败！"}));
}

TEST_F(ContInfo, IdentifierTooLongForTheTenByteKeyIsNotSent) {
    mgr.m_stContInfo.nContId = 1000000000;
    EXPECT_FALSE(mgr.GetContSubList());
    EXPECT_TRUE(channel->requests.empty());
    EXPECT_EQ(Messages(), std::vector<std::string>{"数据编号超出范围，无法发送!"});
    mgr.m_stContInfo.nContId = 999999999;
    channel->AnswerRaw(0, SubListAnswer(0, 0, 0));
    EXPECT_TRUE(mgr.GetContSubList());
    ASSERT_EQ(channel->requests.size(), 1u);
    EXPECT_EQ(std::string(channel->Last().body.data(), 10), std::string("999999999\0", 10));
}

}  // namespace
