// The screens against the application server in process, on a fresh SQLite file
// holding the demo data: what the user does reaches the store and comes back.
#include <unistd.h>

#include <filesystem>

#include "common/net/InProcessChannel.h"
#include "frame/Kelmor.h"
#include "screens/S0000S2.h"
#include "screens/S0000S20.h"
#include "screens/S0000S5.h"
#include "screens/ScreenCommon.h"
#include "screens/tests/DemoServerTest.h"
#include "screens/tests/ScreenTestSupport.h"
#include "server/Server.h"

namespace kel::testing {
namespace {

using List = CS0000S2;
using Form = CS0000S20;
constexpr const char* kListCaption = "合约代码设置[检索]";
constexpr const char* kAddCaption = "合约代码-新增";
constexpr const char* kModifyCaption = "合约代码-修改";

int FindRow(const CQXGrid& grid, const char* code) {
    for (int r = 1; r < grid.GetRowCount(); ++r)
        if (grid.GetItemText(r, 0) == code) return r;
    return -1;
}

class EndToEnd : public DemoServerTest {
protected:
};

TEST_F(EndToEnd, TheExchangeRateListShowsTheDemoRates) {
    driver->Then("兑换率设置[检索]", [](win::DialogActions& a) {
        auto cells = Cells(GridOf(a, CS0000S5::IDC_GRID));
        EXPECT_EQ(cells.size(), 11u);  // header and the ten demo rates
        EXPECT_NE(std::find(cells.begin(), cells.end(),
                            std::vector<std::string>{"03", "01", "7.092000", "20240101", "20241231"}),
                  cells.end());
        a.Click(IDCANCEL);
    });
    EXPECT_EQ(Call_Kelmor_Dialog(1, 0), IDCANCEL);
    EXPECT_TRUE(driver->MessageTexts().empty());
}

TEST_F(EndToEnd, ATreatyCodeIsAddedModifiedAndDeletedThroughTheList) {
    driver->Answer(IDYES);
    driver->Then(kListCaption, [](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        const int demoRows = grid.GetRowCount();
        ASSERT_GT(demoRows, 1);

        a.Click(List::IDC_BTN_ADD);
        int row = FindRow(grid, "ZT");
        ASSERT_GT(row, 0);
        EXPECT_EQ(grid.GetItemText(row, 1), "测试合约");
        EXPECT_EQ(grid.GetItemText(row, 4), "Y");  // no treaty data uses it yet: highlighted
        EXPECT_EQ(grid.GetItemBkColour(row, 0), kel::screens::kMarkColour);

        a.DoubleClickRow(List::IDC_GRID, row);
        row = FindRow(grid, "ZT");
        ASSERT_GT(row, 0);
        EXPECT_EQ(grid.GetItemText(row, 1), "测试合约(改)");
        EXPECT_EQ(grid.GetItemText(row, 3), "E");

        a.ClickRow(List::IDC_GRID, row).Click(List::IDC_BTN_DELETE);
        EXPECT_EQ(FindRow(grid, "ZT"), -1);
        EXPECT_EQ(grid.GetRowCount(), demoRows);
        a.Click(IDCANCEL);
    });
    driver->Then(kAddCaption, [](win::DialogActions& a) {
        a.Type(Form::IDC_EDT_CODE, "zt").Type(Form::IDC_EDT_CHN_NAME, "测试合约");
        a.Type(Form::IDC_EDT_ENG_NAME, "Test Treaty").PickCode(Form::IDC_CBX_TYPE, "E");
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    driver->Then(kModifyCaption, [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(Form::IDC_EDT_CODE), "ZT");
        a.Type(Form::IDC_EDT_CHN_NAME, "测试合约(改)").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    Call_Kelmor_Dialog(25001, 0);
    EXPECT_EQ(driver->MessageTexts(), (std::vector<std::string>{"是否确定删除该纪录!", "处理成功!"}));

    // Gone from the store too: a fresh list does not show it.
    driver->Then(kListCaption, [](win::DialogActions& a) {
        EXPECT_EQ(FindRow(GridOf(a, List::IDC_GRID), "ZT"), -1);
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25001, 0);
}

}  // namespace
}  // namespace kel::testing
