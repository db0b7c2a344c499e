// CBaseMgr's send/receive paths: what the user sees on each failure, and the
// answers it refuses to hand on.
#include <cstdint>

#include "data/ExchRateMgr.h"
#include "data/InsrClassDtlMgr.h"
#include "data/RIAgentCom.h"
#include "data/tests/support/ManagerFixture.h"

using namespace kel::testing;

namespace {
using Framework = ManagerTest;

TEST_F(Framework, CommandSendFailureIsShownOthersAreSilent) {
    CRIAgentCom mgr(&dlg);
    channel->sendResult = kel::kChannelClosed;
    EXPECT_FALSE(mgr.Insert());
    ASSERT_EQ(Messages(), std::vector<std::string>{"发送数据包失败!"});
    EXPECT_EQ(driver->MessageBoxes()[0].request.type, MB_OK);

    channel->sendResult = 0;
    channel->FailReceive(kel::kChannelTimeout);
    EXPECT_FALSE(mgr.Update());
    channel->AnswerStatus(1);
    EXPECT_FALSE(mgr.Delete());
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(mgr.Delete());
}

TEST_F(Framework, QueryFailuresGoThroughDispErrBox) {
    CExchRateMgr mgr(&dlg);
    char* answer = reinterpret_cast<char*>(1);
    int count = 7;
    channel->sendResult = kel::kChannelNotConnected;
    EXPECT_FALSE(mgr.GetExchRateList(&answer, &count));
    EXPECT_EQ(answer, nullptr);
    channel->sendResult = 0;
    channel->FailReceive(kel::kChannelTimeout);
    EXPECT_FALSE(mgr.GetExchRateList(&answer, &count));
    channel->AnswerStatus(3);
    EXPECT_FALSE(mgr.GetExchRateList(&answer, &count));
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"未连接到应用服务器!", "等待应用服务器应答超时!", "服务器处理失败!"}));
}

TEST_F(Framework, AnswerWithoutRecordsSucceedsWithABufferToFree) {
    CExchRateMgr mgr(&dlg);
    char* answer = nullptr;
    int count = -1;
    ASSERT_TRUE(mgr.GetExchRateList(&answer, &count));
    EXPECT_EQ(count, 0);
    EXPECT_NE(answer, nullptr);
    std::free(answer);
    ExpectSent(ExpectedHead(210), {});
    EXPECT_TRUE(Messages().empty());
}

TEST_F(Framework, ShortOrNegativeAnswersAreReceiveFailures) {
    CExchRateMgr mgr(&dlg);
    char* answer = nullptr;
    int count = 0;
    channel->AnswerRaw(2, std::vector<char>(2 * sizeof(_ExchRateStruct) - 1));
    EXPECT_FALSE(mgr.GetExchRateList(&answer, &count));
    channel->AnswerRaw(-1, {});
    EXPECT_FALSE(mgr.GetExchRateList(&answer, &count));
    EXPECT_EQ(answer, nullptr);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"接收数据包失败", "接收数据包失败"}));
    // A longer body is accepted: only what is announced is read.
    channel->AnswerRaw(1, std::vector<char>(sizeof(_ExchRateStruct) + 8));
    ASSERT_TRUE(mgr.GetExchRateList(&answer, &count));
    EXPECT_EQ(count, 1);
    std::free(answer);
}

TEST_F(Framework, AnswerFitsKnowsEveryRecordLayout) {
    using kel::mgr::AnswerFits;
    EXPECT_TRUE(AnswerFits(3019, 1, nullptr, 1054));
    EXPECT_FALSE(AnswerFits(3019, 1, nullptr, 1053));
    EXPECT_TRUE(AnswerFits(207, 2, nullptr, 82));
    EXPECT_FALSE(AnswerFits(182, -3, nullptr, 0));
    EXPECT_TRUE(AnswerFits(165, 12, nullptr, 0));  // a count-only answer
}

TEST_F(Framework, MultiRecordCommandRefusesWhatItCannotSend) {
    CInsrClassDtlMgr mgr(&dlg);
    std::vector<_InsrClassDtlStruct> many(INT16_MAX + 1);
    ASSERT_TRUE(mgr.SetClassDtlList(many.data(), static_cast<int>(many.size())));
    EXPECT_FALSE(mgr.Insert());
    EXPECT_EQ(Messages(), std::vector<std::string>{"记录数过多，无法发送!"});
    ASSERT_TRUE(mgr.SetClassDtlList(many.data(), INT16_MAX));
    {
        ScopedAllocationLimit none(0);
        EXPECT_FALSE(mgr.Insert());
    }
    EXPECT_TRUE(channel->requests.empty());
    EXPECT_EQ(Messages().size(), 1u);
    ASSERT_TRUE(mgr.Insert());
    EXPECT_EQ(channel->Last().head.nCount, INT16_MAX);
}

}  // namespace
