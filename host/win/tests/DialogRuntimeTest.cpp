#include <gtest/gtest.h>

#include "host/win/testing/HeadlessDriver.h"
#include "host/win/tests/TestDialogs.h"

using namespace testdlg;

BEGIN_MESSAGE_MAP(FormDialog, CDialog)
ON_BN_CLICKED(IDC_SAVE, OnSave)
ON_BN_CLICKED(IDC_CHILD, OnChild)
ON_EN_CHANGE(IDC_CODE, OnCodeChange)
ON_EN_KILLFOCUS(IDC_CODE, OnCodeKillFocus)
ON_CBN_SELCHANGE(IDC_KIND, OnKindChange)
ON_BN_CLICKED(IDC_LAPSED, OnLapsed)
ON_MESSAGE(0x465, OnCondition)
ON_MESSAGE(0x466, OnCondition)
END_MESSAGE_MAP()

class DialogRuntime : public ::testing::Test {
protected:
    void SetUp() override { RegisterTemplates(); }
    win::ScopedHeadlessDriver driver;
};

TEST_F(DialogRuntime, ProgramChangesRaiseNoHandlerButUserTypingDoes) {
    FormDialog dlg;
    driver->Then("测试表单", [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(IDC_CODE), "AB");
        a.Type(IDC_CODE, "cd").Leave(IDC_CODE).Pick(IDC_KIND, 2).Click(IDC_LAPSED).Escape();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"change:CD", "leave", "kind", "lapsed"}));
    EXPECT_TRUE(driver->Problems().empty());
}

TEST_F(DialogRuntime, EnterRunsTheDefaultButtonAndMessageBoxAnswersComeFromTheQueue) {
    FormDialog dlg;
    driver->Answer(IDNO).Answer(IDYES);
    driver->Then([](win::DialogActions& a) {
        a.Enter();
        EXPECT_FALSE(a.Ended());  // answered No: stays open
        a.Enter();
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.saves, 2);
    ASSERT_EQ(driver->MessageBoxes().size(), 2u);
    const auto& box = driver->MessageBoxes()[0];
    EXPECT_EQ(box.request.text, "保存吗?");
    EXPECT_EQ(box.request.Buttons(), MB_YESNO);
    EXPECT_EQ(box.request.Icon(), MB_ICONQUESTION);
    EXPECT_EQ(box.request.DefaultAnswer(), IDNO);
    EXPECT_EQ(box.answer, IDNO);
    EXPECT_EQ(box.dialog, "测试表单");
    EXPECT_TRUE(driver->Problems().empty());
}

// A screen whose way out is only its 返回 button: Enter has nothing to press and
// must not close it (and lose what it shows).
TEST_F(DialogRuntime, EnterWithoutADefaultOrOkButtonLeavesTheDialogOpen) {
    win::TemplateBuilder(7390, "列表").Edit(IDC_NAME, 0, 0).Button(IDCANCEL, "返回", 1, 0).Register();
    CDialog dlg(7390, nullptr);
    driver->Then([](win::DialogActions& a) {
        a.Type(IDC_NAME, "x").Enter();
        EXPECT_FALSE(a.Ended());
        a.Escape();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(driver->Problems().empty());
}

// A screen that disables the field the focus went to (a code kept on a modify) or
// points the focus at one: the dialog opens with the keyboard on the first field a
// person can work, not nowhere.
TEST_F(DialogRuntime, TheFocusStartsOnAControlAPersonCanWork) {
    win::TemplateBuilder(7391, "修改")
        .Edit(IDC_CODE, 0, 0)
        .Edit(IDC_NAME, 1, 0)
        .Button(IDCANCEL, "返回", 2, 0)
        .Register();
    class Modify : public CDialog {
    public:
        Modify() : CDialog(7391, nullptr) {}
        BOOL OnInitDialog() override {
            CDialog::OnInitDialog();
            GetDlgItem(IDC_CODE)->EnableWindow(FALSE);
            GetDlgItem(IDC_CODE)->SetFocus();
            return FALSE;
        }
    } dlg;
    driver->Then([](win::DialogActions& a) {
        EXPECT_EQ(a.FocusID(), IDC_NAME);
        a.Escape();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(driver->Problems().empty());
}

TEST_F(DialogRuntime, UnansweredMessageBoxTakesItsDefaultButton) {
    FormDialog dlg;
    driver->Then([](win::DialogActions& a) { a.Click(IDC_SAVE).CloseBox(); });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    ASSERT_EQ(driver->MessageBoxes().size(), 1u);
    EXPECT_EQ(driver->MessageBoxes()[0].answer, IDNO);
}

TEST_F(DialogRuntime, NestedModalDialogsFollowTheirOwnScripts) {
    FormDialog dlg;
    driver->Then("测试表单", [](win::DialogActions& a) { a.Click(IDC_CHILD).Escape(); });
    driver->Then("子窗口", [](win::DialogActions& a) {
        EXPECT_EQ(a.Text(IDC_NAME), "初值");  // data exchange filled the field
        a.Type(IDC_NAME, "新名称").Enter();
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.childName, "新名称");
    EXPECT_EQ(driver->DialogsOpened(), (std::vector<std::string>{"测试表单", "子窗口"}));
    EXPECT_TRUE(driver->Problems().empty());
}

TEST_F(DialogRuntime, ScriptMistakesAreReportedNotHung) {
    FormDialog dlg;
    driver->Then("别的窗口", [](win::DialogActions& a) { a.Type(4242, "x"); });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    auto problems = driver->Problems();
    ASSERT_EQ(problems.size(), 3u);  // caption, missing control, left open
    FormDialog again;
    EXPECT_EQ(again.DoModal(), IDCANCEL);  // no script at all: closed, reported
    EXPECT_EQ(driver->Problems().size(), 4u);
}

TEST_F(DialogRuntime, CustomMessagesReachTheMessageMap) {
    FormDialog dlg;
    driver->Then([&](win::DialogActions& a) {
        EXPECT_EQ(a.Dialog().SendMessage(0x465, 40, 2), 42);
        EXPECT_EQ(a.Dialog().SendMessage(0x466, 1, 1), 2);
        EXPECT_EQ(a.Dialog().SendMessage(0x467, 1, 1), 0);
        a.Escape();
    });
    dlg.DoModal();
    EXPECT_EQ(std::count(dlg.events.begin(), dlg.events.end(), "condition"), 2);
}

TEST_F(DialogRuntime, DisabledControlsIgnoreTheUser) {
    FormDialog dlg;
    driver->Then([](win::DialogActions& a) {
        a.Dialog().GetDlgItem(IDC_CODE)->EnableWindow(FALSE);
        a.Dialog().GetDlgItem(IDC_SAVE)->EnableWindow(FALSE);
        a.Type(IDC_CODE, "ZZ").Enter().Click(IDC_LAPSED);
        EXPECT_EQ(a.Text(IDC_CODE), "AB");
        EXPECT_FALSE(a.Ended());  // default button disabled: Enter does nothing
        a.Escape();
    });
    dlg.DoModal();
    EXPECT_EQ(dlg.saves, 0);
    EXPECT_EQ(dlg.events, (std::vector<std::string>{"lapsed"}));
}

class Ticker : public CWnd {
public:
    std::vector<unsigned> ticks;
    win::HeadlessDriver* driver = nullptr;
    void OnTimer(UINT_PTR id) override {
        ticks.push_back(driver->Now());
        if (ticks.size() == 3) KillTimer(id);
    }
};

TEST_F(DialogRuntime, TimersRunOnTheVirtualClockWithATenMillisecondFloor) {
    Ticker t;
    t.driver = &*driver;
    t.SetTimer(100, 1);
    EXPECT_EQ(driver->TimerPeriod(t, 100), 10u);
    driver->AdvanceTime(100);
    EXPECT_EQ(t.ticks, (std::vector<unsigned>{10, 20, 30}));
    EXPECT_FALSE(driver->TimerRunning(t, 100));
}

TEST_F(DialogRuntime, WaitCursorIsCountedAndBalanced) {
    {
        CWaitCursor wait;
        EXPECT_EQ(driver->WaitCursorDepth(), 1);
    }
    EXPECT_EQ(driver->WaitCursorCount(), 1);
    EXPECT_EQ(driver->WaitCursorDepth(), 0);
}
