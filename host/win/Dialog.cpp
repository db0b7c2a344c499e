#include "host/win/Dialog.h"

#include <algorithm>
#include <cstdlib>

#include "host/win/Controls.h"
#include "host/win/UiDriver.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParent) : m_nIDTemplate(nIDTemplate) { m_pParent = pParent; }

CDialog::~CDialog() { DestroyControls(); }

BEGIN_MESSAGE_MAP(CDialog, CWnd)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal() {
    if (m_bRunning) return -1;
    m_pTemplate = win::FindTemplate(static_cast<int>(m_nIDTemplate));
    m_text = m_pTemplate ? CString(m_pTemplate->caption) : m_fallbackCaption;
    m_bEnded = false;
    m_nModalResult = -1;
    m_bRunning = true;
    m_bCreated = true;
    CreateControls();
    SendMessage(WM_INITDIALOG);
    if (!m_bEnded) OnShowing();
    // A screen may have disabled or hidden the control that had the focus while it
    // set itself up: the keyboard must not start where nothing can be done.
    if (CWnd* focus = GetFocusItem(); !m_bEnded && (!focus || !focus->IsWindowEnabled() || !focus->IsWindowVisible()))
        FocusFirstReachable();
    if (!m_bEnded) win::Driver().RunModalLoop(*this);
    if (!m_bEnded) EndDialog(IDCANCEL);  // a driver that gives up must not leave us open
    DestroyControls();
    win::Driver().WindowDestroyed(*this);
    m_bCreated = false;
    m_bRunning = false;
    return m_nModalResult;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    FocusFirstReachable();
    return TRUE;
}

void CDialog::FocusFirstReachable() {
    for (CWnd* c : m_order) {
        auto kind = c->GetKind();
        if (kind == win::ControlKind::Label || kind == win::ControlKind::GroupBox) continue;
        if (c->IsWindowEnabled() && c->IsWindowVisible()) {
            SetFocusID(c->GetDlgCtrlID());
            return;
        }
    }
}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult) {
    m_bEnded = true;
    m_nModalResult = nResult;
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return dx.m_bFailed ? FALSE : TRUE;
}

CWnd* CDialog::GetDlgItem(int nID) const {
    auto it = m_items.find(nID);
    return it == m_items.end() ? nullptr : it->second;
}

CWnd* CDialog::GetFocusItem() const { return m_nFocusID ? GetDlgItem(m_nFocusID) : nullptr; }

void CDialog::SetFocusID(int id) {
    if (id == m_nFocusID) return;
    CWnd* old = GetFocusItem();
    m_nFocusID = id;
    if (old) old->Notify(win::Aspect::Focus);
    if (CWnd* now = GetFocusItem()) now->Notify(win::Aspect::Focus);
}

void CDialog::UserPressEnter() {
    if (CWnd* focus = GetFocusItem(); focus && focus->IsWindowEnabled() && focus->IsWindowVisible() &&
                                      (focus->SendMessage(WM_GETDLGCODE, VK_RETURN) & DLGC_WANTALLKEYS)) {
        focus->SendMessage(WM_KEYDOWN, VK_RETURN);
        return;
    }
    CWnd* button = nullptr;
    for (CWnd* c : m_order)
        if (c->GetKind() == win::ControlKind::Button && (c->GetStyle() & BS_DEFPUSHBUTTON)) {
            button = c;
            break;
        }
    if (!button) button = GetDlgItem(IDOK);
    // Without an OK to press, Enter must not throw away what the screen shows.
    if (!button || !button->IsWindowEnabled() || !button->IsWindowVisible()) return;
    SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(button->GetDlgCtrlID()), BN_CLICKED));
}

void CDialog::UserPressEscape() { SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)); }

void CDialog::UserCloseBox() { SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)); }

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    if (message == WM_CLOSE) {
        UserCloseBox();
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (CWnd::OnCommand(wParam, lParam)) return TRUE;
    if (HIWORD(wParam) != BN_CLICKED) return FALSE;
    switch (LOWORD(wParam)) {
        case IDOK: OnOK(); return TRUE;
        case IDCANCEL: OnCancel(); return TRUE;
        default: return FALSE;
    }
}

void CDialog::CreateControls() {
    DestroyControls();
    if (!m_pTemplate) return;
    for (const auto& t : m_pTemplate->controls) {
        auto model = win::CreateControlModel(t.kind);
        model->InitControl(this, t.id, t.kind, CString(t.text), t.style, t.layout);
        if (auto* edit = dynamic_cast<CEdit*>(model.get()); edit && t.limit > 0) edit->LimitText(t.limit);
        CWnd* raw = model.get();
        m_owned.push_back(std::move(model));
        m_order.push_back(raw);
        m_items.emplace(t.id, raw);  // repeated IDs (plain labels) keep the first
    }
}

void CDialog::DestroyControls() {
    for (CWnd* c : m_order) c->Detach();
    m_order.clear();
    m_items.clear();
    m_owned.clear();
    m_nFocusID = 0;
}

void CDialog::ReplaceControl(int id, CWnd* member) {
    auto it = m_items.find(id);
    if (it == m_items.end() || it->second == member) return;
    CWnd* old = it->second;
    member->InitControl(this, id, old->GetKind(), old->GetText(), old->GetStyle(), old->GetLayout());
    member->m_bEnabled = old->IsWindowEnabled();
    member->m_bVisible = old->IsWindowVisible();
    if (auto* oldEdit = dynamic_cast<CEdit*>(old))
        if (auto* newEdit = dynamic_cast<CEdit*>(member); newEdit && oldEdit->GetLimitText() > 0)
            newEdit->LimitText(oldEdit->GetLimitText());
    std::replace(m_order.begin(), m_order.end(), old, member);
    it->second = member;
    old->Detach();
}

// ---- data exchange

namespace {
template <class T>
T* Item(CDataExchange* pDX, int id) {
    return pDX && pDX->m_pDlgWnd ? dynamic_cast<T*>(pDX->m_pDlgWnd->GetDlgItem(id)) : nullptr;
}
}  // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    CWnd* w = Item<CWnd>(pDX, nIDC);
    if (!w) return;
    if (pDX->m_bSaveAndValidate)
        w->GetWindowText(value);
    else
        w->SetWindowText(value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    CWnd* w = Item<CWnd>(pDX, nIDC);
    if (!w) return;
    if (pDX->m_bSaveAndValidate) {
        value = std::atoi(w->GetText().GetString());
    } else {
        CString s;
        s.Format("%d", value);
        w->SetWindowText(s);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value) {
    CWnd* w = Item<CWnd>(pDX, nIDC);
    if (!w) return;
    if (pDX->m_bSaveAndValidate) {
        value = std::atof(w->GetText().GetString());
    } else {
        CString s;
        s.Format("%g", value);
        w->SetWindowText(s);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    auto* b = Item<CButton>(pDX, nIDC);
    if (!b) return;
    if (pDX->m_bSaveAndValidate)
        value = b->GetCheck();
    else
        b->SetCheck(value);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    if (!pDX || !pDX->m_pDlgWnd) return;
    const auto& all = pDX->m_pDlgWnd->Controls();
    auto it = std::find_if(all.begin(), all.end(), [&](CWnd* w) { return w->GetDlgCtrlID() == nIDC; });
    if (pDX->m_bSaveAndValidate) value = -1;
    for (int index = 0; it != all.end() && (*it)->GetKind() == win::ControlKind::Radio; ++it, ++index) {
        if (index > 0 && ((*it)->GetStyle() & WS_GROUP)) break;
        auto* b = static_cast<CButton*>(*it);
        if (pDX->m_bSaveAndValidate) {
            if (b->GetCheck() == BST_CHECKED) value = index;
        } else {
            b->SetCheck(index == value ? BST_CHECKED : BST_UNCHECKED);
        }
    }
}

void DDX_CBString(CDataExchange* pDX, int nIDC, CString& value) {
    auto* c = Item<CComboBox>(pDX, nIDC);
    if (!c) return;
    if (pDX->m_bSaveAndValidate) {
        c->GetWindowText(value);
    } else if (c->SelectString(-1, value) == CB_ERR) {
        c->SetWindowText(value);
    }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
    auto* c = Item<CComboBox>(pDX, nIDC);
    if (!c) return;
    if (pDX->m_bSaveAndValidate)
        index = c->GetCurSel();
    else
        c->SetCurSel(index);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& control) {
    if (pDX && pDX->m_pDlgWnd && !control.IsCreated()) control.SubclassDlgItem(static_cast<UINT>(nIDC), pDX->m_pDlgWnd);
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int maxChars) {
    if (!pDX || !pDX->m_bSaveAndValidate || value.GetLength() <= maxChars) return;
    CString text;
    text.Format("输入的内容不能超过 %d 个字符。", maxChars);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
}
