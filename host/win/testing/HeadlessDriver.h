// The headless driver: the test harness of the window layer. A test scripts the
// user for each dialog that opens (nested ones too, in the order they open),
// answers message boxes from a queue, and afterwards asserts what was shown.
// Only tests link it (kelmor_win_testing).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/win/Controls.h"
#include "host/win/Dialog.h"
#include "host/win/NoDisplayDriver.h"
#include "host/win/UserActions.h"

namespace win {

class HeadlessDriver;

// What a script can do in one open dialog.
class DialogActions {
public:
    DialogActions(CDialog& dialog, HeadlessDriver& driver) : m_dialog(dialog), m_driver(driver) {}
    CDialog& Dialog() { return m_dialog; }
    CString Caption() const { return m_dialog.GetText(); }

    // The user's actions; each fails the test's run (Problems) when the control is
    // missing or of the wrong kind.
    DialogActions& Type(int id, const CString& text);        // edit: replace the text
    DialogActions& Keys(int id, const CString& chars);       // key-by-key control: type each character
    DialogActions& Key(int id, UINT virtualKey);             // key-by-key control: a key such as VK_DELETE
    DialogActions& Caret(int id, int selStart, int selEnd);  // key-by-key control: move caret / select
    DialogActions& Leave(int id);                            // edit or combo loses the focus
    DialogActions& Pick(int id, int index);                  // combo: choose an item
    DialogActions& PickCode(int id, const CString& prefix);  // combo: the item beginning with the text
    DialogActions& Click(int id);                            // button, check box, radio
    DialogActions& ToggleItem(int id, int index);            // check list / report list check box
    DialogActions& ClickItem(int id, int index);             // report list row
    DialogActions& ClickRow(int gridId, int row);
    DialogActions& DoubleClickRow(int gridId, int row);
    DialogActions& ClickHeader(int gridId, int column);
    DialogActions& Enter();
    DialogActions& Escape();
    DialogActions& CloseBox();

    // Looking at the dialog.
    CWnd* Item(int id) const { return m_dialog.GetDlgItem(id); }
    CString Text(int id) const;
    bool Enabled(int id) const;
    bool Visible(int id) const;
    int Checked(int id) const;
    int FocusID() const { return m_dialog.GetFocusID(); }
    bool Ended() const { return m_dialog.IsEnded(); }

private:
    // Runs the action on control `id`; a missing control or one of the wrong kind is
    // a problem, a control that does not take the action is not (a person's click on
    // a disabled button does nothing either).
    DialogActions& Act(int id, const char* what, const std::function<UserResult(CWnd&)>& action);
    CDialog& m_dialog;
    HeadlessDriver& m_driver;
};

struct MessageBoxRecord {
    MessageBoxRequest request;
    int answer = 0;
    std::string dialog;  // caption of the innermost open dialog, "" when none
};

class HeadlessDriver : public NoDisplayDriver {
public:
    using Script = std::function<void(DialogActions&)>;

    // The script for the next dialog that opens. With a caption, the dialog must
    // carry it (else a problem is recorded).
    HeadlessDriver& Then(Script script);
    HeadlessDriver& Then(std::string caption, Script script);
    // The answer for the next message box; without one, the default button answers.
    HeadlessDriver& Answer(int button);

    // What happened.
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_boxes; }
    std::vector<std::string> MessageTexts() const;
    const std::vector<std::string>& DialogsOpened() const { return m_opened; }
    int WaitCursorCount() const { return m_waitShown; }
    // The lists printed, in order (the harness's printer takes every job).
    std::vector<PrintJob> Printed() const;
    int WaitCursorDepth() const { return m_waitDepth; }
    // Anything that went against the script: unexpected dialogs, missing controls,
    // dialogs still open after their script, unused scripts or answers.
    std::vector<std::string> Problems() const;
    void ClearRecords();

    // Top-level windows of "other programs" that FindWindow can see.
    using WindowProcFn = std::function<LRESULT(UINT, WPARAM, LPARAM)>;
    WindowHandle AddTopLevelWindow(std::string title, WindowProcFn proc);
    void RemoveTopLevelWindow(WindowHandle handle);

    void AddProblem(std::string problem);

    // UiDriver
    void RunModalLoop(CDialog& dialog) override;
    int ShowMessageBox(const MessageBoxRequest& request) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    WindowHandle FindTopLevelWindow(const std::string& title) override;
    LRESULT SendToWindow(WindowHandle window, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PrintTable(const CWnd* owner, const PrintJob& job) override;

private:
    struct Pending {
        std::optional<std::string> caption;
        Script script;
    };
    struct TopLevel {
        std::string title;
        WindowProcFn proc;
    };

    mutable std::recursive_mutex m_mutex;
    std::deque<Pending> m_scripts;
    std::deque<int> m_answers;
    std::vector<MessageBoxRecord> m_boxes;
    std::vector<std::string> m_opened;
    std::vector<PrintJob> m_printed;
    std::vector<std::string> m_problems;
    std::vector<CDialog*> m_stack;
    int m_waitShown = 0;
    int m_waitDepth = 0;
    std::map<WindowHandle, TopLevel> m_windows;
    WindowHandle m_nextHandle = 1;
};

// Installs a fresh headless driver for the scope of a test and restores the
// previous driver afterwards.
class ScopedHeadlessDriver {
public:
    ScopedHeadlessDriver();
    ~ScopedHeadlessDriver();
    HeadlessDriver& operator*() { return *m_driver; }
    HeadlessDriver* operator->() { return m_driver.get(); }

private:
    std::shared_ptr<HeadlessDriver> m_driver;
    std::shared_ptr<UiDriver> m_previous;
};

}  // namespace win
