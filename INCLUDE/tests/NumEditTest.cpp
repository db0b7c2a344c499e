#include <gtest/gtest.h>

#include "INCLUDE/NumEdit.h"
#include "host/win/KeyInput.h"
#include "host/win/NoDisplayDriver.h"

namespace {

// A numeric edit with fixed separators, fed key by key.
class Field {
public:
    Field(int width = -1, int decimals = -1) {
        edit.SetSeparators(',', '.');
        edit.SetLimits(width, decimals);
    }
    Field& Type(const std::string& keys) {
        for (char c : keys) edit.OnChar(static_cast<unsigned char>(c));
        return *this;
    }
    Field& Caret(int a, int b = -2) {
        edit.SetCaret(a, b == -2 ? a : b);
        return *this;
    }
    std::string Text() const { return edit.GetText().str(); }
    int CaretPos() const {
        int a = 0, b = 0;
        edit.GetSel(a, b);
        return a;
    }
    CNumEdit edit;
};

}  // namespace

TEST(NumEdit, TypingGroupsTheIntegerPartAndKeepsTheCaretAfterTheLastDigit) {
    Field f;
    f.Type("1234567");
    EXPECT_EQ(f.Text(), "1,234,567");
    EXPECT_EQ(f.CaretPos(), 9);
    f.Type(".5");
    EXPECT_EQ(f.Text(), "1,234,567.5");
}

TEST(NumEdit, LimitsCutTheIntegerPartAndTheFraction) {
    Field f(5, 2);
    f.Type("123");
    EXPECT_EQ(f.Text(), "12");
    f.Type(".345");
    EXPECT_EQ(f.Text(), "12.34");
    Field g(6, 4);
    g.Type("1.23456");
    EXPECT_EQ(g.Text(), "1.2345");
    Field h(3, 0);  // no fraction at all
    h.Type("12.5");
    EXPECT_EQ(h.Text(), "125");  // the separator typed was dropped with the fraction
    Field big(20, 2);
    big.Type("123456789012345678");
    EXPECT_EQ(big.Text(), "12,345,678,901,234,567");
}

TEST(NumEdit, OnlyOneDecimalSeparatorAndTheSignOnlyAtTheFront) {
    Field f;
    f.Type("1.2.3");
    EXPECT_EQ(f.Text(), "1.23");
    Field g;
    g.Type("5").Caret(1).Type("-");
    EXPECT_EQ(g.Text(), "5");  // minus in the middle: ignored
    g.Caret(0).Type("-");
    EXPECT_EQ(g.Text(), "-5");
    EXPECT_EQ(g.CaretPos(), 1);
    g.Caret(0).Type("+");
    EXPECT_EQ(g.Text(), "-5");  // already signed
    f.Type("x!");
    EXPECT_EQ(f.Text(), "1.23");
}

TEST(NumEdit, BackspaceAndDeleteRegroupAndKeepTheCaretWithItsDigits) {
    Field f;
    f.Type("1234567");      // 1,234,567
    f.Caret(5).Type("\b");  // deletes the 4: 123,567 with the caret before 5
    EXPECT_EQ(f.Text(), "123,567");
    EXPECT_EQ(f.Text().substr(0, static_cast<size_t>(f.CaretPos())), "123");
    f.Caret(0);
    f.edit.OnKeyDown(VK_DELETE);
    EXPECT_EQ(f.Text(), "23,567");
    f.Caret(0, 3);  // select "23,"
    f.edit.OnKeyDown(VK_DELETE);
    EXPECT_EQ(f.Text(), "567");
    f.edit.OnKeyDown(VK_INSERT);
    EXPECT_EQ(f.Text(), "567");
}

TEST(NumEdit, PasteKeepsTheLeadingNumberAndItsSign) {
    Field f;
    win::Clipboard::SetText("12a34");
    f.Type(std::string(1, static_cast<char>(kCtrlV)));
    EXPECT_EQ(f.Text(), "12");
    Field g;
    win::Clipboard::SetText("-1,234.5");
    g.Type(std::string(1, static_cast<char>(kCtrlV)));
    EXPECT_EQ(g.Text(), "-1,234.5");
    Field h;
    h.Type("1.5").Caret(3);
    win::Clipboard::SetText("7.8");  // the field has its separator: the paste stops there
    h.Type(std::string(1, static_cast<char>(kCtrlV)));
    EXPECT_EQ(h.Text(), "1.57");
    win::Clipboard::SetText("9.");  // a separator at the end of the paste is dropped
    Field i;
    i.Type(std::string(1, static_cast<char>(kCtrlV)));
    EXPECT_EQ(i.Text(), "9");
}

TEST(NumEdit, CutRemovesTheSelectionAndRenormalises) {
    Field f;
    f.Type("1234567").Caret(0, 2);  // "1,"
    f.Type(std::string(1, static_cast<char>(kCtrlX)));
    EXPECT_EQ(win::Clipboard::GetText(), "1,");
    EXPECT_EQ(f.Text(), "234,567");
}

TEST(NumEdit, PlainTextDropsTheGroupingSeparators) {
    Field f;
    f.Type("1234.50");
    EXPECT_EQ(f.Text(), "1,234.50");
    CString plain;
    EXPECT_EQ(f.edit.GetPlainText(plain), 7);
    EXPECT_EQ(plain, "1234.50");
}

// A number shown as a word (no limit as "无限额") gives the number back; keys that
// do not edit leave the word, the first that edits starts from an empty field.
TEST(NumEdit, AWordShownForANumberGivesTheNumberBackUntilAKeyEditsIt) {
    Field f(20, 2);
    f.edit.ShowWord("无限额", "9999999999.99");
    CString plain;
    f.edit.GetPlainText(plain);
    EXPECT_EQ(plain, "9999999999.99");
    f.Caret(3).Type("x");
    f.edit.OnChar(kCtrlC);
    EXPECT_EQ(f.Text(), "无限额");
    f.Caret(3).Type("5000");
    EXPECT_EQ(f.Text(), "5,000");
    f.edit.GetPlainText(plain);
    EXPECT_EQ(plain, "5000");
    f.edit.ShowWord("无限额", "9999999999.99");
    f.edit.OnChar(VK_BACK);
    EXPECT_EQ(f.Text(), "");
    f.edit.GetPlainText(plain);
    EXPECT_EQ(plain, "");  // emptied: no longer the number the word stood for
}

TEST(NumEdit, ReadOnlyOrDisabledFieldsTakeNoKeys) {
    Field f;
    f.edit.SetReadOnly(TRUE);
    f.Type("12");
    EXPECT_EQ(f.Text(), "");
}

// Text that arrives whole (a driver replacing it, a platform paste that went round
// the keys) obeys the same rules as a paste: nothing unchecked reaches the field.
TEST(NumEdit, AWholeTextPutInIsReadAsAPaste) {
    Field f;
    EXPECT_TRUE(f.edit.UserSetText("abc!!"));
    EXPECT_EQ(f.Text(), "");
    CString plain;
    EXPECT_EQ(f.edit.GetPlainText(plain), 0);
    f.edit.UserSetText("-1,234.5xyz");
    EXPECT_EQ(f.Text(), "-1,234.5");
    EXPECT_EQ(f.edit.GetPlainText(plain), 7);
    EXPECT_EQ(plain, "-1234.5");
    Field g(6, 4);
    g.edit.UserSetText("1.234567");
    EXPECT_EQ(g.Text(), "1.2345");
}

// A character beyond ASCII is no sign even when its code ends in the sign's byte
// (中 is U+4E2D, 丫 U+4E2B): an input method's character must not make the number
// negative.
TEST(NumEdit, CharactersBeyondAsciiAreNotTakenForASign) {
    Field f;
    f.Type("5").Caret(0);
    f.edit.OnChar(0x4E2D);
    f.edit.OnChar(0x4E2B);
    EXPECT_EQ(f.Text(), "5");
    f.Type("-");
    EXPECT_EQ(f.Text(), "-5");
}

TEST(NumEdit, AFullFieldBeepsOnceUntilItHasRoomAgain) {
    const auto before = win::InstalledDriver();
    auto driver = std::make_shared<win::NoDisplayDriver>();
    win::InstallDriver(driver);
    Field f(5, 2);
    f.Type("12");
    EXPECT_EQ(driver->Beeps(), 0);  // exactly full is not refused
    f.Type("345");
    EXPECT_EQ(f.Text(), "12");
    EXPECT_EQ(driver->Beeps(), 1);  // three keys refused, one beep
    f.Type(".345");
    EXPECT_EQ(f.Text(), "12.34");
    EXPECT_EQ(driver->Beeps(), 2);  // the point and two decimals had room, the 5 did not
    f.edit.OnChar('\b');
    f.Type("67");
    EXPECT_EQ(f.Text(), "12.36");
    EXPECT_EQ(driver->Beeps(), 3);  // room again after the backspace, full again at the 7
    Field open;
    open.Type("123456789012345678901234567890");
    EXPECT_EQ(driver->Beeps(), 3);  // no limits, nothing refused
    win::InstallDriver(before);
}
