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

TEST_F(Framework, EveryCommandFailureIsToldOnceAndReturnsFalse) {
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
    EXPECT_EQ(Messages(), (std::vector<std::string>{"发送数据包失败!", "等待应用服务器应答超时!",
                                                    "服务器拒绝删除：该记录不存在，或正在被使用!\n"
                                                    "如该记录已被其他用户修改，请重新查询后再操作。"}));
    // A refusal is a plain notice, like the send failure.
    EXPECT_EQ(driver->MessageBoxes()[2].request.type, MB_OK);
    driver->ClearRecords();
    EXPECT_TRUE(mgr.Delete());
    EXPECT_TRUE(Messages().empty());
}

// A session channel that could not reach a server sent nothing, and one whose answer
// was lost may have been carried out: the user hears each in its own words.
TEST_F(Framework, NoServerAndALostAnswerAreToldAsWhatTheyAre) {
    CRIAgentCom mgr(&dlg);
    channel->sendResult = kel::kChannelUnreachable;
    EXPECT_FALSE(mgr.Insert());
    channel->sendResult = 0;
    channel->FailReceive(kel::kChannelAnswerLost);
    EXPECT_FALSE(mgr.Update());
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{std::string(kel::ChannelErrorText(kel::kChannelUnreachable)) + "!",
                                        std::string(kel::ChannelErrorText(kel::kChannelAnswerLost)) + "!"}));
}

// The server's status bytes: 1 a rule (what it means depends on the operation of
// a record command), 2 a malformed request, 3 the database, 4 an unknown code,
// 5 too large.
TEST_F(Framework, RefusalsNameTheirCause) {
    CRIAgentCom agent(&dlg);
    channel->AnswerStatus(1);
    EXPECT_FALSE(agent.Insert());
    channel->AnswerStatus(1);
    EXPECT_FALSE(agent.Update());
    for (int8_t status : {2, 3, 4, 5, 9}) {
        channel->AnswerStatus(status);
        EXPECT_FALSE(agent.Insert());
    }
    CInsrClassDtlMgr classes(&dlg);  // a product set, not one keyed record
    std::vector<_InsrClassDtlStruct> one(1);
    ASSERT_TRUE(classes.SetClassDtlList(one.data(), 1));
    channel->AnswerStatus(1);
    EXPECT_FALSE(classes.Insert());
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "服务器拒绝保存：该记录已存在，或不符合规则!",
                              "服务器拒绝保存：该记录已不存在，或不符合规则!\n"
                              "如该记录已被其他用户修改，请重新查询后再操作。",
                              "服务器拒绝了该请求：数据格式不正确!",
                              "服务器数据库处理失败，数据未保存!",
                              "服务器不支持该交易(交易码 217)!",
                              "数据量过大，服务器无法处理!",
                              "服务器处理失败(状态 9)!",
                              "服务器拒绝了该操作：相关记录已存在、不存在或正在被使用!",
                          }));
}

// After a refusal the framework asks the server once for its reason and shows
// it on a line of its own; a server that cannot say (an older one answers the ask
// with status 4) leaves the message exactly as it was.
TEST_F(Framework, ARefusalShowsTheServersReasonWhenItHasOne) {
    CRIAgentCom agent(&dlg);
    channel->AnswerStatus(1);
    channel->reasons.push_back("再保人01已用于合约资料Q1-2024等3条，不能删除");
    EXPECT_FALSE(agent.Delete());
    CExchRateMgr rates(&dlg);
    char* answer = nullptr;
    int count = 0;
    channel->AnswerStatus(3);
    channel->reasons.push_back("服务器数据库出错，本次操作未保存任何修改");
    EXPECT_FALSE(rates.GetExchRateList(&answer, &count));
    channel->AnswerStatus(1);  // no reason scripted: an older server
    EXPECT_FALSE(agent.Insert());
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "服务器拒绝删除：该记录不存在，或正在被使用!\n"
                              "如该记录已被其他用户修改，请重新查询后再操作。\n"
                              "再保人01已用于合约资料Q1-2024等3条，不能删除",
                              "服务器处理失败!\n服务器数据库出错，本次操作未保存任何修改",
                              "服务器拒绝保存：该记录已存在，或不符合规则!",
                          }));
    EXPECT_EQ(channel->reasonAsks, 3);  // once per refusal
    // The asks never show among the requests the managers sent.
    for (const SentRequest& r : channel->requests) EXPECT_NE(r.head.nTransCode, kel::records::kRefusalReasonCode);
}

TEST_F(Framework, NoReasonIsAskedForWhenNothingWasRefused) {
    CRIAgentCom agent(&dlg);
    EXPECT_TRUE(agent.Insert());
    channel->FailReceive(kel::kChannelTimeout);
    EXPECT_FALSE(agent.Update());
    EXPECT_EQ(channel->reasonAsks, 0);
}

// A proxy or a confused server can hand back an answer to another transaction:
// neither a query nor a command takes it, whatever its status says.
TEST_F(Framework, AnAnswerToAnotherCodeIsAReceiveFailure) {
    CExchRateMgr rates(&dlg);
    char* answer = reinterpret_cast<char*>(1);
    int count = 5;
    channel->AnswerWithCode(999, 1, std::vector<char>(sizeof(_ExchRateStruct)));
    EXPECT_FALSE(rates.GetExchRateList(&answer, &count));
    EXPECT_EQ(answer, nullptr);
    EXPECT_EQ(count, 0);

    CRIAgentCom agent(&dlg);
    channel->AnswerWithCode(216);  // status 0, but not an answer to 217
    EXPECT_FALSE(agent.Insert());
    EXPECT_EQ(Messages(), (std::vector<std::string>{"接收数据包失败", "接收数据包失败"}));
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
