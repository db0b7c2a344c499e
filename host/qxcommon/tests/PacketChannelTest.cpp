#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "common/net/Channel.h"
#include "host/qxcommon/BaseBase.h"
#include "host/win/testing/HeadlessDriver.h"

namespace {

// Records what was sent and answers from a script; can fail on demand.
class ScriptedChannel : public kel::Channel {
public:
    int sendResult = 0;
    int receiveResult = 0;
    _PacketHead sentHead{};
    std::vector<char> sentBody;
    _PacketHead answerHead{};
    std::vector<char> answerBody;

    int Send(const _PacketHead& head, const void* body, size_t length) override {
        sentHead = head;
        sentBody.assign(static_cast<const char*>(body), static_cast<const char*>(body) + length);
        return sendResult;
    }
    int Receive(_PacketHead& head, std::vector<char>& body) override {
        if (receiveResult) return receiveResult;
        head = answerHead;
        body = answerBody;
        return 0;
    }
};

class Packets : public ::testing::Test {
protected:
    void SetUp() override { kel::InstallChannel(channel); }
    void TearDown() override { kel::InstallChannel(nullptr); }
    std::shared_ptr<ScriptedChannel> channel = std::make_shared<ScriptedChannel>();
    win::ScopedHeadlessDriver driver;
    CBASEBASE dialog{0};
};

}  // namespace

TEST_F(Packets, SendHandsHeadAndBodyToTheInstalledChannel) {
    _PacketHead head{};
    head.nTransCode = 186;
    head.nCount = 1;
    head.nSubSystem = 82;
    const char key[9] = "2024";  // a 9-byte key, zero-padded
    EXPECT_EQ(dialog.SendPacket(&head, key, sizeof key), 0);
    EXPECT_EQ(channel->sentHead.nTransCode, 186);
    ASSERT_EQ(channel->sentBody.size(), 9u);
    EXPECT_EQ(std::memcmp(channel->sentBody.data(), "2024", 5), 0);
}

TEST_F(Packets, ReceiveWithBodyAllocatesACopyTheCallerFrees) {
    channel->answerHead.nCount = 2;
    channel->answerBody = {'a', 'b', 'c'};
    _PacketHead head{};
    char* body = nullptr;
    ASSERT_EQ(dialog.RecvPacket(&head, &body), 0);
    EXPECT_EQ(head.nCount, 2);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(std::memcmp(body, "abc", 3), 0);
    std::free(body);
    channel->answerBody.clear();
    ASSERT_EQ(dialog.RecvPacket(&head, &body), 0);
    EXPECT_NE(body, nullptr);  // an empty answer still yields a buffer to free
    std::free(body);
}

TEST_F(Packets, FailuresComeBackAsNonZeroCodesAndLeaveNoBuffer) {
    channel->receiveResult = kel::kChannelTimeout;
    _PacketHead head{};
    char* body = reinterpret_cast<char*>(0x1);
    EXPECT_EQ(dialog.RecvPacket(&head, &body), kel::kChannelTimeout);
    EXPECT_EQ(body, nullptr);
    EXPECT_EQ(dialog.RecvPacket(&head), kel::kChannelTimeout);
    channel->sendResult = kel::kChannelClosed;
    EXPECT_EQ(dialog.SendPacket(&head, nullptr, 0), kel::kChannelClosed);
    kel::InstallChannel(nullptr);
    EXPECT_EQ(dialog.SendPacket(&head, nullptr, 0), kel::kChannelNotConnected);
    EXPECT_NE(dialog.SendPacket(&head, nullptr, -1), 0);
}

TEST_F(Packets, DispErrBoxShowsAnOkOnlyErrorNamingTheFailure) {
    dialog.DispErrBox(0);
    dialog.DispErrBox(kel::kChannelReceiveFailed);
    dialog.DispErrBox(999);
    auto texts = driver->MessageTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], "服务器处理失败!");
    EXPECT_EQ(texts[1], "接收数据包失败");
    EXPECT_NE(texts[2].find("999"), std::string::npos);
    EXPECT_EQ(driver->MessageBoxes()[0].request.Buttons(), MB_OK);
}

TEST(LoginUser, UserCodeIsCutToTwentyCharacters) {
    CBASEBASE::SetLoginUser("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_STREQ(CBASEBASE::m_stLoginUserInfo.szUserCode, "ABCDEFGHIJKLMNOPQRST");
    CBASEBASE::SetLoginUser("demo");
    EXPECT_STREQ(CBASEBASE::m_stLoginUserInfo.szUserCode, "demo");
}
