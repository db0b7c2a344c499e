// The rows of the treaty data form's lists as texts: what they show, what reads
// back, and what a record cannot hold.
#include "host/qxctlset/QXGrid.h"
#include "screens/ScreenCommon.h"
#include "screens/TreatyLists.h"
#include "screens/tests/TreatyDataSupport.h"

namespace kel::testing {
namespace {

using namespace kel::screens;

class TreatyListRows : public ScreenTest {
protected:
    CDialog owner;
};

TEST_F(TreatyListRows, AmountsShowEveryDigitAndNoLimitAsAWordThatReadsBack) {
    EXPECT_EQ(AmountText(1500000.75), "1500000.75");
    EXPECT_EQ(AmountText(0.125), "0.125");
    EXPECT_EQ(AmountText(12), "12.00");
    EXPECT_EQ(AmountText(kUnlimited), "无限额");
    EXPECT_EQ(*ParseAmount("无限额"), kUnlimited);
    EXPECT_EQ(*ParseAmount(" 0.125 "), 0.125);
    EXPECT_EQ(*ParseAmount(""), 0);
    EXPECT_FALSE(ParseAmount("1,000"));
    EXPECT_EQ(FormAmountText("无限额"), "9999999999.99");
    EXPECT_EQ(FormAmountText("12.00"), "12.00");
}

TEST_F(TreatyListRows, AProductShareRowReadsBackAsTheRecordItShows) {
    CQXGrid grid;
    SetUpRiskGrid(grid);
    for (const _ContRiskStruct& record : StoredLists().risk) {
        const int row = AppendRiskRow(grid, record);
        _ContRiskStruct back;
        ASSERT_TRUE(RiskFromTexts(owner, RiskRowTexts(grid, row), back));
        EXPECT_EQ(BytesOf(back), BytesOf(record));
    }
}

TEST_F(TreatyListRows, WhatTheProductShareRecordCannotHoldIsRefusedNamingTheField) {
    CQXGrid grid;
    SetUpRiskGrid(grid);
    const RiskTexts good = RiskRowTexts(grid, AppendRiskRow(grid, StoredLists().risk[0]));
    auto refused = [&](int col, const char* text) {
        RiskTexts texts = good;
        texts[col] = text;
        _ContRiskStruct record = StoredLists().risk[1];
        const std::vector<char> before = BytesOf(record);
        EXPECT_FALSE(RiskFromTexts(owner, texts, record)) << col;
        EXPECT_EQ(BytesOf(record), before) << col;  // untouched
    };
    refused(RISK_VIP_LIMIT, "12345678901234567.25");  // 20 characters: the field holds 19
    refused(RISK_VIP_LIMIT, "abc");
    refused(RISK_LINES, "2.5");
    refused(RISK_QUOTA, "1e3");
    refused(RISK_PRODUCT, "01010");
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"VIP限额过长（最多19个字节），请修改!", "VIP限额不是有效的数字，请修改!",
                                        "线数不是有效的整数，请修改!", "成数比例不是有效的数字，请修改!",
                                        "险种过长（最多4个字节），请修改!"}));
}

TEST_F(TreatyListRows, TheParticipationTotalLeavesNoLimitOutAndStaysTheLastRow) {
    CQXGrid grid;
    SetUpReinsGrid(grid);
    FillReinsGrid(grid, nullptr, 0);
    EXPECT_EQ(Cells(grid).back(), (std::vector<std::string>{"合 计", "", "0.0000", "0.00", "", ""}));
    InsertReinsRow(grid, Reins("01", 0.25, 100.5));
    InsertReinsRow(grid, Reins("02", 0.5, 200.25));
    RebuildReinsTotal(grid);
    EXPECT_EQ(Cells(grid).back(), (std::vector<std::string>{"合 计", "", "0.7500", "300.75", "", ""}));
    InsertReinsRow(grid, Reins("03", 0.25, kUnlimited));
    RebuildReinsTotal(grid);
    EXPECT_EQ(ReinsRowCount(grid), 3);
    EXPECT_EQ(Cells(grid).back(), (std::vector<std::string>{"合 计", "", "1.0000", "无限额", "", ""}));
    for (int col = 0; col < REINS_COLUMNS; ++col) EXPECT_EQ(grid.GetItemBkColour(4, col), kMarkColour);
    EXPECT_FALSE(IsReinsRow(grid, 4));
    _ContReinsStruct back;
    ASSERT_TRUE(ReadReinsRow(owner, grid, 3, back));
    EXPECT_EQ(BytesOf(back), BytesOf(Reins("03", 0.25, kUnlimited)));
}

}  // namespace
}  // namespace kel::testing
