#include "host/win/Wnd.h"

#include <algorithm>

#include "host/win/Dialog.h"
#include "host/win/Thread.h"
#include "host/win/UiDriver.h"

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (auto* loop = win::ThreadLoop::Current()) loop->Forget(*this);
    if (m_bCreated) win::Driver().WindowDestroyed(*this);
}

void CWnd::ModifyStyle(DWORD remove, DWORD add) {
    m_dwStyle = (m_dwStyle & ~remove) | add;
    if (remove & WS_DISABLED) m_bEnabled = true;
    if (add & WS_DISABLED) m_bEnabled = false;
    Notify(win::Aspect::Style);
}

void CWnd::SetWindowText(LPCTSTR text) {
    m_text = text ? text : "";
    Notify(win::Aspect::Text);
}

void CWnd::GetWindowText(CString& text) const { text = m_text; }

int CWnd::GetWindowText(char* buffer, int maxCount) const {
    if (!buffer || maxCount <= 0) return 0;
    int n = std::min(m_text.GetLength(), maxCount - 1);
    std::copy_n(m_text.GetString(), n, buffer);
    buffer[n] = '\0';
    return n;
}

int CWnd::GetWindowTextLength() const { return m_text.GetLength(); }

BOOL CWnd::EnableWindow(BOOL enable) {
    BOOL wasDisabled = !m_bEnabled;
    m_bEnabled = enable != FALSE;
    if (m_bEnabled)
        m_dwStyle &= ~WS_DISABLED;
    else
        m_dwStyle |= WS_DISABLED;
    Notify(win::Aspect::Enabled);
    return wasDisabled;
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    BOOL wasVisible = m_bVisible;
    m_bVisible = nCmdShow != SW_HIDE;
    Notify(win::Aspect::Visible);
    return wasVisible;
}

CWnd* CWnd::SetFocus() {
    auto* dialog = dynamic_cast<CDialog*>(m_pParent);
    CWnd* previous = dialog ? dialog->GetFocusItem() : nullptr;
    if (dialog) dialog->SetFocusID(m_nID);
    return previous;
}

bool CWnd::HasFocus() const {
    auto* dialog = dynamic_cast<CDialog*>(m_pParent);
    return dialog && m_nID != 0 && dialog->GetFocusID() == m_nID;
}

void CWnd::Invalidate(BOOL) { Notify(win::Aspect::All); }

CWnd* CWnd::GetDlgItem(int) const { return nullptr; }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) { return WindowProc(message, wParam, lParam); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: return OnCommand(wParam, lParam);
        case WM_NOTIFY: {
            LRESULT result = 0;
            OnNotify(wParam, lParam, &result);
            return result;
        }
        case WM_TIMER: OnTimer(static_cast<UINT_PTR>(wParam)); return 0;
        default: break;
    }
    const MsgMapEntry* entry = nullptr;
    if (FindHandler(message, 0, 0, &entry)) return entry->pfn(this, wParam, lParam);
    return 0;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const MsgMapEntry* entry = nullptr;
    if (!FindHandler(WM_COMMAND, HIWORD(wParam), LOWORD(wParam), &entry)) return FALSE;
    entry->pfn(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header) return FALSE;
    const MsgMapEntry* entry = nullptr;
    if (!FindHandler(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom), &entry)) return FALSE;
    LRESULT r = entry->pfn(this, 0, lParam);
    if (pResult) *pResult = r;
    return TRUE;
}

const MessageMap* CWnd::GetThisMessageMap() {
    static const MsgMapEntry entries[] = {{0, 0, 0, nullptr}};
    static const MessageMap map = {nullptr, entries};
    return &map;
}

const MessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

// Notification codes of WM_NOTIFY compare on their low 16 bits: the grid's
// 0xfffd/0xfffe and the common controls' NM_DBLCLK/NM_CLICK are the same codes.
bool CWnd::FindHandler(UINT message, UINT code, UINT id, const MsgMapEntry** found) const {
    for (const MessageMap* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const MsgMapEntry* e = map->lpEntries; e && e->pfn; ++e) {
            if (e->nMessage != message) continue;
            if (message == WM_COMMAND && (e->nCode != code || e->nID != id)) continue;
            if (message == WM_NOTIFY && ((e->nCode & 0xFFFF) != (code & 0xFFFF) || e->nID != id)) continue;
            *found = e;
            return true;
        }
        if (map->pfnGetBaseMap == nullptr) break;
    }
    return false;
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void*) {
    // Windows of a user-interface thread of our own run their timers on its loop.
    if (auto* loop = win::ThreadLoop::Current())
        loop->StartTimer(*this, nIDEvent, nElapse);
    else
        win::Driver().StartTimer(*this, nIDEvent, win::EffectiveTimerPeriod(nElapse));
    return nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    if (auto* loop = win::ThreadLoop::Current())
        loop->StopTimer(*this, nIDEvent);
    else
        win::Driver().StopTimer(*this, nIDEvent);
    return TRUE;
}

namespace {
// The caption of the module's message boxes that name none of their own: the
// product the treaty order screens' notices name too.
constexpr const char* kProductCaption = "Zenva再保系统";
}  // namespace

int CWnd::MessageBox(LPCTSTR text, LPCTSTR caption, UINT type) {
    win::MessageBoxRequest request;
    request.text = text ? text : "";
    request.caption = caption && *caption ? caption : kProductCaption;
    request.type = type;
    return win::Driver().ShowMessageBox(request);
}

void CWnd::BeginWaitCursor() { win::Driver().BeginWaitCursor(); }
void CWnd::EndWaitCursor() { win::Driver().EndWaitCursor(); }

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    auto* dialog = dynamic_cast<CDialog*>(pParent);
    if (!dialog || !dialog->GetDlgItem(static_cast<int>(nID))) return FALSE;
    dialog->ReplaceControl(static_cast<int>(nID), this);
    return TRUE;
}

void CWnd::InitControl(CWnd* parent, int id, win::ControlKind kind, const CString& text, DWORD style,
                       const win::Layout& layout) {
    m_pParent = parent;
    m_nID = id;
    // Generic models take the template's kind; a button model serves check boxes,
    // radio buttons and group boxes too.
    auto buttonLike = [](win::ControlKind k) {
        return k == win::ControlKind::Button || k == win::ControlKind::CheckBox || k == win::ControlKind::Radio ||
               k == win::ControlKind::GroupBox;
    };
    if (m_kind == win::ControlKind::Window || (buttonLike(m_kind) && buttonLike(kind))) m_kind = kind;
    m_text = text;
    m_dwStyle = style;
    m_bEnabled = (style & WS_DISABLED) == 0;
    m_bVisible = (style & WS_INVISIBLE) == 0;
    m_layout = layout;
    m_bCreated = true;
    OnControlCreated();
}

void CWnd::Detach() {
    if (m_bCreated) win::Driver().WindowDestroyed(*this);
    m_bCreated = false;
    m_pParent = nullptr;
    m_pView = nullptr;
}

void CWnd::Notify(win::Aspect aspect) {
    if (m_pView) m_pView->ModelChanged(*this, aspect);
}

void CWnd::NotifyParent(UINT code) {
    if (m_pParent)
        m_pParent->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(m_nID), code),
                               reinterpret_cast<LPARAM>(this));
}

LRESULT CWnd::NotifyParentNm(NMHDR& header) {
    header.hwndFrom = reinterpret_cast<decltype(header.hwndFrom)>(this);
    header.idFrom = static_cast<UINT_PTR>(m_nID);
    if (!m_pParent) return 0;
    return m_pParent->SendMessage(WM_NOTIFY, static_cast<WPARAM>(m_nID), reinterpret_cast<LPARAM>(&header));
}

int AfxMessageBox(LPCTSTR text, UINT type) {
    win::MessageBoxRequest request;
    request.text = text ? text : "";
    request.caption = kProductCaption;
    request.type = type;
    return win::Driver().ShowMessageBox(request);
}

CWaitCursor::CWaitCursor() { win::Driver().BeginWaitCursor(); }
CWaitCursor::~CWaitCursor() { win::Driver().EndWaitCursor(); }
