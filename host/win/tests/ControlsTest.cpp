#include <gtest/gtest.h>

#include <string>

#include "host/win/testing/HeadlessDriver.h"
#include "host/win/tests/TestDialogs.h"

using namespace testdlg;

class Controls : public ::testing::Test {
protected:
    void SetUp() override { RegisterTemplates(); }
    win::ScopedHeadlessDriver driver;
};

TEST_F(Controls, EditsApplyUpperCaseDigitsAndTheirLimitWithoutSplittingCharacters) {
    FormDialog dlg;
    driver->Then([](win::DialogActions& a) {
        a.Type(IDC_CODE, "abc");
        EXPECT_EQ(a.Text(IDC_CODE), "AB");  // limit 2
        a.Type(IDC_DIGITS, "1a2-3");
        EXPECT_EQ(a.Text(IDC_DIGITS), "123");
        auto* name = static_cast<CEdit*>(a.Item(IDC_NAME));
        name->LimitText(5);
        a.Type(IDC_NAME, "合约代码");  // 2 GBK bytes each: only two fit in 5 bytes
        EXPECT_EQ(a.Text(IDC_NAME), "合约");
        a.Escape();
    });
    dlg.DoModal();
}

// A 60-byte name that is full: a key typed at its start is refused, not let in at
// the price of the name's end; a paste takes what still fits.
TEST_F(Controls, AFullEditRefusesTheKeyInsteadOfEatingItsTail) {
    CEdit name;
    name.LimitText(8);
    ASSERT_TRUE(name.UserSetText("合约代码"));  // 8 GBK bytes: full
    int start = -1, end = -1;
    EXPECT_FALSE(name.UserSetText("X合约代码"));  // typed at the start
    EXPECT_EQ(name.GetText(), "合约代码");
    name.GetSel(start, end);
    EXPECT_EQ(start, 0);  // the caret stays where the key was refused
    EXPECT_FALSE(name.UserSetText("合约X代码"));
    EXPECT_EQ(name.GetText(), "合约代码");
    EXPECT_TRUE(name.UserSetText("合约码"));    // deleting always works
    EXPECT_TRUE(name.UserSetText("合约AB码"));  // a paste in the middle: what fits of it
    EXPECT_EQ(name.GetText(), "合约AB码");
    name.GetSel(start, end);
    EXPECT_EQ(start, static_cast<int>(std::string("合约AB").size()));
    EXPECT_TRUE(name.UserSetText("合约A"));
    EXPECT_TRUE(name.UserSetText("合约ABCDE"));  // 3 bytes of room for "BCDE"
    EXPECT_EQ(name.GetText(), "合约ABCD");
    EXPECT_TRUE(name.UserSetText("再保"));  // the whole text replaced (selected, then pasted over)
    EXPECT_EQ(name.GetText(), "再保");
}

TEST_F(Controls, RadioButtonsOfAGroupExcludeEachOther) {
    FormDialog dlg;
    driver->Then([](win::DialogActions& a) {
        a.Click(IDC_RADIO_A);
        EXPECT_EQ(a.Checked(IDC_RADIO_A), 1);
        a.Click(IDC_RADIO_B);
        EXPECT_EQ(a.Checked(IDC_RADIO_A), 0);
        EXPECT_EQ(a.Checked(IDC_RADIO_B), 1);
        int index = -1;
        CDataExchange dx(&a.Dialog(), TRUE);
        DDX_Radio(&dx, IDC_RADIO_A, index);
        EXPECT_EQ(index, 1);
        a.Escape();
    });
    dlg.DoModal();
}

TEST_F(Controls, ComboSelectionFollowsInsertAndDelete) {
    CComboBox combo;
    combo.AddString("A  成数合约");
    combo.AddString("C  临分合约");
    combo.SetCurSel(1);
    combo.InsertString(0, "");
    EXPECT_EQ(combo.GetCurSel(), 2);
    EXPECT_EQ(combo.GetText(), "C  临分合约");
    combo.DeleteString(2);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    EXPECT_EQ(combo.GetText(), "");
    EXPECT_EQ(combo.FindString(-1, "a"), 1);
    EXPECT_EQ(combo.FindStringExact(-1, "X"), CB_ERR);
}

TEST_F(Controls, ReportListKeepsChecksPerRowAndColumnsInPlace) {
    CListCtrl list;
    list.InsertColumn(0, "单证号");
    list.InsertColumn(1, "类型");
    list.InsertItem(0, "D001");
    list.SetItemText(0, 1, "B");
    list.InsertItem(1, "D002");
    list.SetCheck(1);
    EXPECT_FALSE(list.GetCheck(0));
    EXPECT_TRUE(list.GetCheck(1));
    list.DeleteColumn(0);
    EXPECT_EQ(list.GetItemText(0, 0), "B");
    list.DeleteItem(0);
    EXPECT_TRUE(list.GetCheck(0));
    EXPECT_EQ(list.GetItemText(5, 5), "");
}
