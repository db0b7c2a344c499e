// The dialog runtime: modal dialogs built from templates, data exchange, OK/Cancel,
// the escape key, the close box and the default button.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "host/win/DialogTemplate.h"
#include "host/win/Wnd.h"

// The keyboard interface between a dialog and its controls: before Enter does the
// dialog's work, the control with the focus is asked (WM_GETDLGCODE) whether it
// wants the key itself; if so it gets it as WM_KEYDOWN.
#ifndef _WIN32  // the system's own on Windows
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT VK_RETURN = 0x0D;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
#endif

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    bool m_bFailed = false;
    void Fail() { m_bFailed = true; }
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT nIDTemplate = 0, CWnd* pParent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally and returns what it ended with (IDOK, IDCANCEL, ...).
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int nResult);
    virtual void DoDataExchange(CDataExchange* pDX) {}
    // Called once OnInitDialog has run, just before the dialog is shown: the last
    // moment to apply settings a screen may have made after its base initialisation.
    virtual void OnShowing() {}
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    UINT GetTemplateID() const { return m_nIDTemplate; }
    bool IsEnded() const { return m_bEnded; }
    int GetModalResult() const { return m_nModalResult; }
    // The caption a template-less dialog gets (e.g. a screen not built yet).
    void SetFallbackCaption(const CString& caption) { m_fallbackCaption = caption; }

    CWnd* GetDlgItem(int nID) const override;
    // Every control in template order.
    const std::vector<CWnd*>& Controls() const { return m_order; }
    const win::DialogTemplate* Template() const { return m_pTemplate; }
    CWnd* GetFocusItem() const;
    int GetFocusID() const { return m_nFocusID; }
    void SetFocusID(int id);

    // What the person at the screen can do besides working the controls.
    // Enter: the focused control when it wants the key, else the default button,
    // else the OK button; a dialog with neither (its way out is a cancel button)
    // stays as it is.
    void UserPressEnter();
    void UserPressEscape();  // cancels
    void UserCloseBox();     // cancels

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    DECLARE_MESSAGE_MAP()

private:
    friend class CWnd;
    void CreateControls();
    void DestroyControls();
    // The focus to the first control a person can work (not a label or group box).
    void FocusFirstReachable();
    void ReplaceControl(int id, CWnd* member);

    UINT m_nIDTemplate;
    const win::DialogTemplate* m_pTemplate = nullptr;
    CString m_fallbackCaption;
    std::vector<std::unique_ptr<CWnd>> m_owned;
    std::map<int, CWnd*> m_items;
    std::vector<CWnd*> m_order;
    int m_nFocusID = 0;
    bool m_bEnded = false;
    bool m_bRunning = false;
    int m_nModalResult = -1;
};

// Data exchange between a control and a member.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value);
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& control);
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int maxChars);
