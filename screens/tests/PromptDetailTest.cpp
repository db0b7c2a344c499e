// The prompt switches and the detail information list (with screen 13's count), as
// the user works them against a recording channel.
#include <cstring>

#include "frame/Kelmor.h"
#include "host/fac/FacBooking.h"
#include "host/qxcommon/RefusalText.h"
#include "screens/S0000SD.h"
#include "screens/S0000SE.h"
#include "screens/tests/ScreenTestSupport.h"

namespace kel::testing {
namespace {

using Prompts = CS0000SD;
using Details = CS0000SE;
constexpr const char* kPromptCaption = "提示信息定制";
constexpr const char* kDetailCaption = "详细信息";

_PacketHead PromptHead(int16_t code) {
    _PacketHead head = ExpectedHead(code);
    head.nSubSystem = kSubSystemPrompt;
    return head;
}

std::vector<char> UserBody(const std::string& user) {
    std::vector<char> body(21, 0);
    std::memcpy(body.data(), user.data(), user.size());
    return body;
}

_PromptSetStruct PromptRecord(char letter) {
    _PromptSetStruct r{};
    text::PutField(r.szUserCode, "demo");
    r.cPromptType = letter;
    r.cAction = 'A';
    return r;
}

_DetailInfoStruct Item(const char* docNo, char docType, char promptType, const char* text, const char* key) {
    _DetailInfoStruct r{};
    text::PutField(r.szDocNo, docNo);
    r.cDocType = docType;
    r.cPromptType = promptType;
    text::PutField(r.szDescription, text);
    text::PutField(r.szItemKey, key);
    return r;
}

const std::vector<_DetailInfoStruct> kItems = {
    Item("31010124000001377", 'P', 'B', "财产一切险保单超过自留额,需安排临分", "2"),
    Item("C3101240000000088", 'C', 'C', "货运险现金赔款已达起赔点,请摊回", "4"),
    Item("44040124000000562", 'P', 'B', "建筑工程一切险保单需安排临时分保", "13"),
};

std::vector<char> ActBody(const char* key, const std::string& user = "demo") {
    std::vector<char> body(32, 0);
    std::memcpy(body.data(), key, std::strlen(key));
    std::memcpy(body.data() + 11, user.data(), user.size());
    return body;
}

class PromptsAndDetails : public ScreenTest {
protected:
    void SetUp() override {
        ScreenTest::SetUp();
        CBASEBASE::SetLoginUser("demo");
        fac::SetBookingHandler(
            [this](const std::string& number, char type) { bookings.push_back(number + ":" + std::string(1, type)); });
    }
    void TearDown() override {
        fac::SetBookingHandler(nullptr);
        CBASEBASE::SetLoginUser("");
        ScreenTest::TearDown();
    }
    std::vector<int> Checks(win::DialogActions& a) {
        std::vector<int> checks;
        for (int id = Prompts::IDC_CHK_A; id <= Prompts::IDC_CHK_E; ++id) checks.push_back(a.Checked(id));
        return checks;
    }
    static CListCtrl& ListOf(win::DialogActions& a) { return *dynamic_cast<CListCtrl*>(a.Item(Details::IDC_LIST)); }
    static std::vector<std::string> Keys(CListCtrl& list) {
        std::vector<std::string> keys;
        for (int r = 0; r < list.GetItemCount(); ++r) keys.push_back(list.GetItemText(r, Details::COL_ITEM_KEY).str());
        return keys;
    }
    std::vector<std::string> bookings;
};

// ---- prompt switches

TEST_F(PromptsAndDetails, OpeningTicksTheTypesTheUserHasSwitchedOn) {
    channel->AnswerRecords(
        std::vector<_PromptSetStruct>{PromptRecord('A'), PromptRecord('C'), PromptRecord('C'), PromptRecord('X')});
    driver->Then(kPromptCaption, [this](win::DialogActions& a) {
        EXPECT_EQ(Checks(a), (std::vector<int>{1, 0, 1, 0, 0}));  // twice C once; X is none of ours
        std::vector<std::string> texts;
        for (int id = Prompts::IDC_CHK_A; id <= Prompts::IDC_CHK_E; ++id) texts.push_back(a.Text(id).str());
        EXPECT_EQ(texts, (std::vector<std::string>{"超限额业务申报提示", "需要临分业务提示", "现金赔款业务提示",
                                                   "拆分业务提示", "批改业务提示"}));
        a.Enter();  // the way out is 返回 alone
        EXPECT_FALSE(a.Ended());
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Call_Kelmor_Dialog(12, 0), IDCANCEL);
    ASSERT_EQ(channel->requests.size(), 1u);
    ExpectRequest(0, PromptHead(163), UserBody("demo"));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(PromptsAndDetails, AFailedOpeningIsToldAndGreysEveryBoxInsteadOfClaimingThemOff) {
    channel->AnswerStatus(1);
    channel->FailReceive(kChannelTimeout);
    channel->AnswerRaw(1, {});  // counts a record it does not carry
    for (int i = 0; i < 3; ++i)
        driver->Then(kPromptCaption, [this](win::DialogActions& a) {
            EXPECT_EQ(Checks(a), (std::vector<int>{0, 0, 0, 0, 0}));
            for (int id = Prompts::IDC_CHK_A; id <= Prompts::IDC_CHK_E; ++id) EXPECT_FALSE(a.Enabled(id)) << id;
            a.Click(IDCANCEL);
        });
    for (int i = 0; i < 3; ++i) Call_Kelmor_Dialog(0, 0);
    channel->sendResult = kChannelSendFailed;
    driver->Then(kPromptCaption, [](win::DialogActions& a) { a.Click(IDCANCEL); });
    Call_Kelmor_Dialog(0, 0);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"检索用户定义信息失败!", "接收数据包失败", "接收数据包失败",
                                                    "发送数据包失败!"}));
    for (const auto& box : driver->MessageBoxes()) EXPECT_EQ(box.request.type, static_cast<UINT>(MB_OK));
}

TEST_F(PromptsAndDetails, ASwitchIsSentOnAndOffAtOnce) {
    channel->AnswerRecords(std::vector<_PromptSetStruct>{});
    driver->Then(kPromptCaption, [this](win::DialogActions& a) {
        a.Click(Prompts::IDC_CHK_B);
        EXPECT_EQ(a.Checked(Prompts::IDC_CHK_B), 1);
        a.Click(Prompts::IDC_CHK_B);
        EXPECT_EQ(a.Checked(Prompts::IDC_CHK_B), 0);
        a.Click(Prompts::IDC_CHK_E);
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(0, 0);
    EXPECT_EQ(Codes(), (std::vector<int>{163, 164, 164, 164}));
    auto body = [](char letter, char action) {
        std::vector<char> b = UserBody("demo");
        b.push_back(letter);
        b.push_back(action);
        return b;
    };
    ExpectRequest(1, PromptHead(164), body('B', 'A'));
    ExpectRequest(2, PromptHead(164), body('B', 'D'));
    ExpectRequest(3, PromptHead(164), body('E', 'A'));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(PromptsAndDetails, ASwitchTheServerDidNotStoreGoesBackAndIsTold) {
    channel->AnswerRecords(std::vector<_PromptSetStruct>{PromptRecord('D')});
    channel->AnswerStatus(1);               // switching A on is refused
    channel->FailReceive(kChannelTimeout);  // switching D off: unknown whether stored
    driver->Then(kPromptCaption, [this](win::DialogActions& a) {
        a.Click(Prompts::IDC_CHK_A);
        EXPECT_EQ(a.Checked(Prompts::IDC_CHK_A), 0);
        a.Click(Prompts::IDC_CHK_D);
        EXPECT_EQ(a.Checked(Prompts::IDC_CHK_D), 0);  // shows what was asked
        channel->sendResult = kChannelSendFailed;
        a.Click(Prompts::IDC_CHK_C);
        EXPECT_EQ(a.Checked(Prompts::IDC_CHK_C), 0);  // nothing reached the server
        channel->sendResult = 0;
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(0, 0);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{RefusalText(164, 0, 1).str(), "接收数据包失败", "发送数据包失败!"}));
}

TEST_F(PromptsAndDetails, ASwitchWhoseAnswerWasLostShowsWhatTheServerHoldsNotWhatWasAsked) {
    using Records = std::vector<_PromptSetStruct>;
    channel->AnswerRecords(Records{PromptRecord('D')});
    channel->FailReceive(kChannelAnswerLost);                               // B on: the line dropped, it is back
    channel->AnswerRecords(Records{PromptRecord('B'), PromptRecord('D')});  // read again: stored
    channel->FailReceive(kChannelAnswerLost);                               // A on
    channel->AnswerRecords(Records{PromptRecord('B'), PromptRecord('D')});  // read again: not stored
    channel->FailReceive(kChannelAnswerLostOffline);                        // D off, and no line now
    driver->Then(kPromptCaption, [this](win::DialogActions& a) {
        a.Click(Prompts::IDC_CHK_B);
        EXPECT_EQ(Checks(a), (std::vector<int>{0, 1, 0, 1, 0}));
        a.Click(Prompts::IDC_CHK_A);
        EXPECT_EQ(Checks(a), (std::vector<int>{0, 1, 0, 1, 0}));
        a.Click(Prompts::IDC_CHK_D);
        EXPECT_EQ(Checks(a), (std::vector<int>{0, 1, 0, 1, 0}));  // what the server said last
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(0, 0);
    EXPECT_EQ(Codes(), (std::vector<int>{163, 164, 163, 164, 163, 164}));
    const std::string lost = std::string(ChannelErrorText(kChannelAnswerLost)) + "!";
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{lost, lost, std::string(ChannelErrorText(kChannelAnswerLostOffline)) + "!"}));
}

// ---- screen 13: the count

TEST_F(PromptsAndDetails, ScreenThirteenAnswersTheCountOfTheAnswerHeadAndOpensNothing) {
    channel->AnswerRaw(7, {});
    EXPECT_EQ(Call_Kelmor_Dialog(13, 0), 7);
    EXPECT_TRUE(driver->DialogsOpened().empty());
    ExpectRequest(0, PromptHead(165), UserBody("demo"));

    // A code of twenty characters fills the body, its terminator in the last byte.
    CBASEBASE::SetLoginUser("abcdefghijklmnopqrst");
    channel->AnswerRaw(0, {});
    EXPECT_EQ(Call_Kelmor_Dialog(13, 0), 0);
    ExpectRequest(1, PromptHead(165), UserBody("abcdefghijklmnopqrst"));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(PromptsAndDetails, EveryFailureOfTheCountIsToldAndCountsZero) {
    channel->AnswerStatus(1);
    channel->FailReceive(kChannelTimeout);
    channel->AnswerRaw(-3, {});  // no count at all
    channel->AnswerWithCode(166, 9);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Call_Kelmor_Dialog(13, 0), 0) << i;
    channel->sendResult = kChannelSendFailed;
    EXPECT_EQ(Call_Kelmor_Dialog(13, 0), 0);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"检索用户信息数目失败!", "接收数据包失败", "接收数据包失败",
                                                    "接收数据包失败", "发送数据包失败!"}));
    EXPECT_TRUE(driver->DialogsOpened().empty());
}

// ---- the detail information list

TEST_F(PromptsAndDetails, OpeningListsTheWaitingItemsWithTheirKeysHidden) {
    channel->AnswerRecords(kItems);
    driver->Then(kDetailCaption, [](win::DialogActions& a) {
        CListCtrl& list = ListOf(a);
        EXPECT_EQ(list.GetExtendedStyle() & (LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT),
                  LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        std::vector<std::pair<std::string, int>> columns;
        for (int c = 0; c < list.GetColumnCount(); ++c) {
            columns.emplace_back(list.GetColumn(c).heading.str(), list.GetColumn(c).width);
            EXPECT_EQ(list.GetColumn(c).format, LVCFMT_LEFT);
        }
        EXPECT_EQ(columns, (std::vector<std::pair<std::string, int>>{
                               {"单据号", 200}, {"单据类型", 100}, {"提示类型", 90}, {"说明", 100}, {"", 0}}));
        ASSERT_EQ(list.GetItemCount(), 3);
        std::vector<std::string> row;
        for (int c = 0; c < 5; ++c) row.push_back(list.GetItemText(1, c).str());
        EXPECT_EQ(row,
                  (std::vector<std::string>{"C3101240000000088", "C", "C", "货运险现金赔款已达起赔点,请摊回", "4"}));
        a.Escape();
    });
    EXPECT_EQ(Call_Kelmor_Dialog(14, 0), IDCANCEL);
    ASSERT_EQ(channel->requests.size(), 1u);
    ExpectRequest(0, PromptHead(166), UserBody("demo"));
}

TEST_F(PromptsAndDetails, AFailedListIsToldAndOpensEmpty) {
    channel->AnswerStatus(1);
    channel->AnswerRaw(2, std::vector<char>(sizeof(_DetailInfoStruct), 0));  // counts two, holds one
    for (int i = 0; i < 2; ++i)
        driver->Then(kDetailCaption, [](win::DialogActions& a) {
            EXPECT_EQ(ListOf(a).GetItemCount(), 0);
            a.Click(IDCANCEL);
        });
    for (int i = 0; i < 2; ++i) Call_Kelmor_Dialog(14, 0);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"检索用户信息失败!", "接收数据包失败"}));
}

TEST_F(PromptsAndDetails, TickedItemsAreProcessedFacultativeOnesBookedAndTheListCloses) {
    channel->AnswerRecords(kItems);
    driver->Then(kDetailCaption, [](win::DialogActions& a) {
        a.ToggleItem(Details::IDC_LIST, 0).ToggleItem(Details::IDC_LIST, 2);
        a.ClickItem(Details::IDC_LIST, 1);  // a click keeps the ticks the mouse made
        EXPECT_TRUE(ListOf(a).GetCheck(0));
        EXPECT_TRUE(ListOf(a).GetCheck(2));
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    EXPECT_EQ(Call_Kelmor_Dialog(14, 0), IDOK);
    EXPECT_EQ(Codes(), (std::vector<int>{166, 167, 167}));
    ExpectRequest(1, PromptHead(167), ActBody("2"));
    ExpectRequest(2, PromptHead(167), ActBody("13"));
    EXPECT_EQ(bookings, (std::vector<std::string>{"31010124000001377:P", "44040124000000562:P"}));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(PromptsAndDetails, WithNothingTickedNothingIsSentAndTheListCloses) {
    channel->AnswerRecords(kItems);
    driver->Then(kDetailCaption, [](win::DialogActions& a) { a.Enter(); });
    EXPECT_EQ(Call_Kelmor_Dialog(14, 0), IDOK);
    EXPECT_EQ(Codes(), (std::vector<int>{166}));
    EXPECT_TRUE(bookings.empty());
}

TEST_F(PromptsAndDetails, ARefusedItemIsUntickedAndNamedWhileTheRestAreProcessed) {
    channel->AnswerRecords(kItems);
    channel->AnswerStatus(1);  // the first item is refused, with the server's reason
    channel->reasons.push_back("已由其他会话处理");
    channel->AnswerStatus(0);
    channel->AnswerStatus(1);  // the third is refused by a server that gives no reason
    driver->Then(kDetailCaption, [this](win::DialogActions& a) {
        for (int r = 0; r < 3; ++r) a.ToggleItem(Details::IDC_LIST, r);
        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        // The processed item has left the list; the refused ones stay, unticked.
        EXPECT_EQ(Keys(ListOf(a)), (std::vector<std::string>{"2", "13"}));
        EXPECT_FALSE(ListOf(a).GetCheck(0));
        EXPECT_FALSE(ListOf(a).GetCheck(1));
        EXPECT_TRUE(bookings.empty());
        a.Click(IDOK);  // nothing ticked now: the list closes
        EXPECT_TRUE(a.Ended());
    });
    EXPECT_EQ(Call_Kelmor_Dialog(14, 0), IDOK);
    EXPECT_EQ(Codes(), (std::vector<int>{166, 167, 167, 167}));
    ExpectRequest(1, PromptHead(167), ActBody("2"));
    ExpectRequest(2, PromptHead(167), ActBody("4"));
    ExpectRequest(3, PromptHead(167), ActBody("13"));
    EXPECT_EQ(Messages(), (std::vector<std::string>{"检索用户信息失败!\n"
                                                    "单证31010124000001377：已由其他会话处理\n"
                                                    "单证44040124000000562"}));
}

TEST_F(PromptsAndDetails, SendAndReceiveFailuresWhileProcessingStopTheWalkWithTheirMessages) {
    channel->AnswerRecords(kItems);
    channel->FailReceive(kChannelTimeout);
    driver->Then(kDetailCaption, [this](win::DialogActions& a) {
        a.ToggleItem(Details::IDC_LIST, 0);
        a.Click(IDOK);
        channel->sendResult = kChannelSendFailed;
        a.Click(IDOK);
        EXPECT_EQ(ListOf(a).GetItemCount(), 3);
        channel->sendResult = 0;
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Call_Kelmor_Dialog(14, 0), IDCANCEL);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"接收数据包失败", "发送数据包失败!"}));
    EXPECT_TRUE(bookings.empty());
}

}  // namespace
}  // namespace kel::testing
