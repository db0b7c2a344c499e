// The grid on a dialog: the template's grid control, a member grid put in its place,
// and the click notifications reaching the dialog's message map.
#include <gtest/gtest.h>

#include <vector>

#include "host/qxctlset/QXControls.h"
#include "host/qxctlset/QXDateTime.h"
#include "host/qxctlset/QXGrid.h"
#include "host/win/testing/HeadlessDriver.h"

namespace {

enum : int { kListTemplate = 7101, IDC_GRID = 9999, IDC_DATE = 1201 };

void RegisterListTemplate() {
    win::TemplateBuilder(kListTemplate, "合约代码设置[检索]")
        .Grid(IDC_GRID, 0, 0, 4, 4)
        .Date(IDC_DATE, 4, 0)
        .Button(IDCANCEL, "返回[&R]", 5, 3)
        .Register();
}

class ListDialog : public CDialog {
public:
    ListDialog() : CDialog(kListTemplate, nullptr) {}
    CQXGrid m_grid{0, 0, 0, 0};
    std::vector<int> clickedCurrent;  // GetRow() as the click handler saw it
    std::vector<int> doubleClicked;   // the row in the double click's record
    bool subclassed = false;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        subclassed = m_grid.SubclassDlgItem(IDC_GRID, this) != FALSE;
        m_grid.SetRowCount(1);
        m_grid.SetColumnCount(2);
        m_grid.SetFixedRowCount(1);
        m_grid.SetSelectMultiRow(FALSE);
        for (const char* code : {"QA", "SU", "XL"}) m_grid.SetItemText(m_grid.InsertRow("", -1), 0, code);
        return TRUE;
    }
    void OnClickGrid(NMHDR*, LRESULT*) { clickedCurrent.push_back(m_grid.GetRow()); }
    void OnDblClickGrid(NMHDR* pNotifyStruct, LRESULT* pResult) {
        auto* record = reinterpret_cast<NM_GRIDVIEW*>(pNotifyStruct);
        doubleClicked.push_back(record->iRow);
        *pResult = 1;  // handled
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ListDialog, CDialog)
ON_NOTIFY(0xfffe, IDC_GRID, OnClickGrid)
ON_NOTIFY(0xfffd, IDC_GRID, OnDblClickGrid)
END_MESSAGE_MAP()

class GridOnDialog : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterQXControls();
        RegisterListTemplate();
    }
    win::ScopedHeadlessDriver driver;
};

}  // namespace

TEST_F(GridOnDialog, ClicksReachTheMessageMapWithTheRowInTheRecord) {
    ListDialog dlg;
    driver->Then([&](win::DialogActions& a) {
        EXPECT_EQ(a.Item(IDC_GRID), &dlg.m_grid);
        EXPECT_EQ(dlg.m_grid.GetRow(), -1);  // nothing current before the user picks
        a.ClickRow(IDC_GRID, 2);
        a.ClickRow(IDC_GRID, 0);  // the header row: reported, the current row stays
        a.DoubleClickRow(IDC_GRID, 3);
        EXPECT_EQ(dlg.m_grid.UserDoubleClickRow(1), 1);  // the handler's result comes back
        EXPECT_EQ(dlg.m_grid.GetRow(), 1);
        EXPECT_EQ(dlg.m_grid.GetItemText(dlg.m_grid.GetRow(), 0), "QA");
        a.Escape();
    });
    dlg.DoModal();
    EXPECT_TRUE(dlg.subclassed);
    EXPECT_EQ(dlg.clickedCurrent, (std::vector<int>{2, 2}));
    EXPECT_EQ(dlg.doubleClicked, (std::vector<int>{3, 1}));
    EXPECT_TRUE(driver->Problems().empty());
}

TEST_F(GridOnDialog, ClickMakesTheRowCurrentEvenWithoutSelectionHighlight) {
    ListDialog dlg;
    driver->Then([&](win::DialogActions& a) {
        dlg.m_grid.EnableSelection(FALSE);
        a.ClickRow(IDC_GRID, 2);
        EXPECT_EQ(dlg.m_grid.GetRow(), 2);
        EXPECT_FALSE(dlg.m_grid.IsRowSelected(2));
        a.Escape();
    });
    dlg.DoModal();
}

TEST_F(GridOnDialog, TemplateControlsGetTheLibrarysModels) {
    CDialog dlg(kListTemplate, nullptr);
    driver->Then([](win::DialogActions& a) {
        auto* grid = dynamic_cast<CQXGrid*>(a.Item(IDC_GRID));
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->GetKind(), win::ControlKind::Grid);
        grid->SetColumnCount(1);
        grid->SetRowCount(2);
        grid->SetFixedRowCount(1);
        a.ClickRow(IDC_GRID, 1);  // no handler in this dialog's map: nothing breaks
        EXPECT_EQ(grid->GetRow(), 1);
        EXPECT_NE(dynamic_cast<CQXDateTime*>(a.Item(IDC_DATE)), nullptr);
        a.Escape();
    });
    dlg.DoModal();
    EXPECT_TRUE(driver->Problems().empty());
}

// A list whose way out is its 返回 button: Enter on the focused grid opens the row as
// a double click does, and never ends the screen.
TEST_F(GridOnDialog, EnterOnTheFocusedGridOpensItsRowAndNeverClosesTheList) {
    ListDialog dlg;
    driver->Then([&](win::DialogActions& a) {
        a.Enter();  // nothing current yet: the list has no OK to press
        EXPECT_FALSE(a.Ended());
        a.ClickRow(IDC_GRID, 2).Enter();
        EXPECT_FALSE(a.Ended());
        EXPECT_EQ(dlg.doubleClicked, std::vector<int>{2});
        dlg.m_grid.SelectRow(3);  // a key moved the current row
        a.Enter();
        EXPECT_EQ(dlg.doubleClicked, (std::vector<int>{2, 3}));
        a.Escape();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(driver->Problems().empty());
}

TEST_F(GridOnDialog, AnExportThatCannotBeWrittenIsToldAndLeavesNothingBehind) {
    ListDialog dlg;
    driver->Then([&](win::DialogActions& a) {
        EXPECT_FALSE(dlg.m_grid.UserExport("/nonexistent-kelmor/合约.csv"));
        a.Escape();
    });
    dlg.DoModal();
    EXPECT_EQ(driver->MessageTexts(),
              std::vector<std::string>{"导出文件失败(文件夹不存在)：/nonexistent-kelmor/合约.csv"});
    EXPECT_EQ(driver->MessageBoxes()[0].request.Icon(), MB_ICONERROR);
}
