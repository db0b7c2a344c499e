// CWnd: the base of every window model: dialogs and the controls on them.
// A model holds what the control shows (text, enabled, visible, focus and its own
// state); a driver renders it and feeds the user's actions back through the
// models' User... operations, which raise the notifications the screens handle.
// Changes made by program code raise no user notification.
#pragma once

#include <memory>
#include <string>

#include "host/win/CString.h"
#include "host/win/MessageMap.h"
#include "host/win/WinTypes.h"

namespace win {

enum class ControlKind {
    Window,  // a dialog, or a placeholder for a control nobody models yet
    Label,
    GroupBox,
    Edit,
    Combo,
    CheckBox,
    Radio,
    Button,
    CheckList,
    ReportList,
    Grid,
    DateTime,
    NumEdit,
};

// What part of a model changed, for the view that renders it.
enum class Aspect { Text, Enabled, Visible, Focus, Items, Selection, Check, Structure, Cells, Style, All };

class WndView {
public:
    virtual ~WndView() = default;
    virtual void ModelChanged(CWnd& wnd, Aspect aspect) = 0;
};

// Placement hint of a control in its dialog: a cell of a grid of rows and columns.
struct Layout {
    int row = 0;
    int col = 0;
    int rowSpan = 1;
    int colSpan = 1;
    int minWidth = 0;   // pixels, 0 = natural
    int minHeight = 0;  // pixels, 0 = natural
};

}  // namespace win

class CDialog;

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    virtual win::ControlKind GetKind() const { return m_kind; }

    // Identity and place.
    int GetDlgCtrlID() const { return m_nID; }
    CWnd* GetParent() const { return m_pParent; }
    bool IsCreated() const { return m_bCreated; }
    DWORD GetStyle() const { return m_dwStyle; }
    void ModifyStyle(DWORD remove, DWORD add);
    const win::Layout& GetLayout() const { return m_layout; }

    // What every window shows.
    void SetWindowText(LPCTSTR text);
    void SetWindowText(const CString& text) { SetWindowText(text.GetString()); }
    void GetWindowText(CString& text) const;
    int GetWindowText(char* buffer, int maxCount) const;
    int GetWindowTextLength() const;
    CString GetText() const { return m_text; }
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const { return m_bEnabled; }
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const { return m_bVisible; }
    CWnd* SetFocus();
    bool HasFocus() const;
    void Invalidate(BOOL erase = TRUE);
    void UpdateWindow() {}
    void RedrawWindow() { Invalidate(); }

    // Child look-up (dialogs hold the controls).
    virtual CWnd* GetDlgItem(int nID) const;

    // Messages.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;

    // Timers: a period below 10 ms runs at 10 ms.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* unused = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);
    virtual void OnTimer(UINT_PTR nIDEvent) {}

    // Message boxes owned by this window; return the button pressed.
    int MessageBox(LPCTSTR text, LPCTSTR caption = nullptr, UINT type = MB_OK);

    // Wait cursor for a busy action.
    void BeginWaitCursor();
    void EndWaitCursor();

    // Puts this object in place of the dialog's control `nID`, taking over what the
    // template gave it (text, style, layout). Used for member controls.
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

    // The view that renders this model (a driver's business).
    void SetView(win::WndView* view) { m_pView = view; }
    win::WndView* GetView() const { return m_pView; }

    // Driver-facing: set up as a child control from its template entry.
    void InitControl(CWnd* parent, int id, win::ControlKind kind, const CString& text, DWORD style,
                     const win::Layout& layout);
    void Detach();
    // Called once a control has been set up in its dialog (kinds adjust their style).
    virtual void OnControlCreated() {}

protected:
    void Notify(win::Aspect aspect);
    // Sends a command notification (WM_COMMAND) about this control to its parent.
    void NotifyParent(UINT code);
    // Sends a WM_NOTIFY about this control to its parent; returns the parent's result.
    LRESULT NotifyParentNm(NMHDR& header);
    void SetKind(win::ControlKind kind) { m_kind = kind; }
    void SetTextSilently(const CString& text) { m_text = text; }

    int m_nID = 0;
    CWnd* m_pParent = nullptr;
    CString m_text;
    DWORD m_dwStyle = 0;
    bool m_bEnabled = true;
    bool m_bVisible = true;
    bool m_bCreated = false;
    win::Layout m_layout;

private:
    bool FindHandler(UINT message, UINT code, UINT id, const MsgMapEntry** found) const;
    win::ControlKind m_kind = win::ControlKind::Window;
    win::WndView* m_pView = nullptr;

    friend class CDialog;
};

// The framework's free functions.
int AfxMessageBox(LPCTSTR text, UINT type = MB_OK);

// RAII wait cursor, as the framework's CWaitCursor.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    void Restore() {}
};
