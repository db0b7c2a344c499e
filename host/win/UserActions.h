// What a person at the screen does to a dialog's controls, as plain operations for
// whatever stands in for the person: the test harness, the script player. Each
// operation goes through the control model's User... calls, so the dialog sees the
// same notifications as from a real keyboard and mouse, and says whether the
// control let it happen.
#pragma once

#include <string>

#include "host/win/CString.h"
#include "host/win/WinTypes.h"

class CDialog;
class CWnd;

namespace win {

// Grid models implement this so that a driver can click their rows and headers.
class GridUser {
public:
    virtual ~GridUser() = default;
    virtual LRESULT UserClickRow(int row) = 0;
    virtual LRESULT UserDoubleClickRow(int row) = 0;
    virtual void UserClickHeader(int column) = 0;
};

// Text controls other than the edit (e.g. date fields) implement this so that a
// driver can type into them.
class TextUser {
public:
    virtual ~TextUser() = default;
    virtual bool UserSetText(const CString& text) = 0;
};

// What became of an action.
struct UserResult {
    enum class Outcome {
        Done,
        WrongKind,  // the control is not one the action applies to
        Refused,    // the control did not take it (disabled, read-only, no such item)
    };
    Outcome outcome = Outcome::Done;
    std::string why;  // for the two failures, e.g. "is read-only"

    explicit operator bool() const { return outcome == Outcome::Done; }
    static UserResult Done() { return {}; }
    static UserResult WrongKind(std::string why) { return {Outcome::WrongKind, std::move(why)}; }
    static UserResult Refused(std::string why) { return {Outcome::Refused, std::move(why)}; }
};

namespace user {

// Text fields (edit, numeric edit, date field).
// Replaces the whole text at once, as pasting over the selected text does.
UserResult ReplaceText(CWnd& control, const CString& text);
// Replaces the text as typed: clears it, then types it one character at a time,
// so the control's own rules (upper case, digits, number shape, limits) apply key
// by key and each key raises its change notification.
UserResult TypeText(CWnd& control, const CString& text);
// Controls that take keys one by one (the numeric edit): characters, a key, the caret.
UserResult Keys(CWnd& control, const CString& chars);
UserResult Key(CWnd& control, UINT virtualKey);
UserResult Caret(CWnd& control, int selStart, int selEnd);
// The field loses the focus.
UserResult Leave(CWnd& control);

// Combo box: opens the list and chooses item `index`.
UserResult Pick(CWnd& control, int index);
// Push button, check box (toggles), radio button (checks itself).
UserResult Click(CWnd& control);
// Check list or report list: ticks or unticks item `index`.
UserResult ToggleItem(CWnd& control, int index);
// Report list: clicks item `index`.
UserResult ClickItem(CWnd& control, int index);
// Grid: clicks or double-clicks row `row` (0 = the header row), clicks a header.
UserResult ClickRow(CWnd& control, int row);
UserResult DoubleClickRow(CWnd& control, int row);
UserResult ClickHeader(CWnd& control, int column);

// The keyboard and the window frame.
void PressEnter(CDialog& dialog);
void PressEscape(CDialog& dialog);
void PressCloseBox(CDialog& dialog);

}  // namespace user
}  // namespace win
