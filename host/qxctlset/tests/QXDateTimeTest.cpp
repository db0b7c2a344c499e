#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/qxctlset/QXDateTime.h"
#include "host/win/testing/HeadlessDriver.h"

namespace {

enum : int { kDateTemplate = 7201, IDC_START = 1301 };

class DateDialog : public CDialog {
public:
    DateDialog() : CDialog(kDateTemplate, nullptr) {}
    CString m_start;
    std::vector<std::string> events;

    void DoDataExchange(CDataExchange* pDX) override { DDX_QXDateTime(pDX, IDC_START, m_start); }
    void OnStartChange() { events.push_back("change:" + Field().GetTime().str()); }
    void OnStartLeave() { events.push_back("leave"); }
    CQXDateTime& Field() { return *static_cast<CQXDateTime*>(GetDlgItem(IDC_START)); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DateDialog, CDialog)
ON_EN_CHANGE(IDC_START, OnStartChange)
ON_EN_KILLFOCUS(IDC_START, OnStartLeave)
END_MESSAGE_MAP()

CString Shown(CQXDateTime& field) {
    CString value;
    field.GetTime(value);
    return value;
}

}  // namespace

TEST(QXDateTime, TypingKeepsDigitsAndFillsTheMaskAsFarAsEntered) {
    CQXDateTime date;
    date.Format("####/##/##", 1);
    EXPECT_EQ(date.GetDigitCount(), 8);
    EXPECT_EQ(Shown(date), "");
    EXPECT_TRUE(date.UserType("2024-01-31 99"));
    EXPECT_EQ(Shown(date), "2024/01/31");
    EXPECT_TRUE(date.IsComplete());
    date.UserType("20240");
    EXPECT_EQ(Shown(date), "2024/0");
    EXPECT_FALSE(date.IsComplete());
    date.UserType("2024");
    EXPECT_EQ(Shown(date), "2024");

    CQXDateTime month;
    month.Format("####/##", 1);
    month.UserType("2024013");
    EXPECT_EQ(Shown(month), "2024/01");
    EXPECT_FALSE(month.Format("yyyy", 1));  // no digit places: refused, mask kept
    EXPECT_EQ(month.GetMask(), "####/##");
}

TEST(QXDateTime, SetTimeAcceptsShownStoredAndLooselySeparatedValues) {
    CQXDateTime date;
    date.Format("####/##/##", 1);
    date.SetTime("2024/01/31");
    EXPECT_EQ(Shown(date), "2024/01/31");
    date.SetTime("20231205");
    EXPECT_EQ(Shown(date), "2023/12/05");
    date.SetTime("2024-1-5");
    EXPECT_EQ(Shown(date), "2024/01/05");
    date.SetTime("2024/01/3");  // a partial entry read back stays as it was
    EXPECT_EQ(Shown(date), "2024/01/3");
    date.SetTime("    /  /  ");
    EXPECT_EQ(Shown(date), "");

    CQXDateTime month;
    month.Format("####/##", 1);
    month.SetTime("202401");
    EXPECT_EQ(Shown(month), "2024/01");
    month.SetTime("2024/02/29");  // a date in a year-month field keeps year and month
    EXPECT_EQ(Shown(month), "2024/02");

    date.SetTime("2024/03/15");
    date.Format("####/##", 1);  // a new mask refits the value
    EXPECT_EQ(Shown(date), "2024/03");
    date.SetWindowText("20250607");  // text set from outside is read through the mask
    EXPECT_EQ(Shown(date), "2025/06");
}

TEST(QXDateTime, ReadOnlyRefusesTyping) {
    CQXDateTime date;
    date.SetTime("2024/01/31");
    date.SetReadOnly(TRUE);
    EXPECT_FALSE(date.UserType("20250101"));
    EXPECT_EQ(Shown(date), "2024/01/31");
    date.SetReadOnly(FALSE);
    EXPECT_TRUE(date.UserType("20250101"));
    EXPECT_EQ(Shown(date), "2025/01/01");
}

TEST(QXDateTime, DataExchangeMovesTheValueBothWaysAndOnlyTypingNotifies) {
    win::TemplateBuilder(kDateTemplate, "日期").Date(IDC_START, 0, 0).Button(IDOK, "确定", 1, 0).Register();
    win::ScopedHeadlessDriver driver;
    DateDialog dlg;
    dlg.m_start = "20240131";  // as the stored form converts back
    driver->Then([&](win::DialogActions& a) {
        EXPECT_EQ(Shown(dlg.Field()), "2024/01/31");
        dlg.Field().UserType("20231231");
        dlg.Field().UserLeave();
        a.Enter();
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_start, "2023/12/31");
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"change:2023/12/31", "leave"}));
    EXPECT_TRUE(driver->Problems().empty());
}

// The user corrects a typed date key by key: what the field shows is what it
// holds, and no digit wanders into another part of the date.
TEST(QXDateTime, EditingKeyByKeyKeepsEveryDigitInItsPlace) {
    win::TemplateBuilder(kDateTemplate, "日期").Date(IDC_START, 0, 0).Button(IDOK, "确定", 1, 0).Register();
    win::ScopedHeadlessDriver driver;
    DateDialog dlg;
    driver->Then([&](win::DialogActions& a) {
        CQXDateTime& field = dlg.Field();
        a.Keys(IDC_START, "20240131");
        EXPECT_EQ(a.Text(IDC_START), "2024/01/31");
        a.Caret(IDC_START, 7, 7).Keys(IDC_START, "\b\b");  // the month, from behind
        EXPECT_EQ(a.Text(IDC_START), "2024/__/31");
        EXPECT_EQ(field.GetTime(), "2024/__/31");
        EXPECT_FALSE(field.IsComplete());
        int start = 0, end = 0;
        field.GetSel(start, end);
        EXPECT_EQ(start, 5);
        a.Keys(IDC_START, "02");
        EXPECT_EQ(field.GetTime(), "2024/02/31");
        a.Caret(IDC_START, 0, 0).Key(IDC_START, VK_DELETE);  // Delete clears, nothing slides left
        EXPECT_EQ(field.GetTime(), "_024/02/31");
        a.Keys(IDC_START, "1");
        EXPECT_EQ(field.GetTime(), "1024/02/31");
        a.Caret(IDC_START, 5, 10).Keys(IDC_START, "\b");  // a selection clears its places
        EXPECT_EQ(field.GetTime(), "1024");
        a.Keys(IDC_START, "/x12");  // separators and letters are no digits
        EXPECT_EQ(field.GetTime(), "1024/12");
        a.Caret(IDC_START, 0, 0).Keys(IDC_START, "202401319");  // overwrites, stops at the end
        EXPECT_EQ(field.GetTime(), "2024/01/31");
        a.Escape();
    });
    dlg.DoModal();
    EXPECT_EQ(dlg.events.front(), "change:2");
    EXPECT_EQ(std::count(dlg.events.begin(), dlg.events.end(), "change:2024/__/31"), 1);
    EXPECT_TRUE(driver->Problems().empty());
}

TEST(QXDateTime, PasteFillsPlacesFromTheCaretAndAWholeDateReadsAsADate) {
    CQXDateTime date;
    win::Clipboard::SetText("2024-1-5");
    date.OnChar(kCtrlV);
    EXPECT_EQ(date.GetTime(), "2024/01/05");
    date.SetCaret(5, 7);
    win::Clipboard::SetText("1x2");
    date.OnChar(kCtrlV);
    EXPECT_EQ(date.GetTime(), "2024/12/05");
    date.SetCaret(0, 4);
    date.OnChar(kCtrlX);
    EXPECT_EQ(win::Clipboard::GetText(), "2024");
    EXPECT_EQ(date.GetTime(), "____/12/05");
    // Text in the mask's shape, set by a driver, keeps its places too.
    EXPECT_TRUE(date.UserType("2024/__/31"));
    EXPECT_EQ(date.GetTime(), "2024/__/31");
    date.SetReadOnly(TRUE);
    date.SetCaret(0, 0);
    date.OnChar('9');
    EXPECT_EQ(date.GetTime(), "2024/__/31");
}
