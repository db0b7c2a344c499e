// The exchange-rate list and the three frames (interval ranges, current period,
// product combinations), opened through the dispatch as the host opens them.
#include "frame/Kelmor.h"
#include "screens/S0000S5.h"
#include "screens/S0000S8.h"
#include "screens/S0000S9.h"
#include "screens/S0000SC.h"
#include "screens/tests/ScreenTestSupport.h"

namespace kel::testing {
namespace {

using Rates = CS0000S5;
using Grid = std::vector<std::vector<std::string>>;

class ReferenceScreens : public ScreenTest {
protected:
    int Open(int number, const char* caption, std::function<void(win::DialogActions&)> script) {
        driver->Then(caption, [script](win::DialogActions& a) {
            script(a);
            a.Click(IDCANCEL);
        });
        return Call_Kelmor_Dialog(number, 0);
    }
};

// ---- exchange rates

TEST_F(ReferenceScreens, ExchangeRatesAreListedAsSentWithTheRateToSixDecimals) {
    channel->AnswerRecords(std::vector{ExchRate(1, "01", "01", "20240101", "20241231"),
                                       ExchRate(7.12345678, "02", "01", "20240101", "20240630"),
                                       ExchRate(0.9125, "03", "02", "2024", "")});
    EXPECT_EQ(Open(1, "兑换率设置[检索]",
                   [](win::DialogActions& a) {
                       CQXGrid& grid = GridOf(a, Rates::IDC_GRID);
                       EXPECT_EQ(Cells(grid), (Grid{{"原币种", "兑换币种", "兑换率", "起始日期", "终止日期"},
                                                    {"01", "01", "1.000000", "20240101", "20241231"},
                                                    {"02", "01", "7.123457", "20240101", "20240630"},
                                                    {"03", "02", "0.912500", "2024", ""}}));
                       EXPECT_EQ(Widths(grid), (std::vector<int>{175, 175, 150, 100, 100}));
                       for (int col = 0; col < 5; ++col) EXPECT_EQ(grid.GetFixedFormat(col), CQXGrid::kAlignCenter);
                       EXPECT_EQ(grid.GetCellAlignment(1, Rates::COL_RATE), CQXGrid::kAlignRight);
                       EXPECT_EQ(grid.GetRow(), 1);
                       EXPECT_EQ(a.FocusID(), Rates::IDC_GRID);
                       for (int id : {Rates::IDC_BTN_ADD, Rates::IDC_BTN_MODIFY, Rates::IDC_BTN_DELETE})
                           EXPECT_FALSE(a.Visible(id));
                   }),
              IDCANCEL);
    ASSERT_EQ(channel->requests.size(), 1u);
    ExpectRequest(0, ExpectedHead(210), {});
    EXPECT_TRUE(Messages().empty());
    EXPECT_GE(driver->WaitCursorCount(), 1);
}

// The list opens with its grid focused on the first rate; Enter there (the user
// "confirming" a row) must not throw the screen away.
TEST_F(ReferenceScreens, EnterOnTheRateListKeepsItOpen) {
    channel->AnswerRecords(std::vector{ExchRate(1, "01", "01", "20240101", "20241231")});
    EXPECT_EQ(Open(1, "兑换率设置[检索]",
                   [](win::DialogActions& a) {
                       a.Enter();
                       a.ClickRow(Rates::IDC_GRID, 1).Enter();
                       EXPECT_FALSE(a.Ended());
                   }),
              IDCANCEL);
    EXPECT_EQ(driver->DialogsOpened().size(), 1u);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ReferenceScreens, NoExchangeRatesLeaveTheHeaderRowAndNoSelection) {
    channel->AnswerRecords(std::vector<_ExchRateStruct>{});
    Open(1, "兑换率设置[检索]", [](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, Rates::IDC_GRID);
        EXPECT_EQ(grid.GetRowCount(), 1);
        EXPECT_EQ(grid.GetRow(), -1);
    });
}

TEST_F(ReferenceScreens, AFailedExchangeRateReadIsReportedAndTheScreenStillOpens) {
    channel->AnswerStatus(1);
    EXPECT_EQ(Open(1, "兑换率设置[检索]",
                   [](win::DialogActions& a) {
                       EXPECT_EQ(GridOf(a, Rates::IDC_GRID).GetColumnCount(), 0);
                       EXPECT_EQ(GridOf(a, Rates::IDC_GRID).GetRowCount(), 0);
                   }),
              IDCANCEL);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"服务器处理失败!"}));
}

// ---- the frames: headers only, nothing sent, buttons as created and without actions

TEST_F(ReferenceScreens, TheFramesShowTheirHeadersAndButtonsAndSendNothing) {
    Open(4, "区间范围设置[检索]", [](win::DialogActions& a) {
        EXPECT_EQ(Cells(GridOf(a, CS0000S8::IDC_GRID_CLASS)), (Grid{{"类别代码", "险种大类名称"}}));
        EXPECT_EQ(Widths(GridOf(a, CS0000S8::IDC_GRID_CLASS)), (std::vector<int>{100, 155}));
        CQXGrid& ranges = GridOf(a, CS0000S8::IDC_GRID_RANGE);
        EXPECT_EQ(Cells(ranges), (Grid{{"币种", "区间起始", "区间终止"}}));
        EXPECT_EQ(Widths(ranges), (std::vector<int>{100, 120, 120}));
        EXPECT_EQ(ranges.GetFixedFormat(1), CQXGrid::kAlignLeft);  // only the first header is centred
        EXPECT_FALSE(a.Visible(CS0000S8::IDC_BTN_CHECK));
        a.Click(CS0000S8::IDC_BTN_ADD).Click(CS0000S8::IDC_BTN_DELETE);
        EXPECT_FALSE(a.Ended());
    });
    Open(5, "当前期间设置[检索]", [](win::DialogActions& a) {
        EXPECT_EQ(Cells(GridOf(a, CS0000S9::IDC_GRID)), (Grid{{"承保公司", "上次确定年月", "当前期间"}}));
        EXPECT_EQ(Widths(GridOf(a, CS0000S9::IDC_GRID)), (std::vector<int>{450, 150, 150}));
        EXPECT_FALSE(a.Enabled(CS0000S9::IDC_BTN_MODIFY));
    });
    Open(9, "险种组合设置[检索]", [](win::DialogActions& a) {
        EXPECT_EQ(Cells(GridOf(a, CS0000SC::IDC_GRID_COMB)), (Grid{{"险种"}}));
        EXPECT_EQ(Widths(GridOf(a, CS0000SC::IDC_GRID_COMB)), (std::vector<int>{285}));
        EXPECT_EQ(Cells(GridOf(a, CS0000SC::IDC_GRID_DETAIL)), (Grid{{"代码", "名称"}}));
        EXPECT_EQ(Widths(GridOf(a, CS0000SC::IDC_GRID_DETAIL)), (std::vector<int>{100, 300}));
        EXPECT_TRUE(a.Enabled(CS0000SC::IDC_BTN_COMB_ADD));
        for (int id : {CS0000SC::IDC_BTN_COMB_MODIFY, CS0000SC::IDC_BTN_COMB_DELETE, CS0000SC::IDC_BTN_DETAIL_ADD,
                       CS0000SC::IDC_BTN_DETAIL_MODIFY, CS0000SC::IDC_BTN_DETAIL_DELETE})
            EXPECT_FALSE(a.Enabled(id)) << id;
        a.Click(CS0000SC::IDC_BTN_COMB_ADD);
        EXPECT_FALSE(a.Ended());
    });
    EXPECT_TRUE(channel->requests.empty());
    EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace kel::testing
