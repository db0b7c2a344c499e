// The treaty order, the prompt switches and the detail information list against the
// application server in process, on a fresh SQLite file holding the demo data (the
// treaty code combo reads the same file as the host's database).
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "common/db/Database.h"
#include "common/net/InProcessChannel.h"
#include "frame/Kelmor.h"
#include "host/fac/FacBooking.h"
#include "host/qxcommon/StaticDatabase.h"
#include "screens/S0000S6.h"
#include "screens/S0000S60.h"
#include "screens/S0000S61.h"
#include "screens/S0000SD.h"
#include "screens/S0000SE.h"
#include "screens/tests/DemoServerTest.h"
#include "screens/tests/ScreenTestSupport.h"
#include "server/Server.h"

namespace kel::testing {
namespace {

using List = CS0000S6;
using Batch = CS0000S60;
using Single = CS0000S61;
using Prompts = CS0000SD;
using Details = CS0000SE;
constexpr const char* kListCaption = "合约次序设置[检索]";

class PacketScreensEndToEnd : public DemoServerTest {
protected:
    void SetUp() override {
        DemoServerTest::SetUp();
        fac::SetBookingHandler([this](const std::string& number, char) { bookings.push_back(number); });
    }
    void TearDown() override {
        fac::SetBookingHandler(nullptr);
        DemoServerTest::TearDown();
    }

    // The treaty codes of the list, in row order, and whether its priorities run 1..n.
    static std::vector<std::string> CodesOf(const CQXGrid& grid) {
        std::vector<std::string> codes;
        for (int r = 1; r < grid.GetRowCount(); ++r) codes.push_back(grid.GetItemText(r, List::COL_CODE).str());
        return codes;
    }
    static bool PrioritiesRunFromOne(const CQXGrid& grid) {
        for (int r = 1; r < grid.GetRowCount(); ++r)
            if (grid.GetItemText(r, List::COL_PRIORITY) != std::to_string(r).c_str()) return false;
        return true;
    }
    static void Search(win::DialogActions& a, const char* month) {
        a.Type(List::IDC_DATE_MONTH, month).Click(List::IDC_BTN_SEARCH);
    }

    std::vector<std::string> bookings;
};

// ---- the treaty order

TEST_F(PacketScreensEndToEnd, MovesDeletesACopiedMonthAndASingleAddKeepPrioritiesOneToN) {
    driver->Answer(IDYES);
    driver->Then(kListCaption, [](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        Search(a, "202401");
        EXPECT_EQ(CodesOf(grid), (std::vector<std::string>{"X1", "S1", "S2", "Q1", "Q2", "M1", "R1"}));

        // Moves: what the screen shows is what the server now holds.
        a.ClickRow(List::IDC_GRID, 4).Click(List::IDC_BTN_UP).Click(List::IDC_BTN_UP);
        a.ClickRow(List::IDC_GRID, 1).Click(List::IDC_BTN_DOWN);
        const auto moved = Cells(grid);
        EXPECT_EQ(CodesOf(grid), (std::vector<std::string>{"Q1", "X1", "S1", "S2", "Q2", "M1", "R1"}));
        a.Click(List::IDC_BTN_SEARCH);
        EXPECT_EQ(Cells(grid), moved);
        EXPECT_TRUE(PrioritiesRunFromOne(grid));

        // Delete closes the gap.
        a.ClickRow(List::IDC_GRID, 3).Click(List::IDC_BTN_DELETE);
        EXPECT_EQ(CodesOf(grid), (std::vector<std::string>{"Q1", "X1", "S2", "Q2", "M1", "R1"}));
        EXPECT_TRUE(PrioritiesRunFromOne(grid));

        // Copy the month; the list reads the source month again.
        a.Click(List::IDC_BTN_BATCH_ADD);
        EXPECT_EQ(CodesOf(grid), (std::vector<std::string>{"Q1", "X1", "S2", "Q2", "M1", "R1"}));
        Search(a, "202405");
        EXPECT_EQ(CodesOf(grid), (std::vector<std::string>{"Q1", "X1", "S2", "Q2", "M1", "R1"}));
        EXPECT_EQ(grid.GetItemText(1, List::COL_MONTH), "202405");

        // One treaty more in the copy: appended at the end.
        a.Click(List::IDC_BTN_SINGLE_ADD);
        EXPECT_EQ(CodesOf(grid), (std::vector<std::string>{"Q1", "X1", "S2", "Q2", "M1", "R1", "S1"}));
        EXPECT_TRUE(PrioritiesRunFromOne(grid));
        a.Click(IDCANCEL);
    });
    driver->Then("合约次序设置[新增]", [](win::DialogActions& a) {
        a.Type(Batch::IDC_DATE_NEW_MONTH, "202405").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    driver->Then("合约优先级次序[编辑]", [](win::DialogActions& a) {
        a.PickCode(Single::IDC_CBX_CONT_CODE, "R1").Click(IDOK);  // in the month already: refused
        EXPECT_FALSE(a.Ended());
        a.PickCode(Single::IDC_CBX_CONT_CODE, "S1").Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    EXPECT_EQ(Call_Kelmor_Dialog(25010, 0), IDCANCEL);
    ASSERT_EQ(driver->MessageTexts().size(), 2u);
    EXPECT_EQ(driver->MessageTexts()[0], "是否删除选择的记录?");  // then the refusal of R1
}

// Another session changes the month while the list shows it: a move reads the
// month again, so the list shows what the server holds, the moved treaty selected.
TEST_F(PacketScreensEndToEnd, AMoveAfterAnotherSessionsDeleteShowsTheOrderTheServerHolds) {
    driver->Then(kListCaption, [this](win::DialogActions& a) {
        CQXGrid& grid = GridOf(a, List::IDC_GRID);
        Search(a, "202401");
        ASSERT_EQ(CodesOf(grid), (std::vector<std::string>{"X1", "S1", "S2", "Q1", "Q2", "M1", "R1"}));
        _OrderDeleteBody gone{};
        text::PutField(gone.szContCode, "S2");
        text::PutRawField(gone.szYearMonth, sizeof gone.szYearMonth, "202401");
        Stored(135, &gone, sizeof gone);

        a.ClickRow(List::IDC_GRID, 2).Click(List::IDC_BTN_DOWN);
        EXPECT_EQ(CodesOf(grid), (std::vector<std::string>{"X1", "Q1", "S1", "Q2", "M1", "R1"}));
        EXPECT_TRUE(PrioritiesRunFromOne(grid));
        EXPECT_EQ(grid.GetRow(), 3);
        EXPECT_TRUE(grid.IsRowSelected(3));
        EXPECT_FALSE(grid.IsRowSelected(1));
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25010, 0);
    EXPECT_TRUE(driver->MessageTexts().empty());
}

TEST_F(PacketScreensEndToEnd, CopyingOntoAMonthThatHasAnOrderIsRefusedAndTheFormStaysOpen) {
    driver->Then(kListCaption, [](win::DialogActions& a) {
        Search(a, "202401");
        a.Click(List::IDC_BTN_BATCH_ADD);
        a.Click(IDCANCEL);
    });
    driver->Then("合约次序设置[新增]", [](win::DialogActions& a) {
        a.Type(Batch::IDC_DATE_NEW_MONTH, "202402").Click(IDOK);
        EXPECT_FALSE(a.Ended());
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(25010, 0);
    EXPECT_EQ(driver->MessageTexts().size(), 1u);
}

// ---- prompts and waiting items

TEST_F(PacketScreensEndToEnd, ASwitchGoesOnAndOffAndTheCountFollowsIt) {
    EXPECT_EQ(Call_Kelmor_Dialog(13, 0), 5);  // types A, B, C, E are on; one D item waits
    driver->Then("提示信息定制", [](win::DialogActions& a) {
        EXPECT_EQ(a.Checked(Prompts::IDC_CHK_A), 1);
        EXPECT_EQ(a.Checked(Prompts::IDC_CHK_D), 0);
        a.Click(Prompts::IDC_CHK_D).Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(0, 0);
    EXPECT_EQ(Call_Kelmor_Dialog(13, 0), 6);
    driver->Then("提示信息定制", [](win::DialogActions& a) {
        EXPECT_EQ(a.Checked(Prompts::IDC_CHK_D), 1);  // stored
        a.Click(Prompts::IDC_CHK_D).Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(12, 0);
    driver->Then("提示信息定制", [](win::DialogActions& a) {
        EXPECT_EQ(a.Checked(Prompts::IDC_CHK_D), 0);
        a.Click(IDCANCEL);
    });
    Call_Kelmor_Dialog(0, 0);
    EXPECT_EQ(Call_Kelmor_Dialog(13, 0), 5);
    EXPECT_TRUE(driver->MessageTexts().empty());
}

TEST_F(PacketScreensEndToEnd, TwoItemsProcessedLeaveTheCountTwoLowerAndAnItemHandledElsewhereIsNamed) {
    ASSERT_EQ(Call_Kelmor_Dialog(13, 0), 5);
    driver->Then("详细信息", [](win::DialogActions& a) {
        auto& list = *dynamic_cast<CListCtrl*>(a.Item(Details::IDC_LIST));
        ASSERT_EQ(list.GetItemCount(), 5);
        EXPECT_EQ(list.GetItemText(1, Details::COL_PROMPT_TYPE), "B");
        a.ToggleItem(Details::IDC_LIST, 1).ToggleItem(Details::IDC_LIST, 3).Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    EXPECT_EQ(Call_Kelmor_Dialog(14, 0), IDOK);
    EXPECT_EQ(Call_Kelmor_Dialog(13, 0), 3);
    EXPECT_EQ(bookings, (std::vector<std::string>{"31010124000001377"}));  // the one facultative item

    // Three ticked; the middle one is processed elsewhere meanwhile, so the server
    // refuses it: it is unticked and named with the server's reason, and the rest
    // go through in the same press.
    std::string elsewhereDoc;
    driver->Then("详细信息", [&elsewhereDoc](win::DialogActions& a) {
        auto& list = *dynamic_cast<CListCtrl*>(a.Item(Details::IDC_LIST));
        ASSERT_EQ(list.GetItemCount(), 3);
        for (int r = 0; r < 3; ++r) a.ToggleItem(Details::IDC_LIST, r);
        elsewhereDoc = list.GetItemText(1, Details::COL_DOC_NO).str();
        _DetailActBody elsewhere{};
        text::PutField(elsewhere.szItemKey, list.GetItemText(1, Details::COL_ITEM_KEY).str());
        text::PutField(elsewhere.szUserCode, "demo");
        _PacketHead head{};
        head.nTransCode = 167;
        head.nCount = 1;
        head.nSubSystem = kSubSystemPrompt;
        std::vector<char> answer;
        ASSERT_EQ(InstalledChannel()->Send(head, &elsewhere, sizeof elsewhere), 0);
        ASSERT_EQ(InstalledChannel()->Receive(head, answer), 0);
        ASSERT_EQ(head.cStatus, 0);

        a.Click(IDOK);
        EXPECT_FALSE(a.Ended());
        ASSERT_EQ(list.GetItemCount(), 1);  // only the refused one is left, unticked
        EXPECT_EQ(list.GetItemText(0, Details::COL_DOC_NO).str(), elsewhereDoc);
        EXPECT_FALSE(list.GetCheck(0));
        a.Click(IDOK);
        EXPECT_TRUE(a.Ended());
    });
    EXPECT_EQ(Call_Kelmor_Dialog(14, 0), IDOK);
    EXPECT_EQ(driver->MessageTexts(),
              (std::vector<std::string>{"检索用户信息失败!\n单证" + elsewhereDoc + "：已由其他会话处理"}));
    EXPECT_EQ(Call_Kelmor_Dialog(13, 0), 0);
}

}  // namespace
}  // namespace kel::testing
