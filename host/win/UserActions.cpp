#include "host/win/UserActions.h"

#include <vector>

#include "host/win/Controls.h"
#include "host/win/Dialog.h"
#include "host/win/KeyInput.h"

namespace win::user {
namespace {

UserResult Refused(bool done, const char* why) { return done ? UserResult::Done() : UserResult::Refused(why); }

// The UTF-8 text cut into its characters, each as the bytes of one key.
std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> chars;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
        chars.push_back(text.substr(i, len));
        i += len;
    }
    return chars;
}

// The code point a key delivers for one character.
unsigned CodePoint(const std::string& ch) {
    unsigned char c = static_cast<unsigned char>(ch[0]);
    if (ch.size() == 1) return c;
    unsigned value = ch.size() == 2 ? (c & 0x1Fu) : ch.size() == 3 ? (c & 0x0Fu) : (c & 0x07u);
    for (size_t i = 1; i < ch.size(); ++i) value = (value << 6) | (static_cast<unsigned char>(ch[i]) & 0x3Fu);
    return value;
}

// Why a text field takes no typing, or null when it does.
const char* WhyNoTyping(const CWnd& control) {
    if (!control.IsWindowEnabled()) return "is disabled";
    if (control.GetStyle() & ES_READONLY) return "is read-only";  // edits and date fields alike
    return nullptr;
}

}  // namespace

UserResult ReplaceText(CWnd& control, const CString& text) {
    if (auto* textUser = dynamic_cast<TextUser*>(&control))
        return Refused(textUser->UserSetText(text), "takes no text");
    if (auto* edit = dynamic_cast<CEdit*>(&control)) return Refused(edit->UserSetText(text), "takes no text");
    return UserResult::WrongKind("is not a text field");
}

UserResult TypeText(CWnd& control, const CString& text) {
    const std::vector<std::string> chars = Characters(text.str());
    if (auto* keys = dynamic_cast<KeyInput*>(&control)) {
        if (const char* why = WhyNoTyping(control)) return UserResult::Refused(why);
        control.SetFocus();
        if (control.GetWindowTextLength() > 0) {  // select everything and delete it
            keys->SetCaret(0, control.GetWindowTextLength());
            keys->OnKeyDown(VK_DELETE);
        }
        for (const std::string& ch : chars) keys->OnChar(CodePoint(ch));
        return UserResult::Done();
    }
    auto* textUser = dynamic_cast<TextUser*>(&control);
    auto* edit = dynamic_cast<CEdit*>(&control);
    if (!textUser && !edit) return UserResult::WrongKind("is not a text field");
    if (const char* why = WhyNoTyping(control)) return UserResult::Refused(why);
    // Each key: the text so far plus the character, through the control's own rules.
    auto set = [&](const CString& whole) { return textUser ? textUser->UserSetText(whole) : edit->UserSetText(whole); };
    if (control.GetWindowTextLength() > 0 && !set(CString())) return UserResult::Refused("takes no text");
    for (const std::string& ch : chars) {
        CString next(control.GetText().str() + ch);
        // A key the edit refuses (a letter in a digits field, one past the limit)
        // changes nothing and raises nothing.
        if (edit && !textUser && edit->Filter(next) == control.GetText()) continue;
        if (!set(next)) return UserResult::Refused("takes no text");
    }
    return UserResult::Done();
}

UserResult Keys(CWnd& control, const CString& chars) {
    auto* keys = dynamic_cast<KeyInput*>(&control);
    if (!keys) return UserResult::WrongKind("takes no keys one by one");
    control.SetFocus();
    for (char c : chars.str()) keys->OnChar(static_cast<unsigned char>(c));
    return UserResult::Done();
}

UserResult Key(CWnd& control, UINT virtualKey) {
    auto* keys = dynamic_cast<KeyInput*>(&control);
    if (!keys) return UserResult::WrongKind("takes no keys one by one");
    keys->OnKeyDown(virtualKey);
    return UserResult::Done();
}

UserResult Caret(CWnd& control, int selStart, int selEnd) {
    auto* keys = dynamic_cast<KeyInput*>(&control);
    if (!keys) return UserResult::WrongKind("takes no keys one by one");
    keys->SetCaret(selStart, selEnd);
    return UserResult::Done();
}

UserResult Leave(CWnd& control) {
    if (auto* edit = dynamic_cast<CEdit*>(&control))
        edit->UserLeave();
    else if (auto* combo = dynamic_cast<CComboBox*>(&control))
        combo->UserLeave();
    else if (CWnd* parent = control.GetParent())
        parent->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(control.GetDlgCtrlID()), EN_KILLFOCUS));
    return UserResult::Done();
}

UserResult Pick(CWnd& control, int index) {
    auto* combo = dynamic_cast<CComboBox*>(&control);
    if (!combo) return UserResult::WrongKind("is not a combo box");
    combo->UserDropDown();
    return Refused(combo->UserSelect(index), "does not take the item");
}

UserResult Click(CWnd& control) {
    auto* button = dynamic_cast<CButton*>(&control);
    if (!button || control.GetKind() == ControlKind::GroupBox) return UserResult::WrongKind("is not a button");
    button->UserClick();
    return UserResult::Done();
}

UserResult ToggleItem(CWnd& control, int index) {
    if (auto* list = dynamic_cast<CCheckListBox*>(&control)) {
        list->UserToggle(index);
        return UserResult::Done();
    }
    if (auto* report = dynamic_cast<CListCtrl*>(&control)) {
        report->UserToggleCheck(index);
        return UserResult::Done();
    }
    return UserResult::WrongKind("is not a check list");
}

UserResult ClickItem(CWnd& control, int index) {
    auto* report = dynamic_cast<CListCtrl*>(&control);
    if (!report) return UserResult::WrongKind("is not a report list");
    report->UserClick(index);
    return UserResult::Done();
}

UserResult ClickRow(CWnd& control, int row) {
    auto* grid = dynamic_cast<GridUser*>(&control);
    if (!grid) return UserResult::WrongKind("is not a grid");
    grid->UserClickRow(row);
    return UserResult::Done();
}

UserResult DoubleClickRow(CWnd& control, int row) {
    auto* grid = dynamic_cast<GridUser*>(&control);
    if (!grid) return UserResult::WrongKind("is not a grid");
    grid->UserDoubleClickRow(row);
    return UserResult::Done();
}

UserResult ClickHeader(CWnd& control, int column) {
    auto* grid = dynamic_cast<GridUser*>(&control);
    if (!grid) return UserResult::WrongKind("is not a grid");
    grid->UserClickHeader(column);
    return UserResult::Done();
}

void PressEnter(CDialog& dialog) { dialog.UserPressEnter(); }
void PressEscape(CDialog& dialog) { dialog.UserPressEscape(); }
void PressCloseBox(CDialog& dialog) { dialog.UserCloseBox(); }

}  // namespace win::user
