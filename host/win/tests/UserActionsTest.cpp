// The user's actions as the script player uses them: typing key by key goes
// through the control's rules one key at a time, and each action says when the
// control is not one it applies to or did not take it.
#include <gtest/gtest.h>

#include "host/win/UserActions.h"
#include "host/win/testing/HeadlessDriver.h"
#include "host/win/tests/TestDialogs.h"

using namespace testdlg;

class UserActions : public ::testing::Test {
protected:
    void SetUp() override { RegisterTemplates(); }
    win::ScopedHeadlessDriver driver;
};

TEST_F(UserActions, TypingKeyByKeyClearsTheFieldThenRaisesAChangeForEveryKeyTheFieldTakes) {
    FormDialog dlg;
    driver->Then([&dlg](win::DialogActions& a) {
        CWnd& code = *a.Item(IDC_CODE);  // holds "AB", upper case, two characters
        EXPECT_TRUE(win::user::TypeText(code, "xyz"));
        EXPECT_EQ(a.Text(IDC_CODE), "XY");
        // the third key is refused by the limit and raises nothing
        EXPECT_EQ(dlg.events, (std::vector<std::string>{"change:", "change:X", "change:XY"}));

        EXPECT_TRUE(win::user::TypeText(*a.Item(IDC_DIGITS), "1a2"));
        EXPECT_EQ(a.Text(IDC_DIGITS), "12");
        EXPECT_TRUE(win::user::TypeText(*a.Item(IDC_NAME), "合约代码"));
        EXPECT_EQ(a.Text(IDC_NAME), "合约代码");
        EXPECT_TRUE(win::user::TypeText(*a.Item(IDC_NAME), ""));
        EXPECT_EQ(a.Text(IDC_NAME), "");
        a.Escape();
    });
    dlg.DoModal();
}

TEST_F(UserActions, ActionsTellAControlOfTheWrongKindFromOneThatRefuses) {
    FormDialog dlg;
    driver->Then([](win::DialogActions& a) {
        a.Item(IDC_CODE)->EnableWindow(FALSE);
        win::UserResult typed = win::user::TypeText(*a.Item(IDC_CODE), "QA");
        EXPECT_EQ(typed.outcome, win::UserResult::Outcome::Refused);
        EXPECT_EQ(typed.why, "is disabled");
        EXPECT_EQ(a.Text(IDC_CODE), "AB");

        static_cast<CEdit*>(a.Item(IDC_NAME))->SetReadOnly(TRUE);
        EXPECT_EQ(win::user::TypeText(*a.Item(IDC_NAME), "x").why, "is read-only");

        EXPECT_EQ(win::user::TypeText(*a.Item(IDC_SAVE), "x").outcome, win::UserResult::Outcome::WrongKind);
        EXPECT_EQ(win::user::Pick(*a.Item(IDC_CODE), 0).outcome, win::UserResult::Outcome::WrongKind);
        EXPECT_EQ(win::user::ClickRow(*a.Item(IDC_KIND), 1).outcome, win::UserResult::Outcome::WrongKind);
        EXPECT_EQ(win::user::Pick(*a.Item(IDC_KIND), 7).outcome, win::UserResult::Outcome::Refused);
        EXPECT_TRUE(win::user::Pick(*a.Item(IDC_KIND), 1));
        EXPECT_EQ(a.Text(IDC_KIND), "A  成数合约");
        a.Escape();
    });
    dlg.DoModal();
}

// The default driver of a process that installed none: no display, no person.
TEST(NoDisplayDriver, CancelsEveryDialogAndAnswersMessageBoxesWithTheirDefault) {
    RegisterTemplates();
    auto previous = win::InstalledDriver();
    win::InstallDriver(nullptr);
    FormDialog dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(AfxMessageBox("继续?", MB_YESNO | MB_DEFBUTTON2), IDNO);
    win::InstallDriver(previous);
}
