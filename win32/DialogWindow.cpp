#include "win32/DialogWindow.h"

#include <commctrl.h>

#include <algorithm>

#include "host/win/DialogTemplate.h"
#include "win32/WideText.h"
#include "win32/Win32Driver.h"

namespace kel::win32 {
namespace {

using win::ControlKind;

constexpr int kMarginX = 14, kMarginY = 12;
constexpr int kSpaceX = 8, kSpaceY = 6;
constexpr int kEdge = 6;  // a group box's border beside what it frames

// An empty dialog template: the controls are made from the model's template.
struct EmptyTemplate {
    DLGTEMPLATE head;
    WORD menu = 0, windowClass = 0, title = 0;
};

constexpr int kButtonWidth = 80;  // the narrowest push button

bool IsWide(ControlKind k) { return k == ControlKind::Grid || k == ControlKind::ReportList; }
bool IsTall(ControlKind k) {
    return k == ControlKind::Grid || k == ControlKind::ReportList || k == ControlKind::CheckList;
}

// A caption as drawn: "&&" shows one '&', a single '&' underlines the next letter.
std::wstring WithoutMnemonic(const std::wstring& text) {
    std::wstring shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return shown;
}

}  // namespace

DialogWindow::DialogWindow(CDialog& model, Win32Driver& driver, HWND owner) : m_model(&model), m_driver(driver) {
    EmptyTemplate t{};
    // Not clipping its children: a group box paints only its frame and title, and
    // the dialog's face must show inside it.
    t.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t.head.dwExtendedStyle = WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME;
    m_hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &t.head, owner, &DialogWindow::Proc,
                                        reinterpret_cast<LPARAM>(this));
    if (!m_hwnd) return;
    SetWindowTextW(m_hwnd, Wide(model.GetText().str()).c_str());
    model.SetView(this);
    Build();
    Layout();
}

DialogWindow::~DialogWindow() {
    for (auto& c : m_controls) c->Detach();
    if (m_model && m_model->GetView() == this) m_model->SetView(nullptr);
    if (m_hwnd) {
        SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        DestroyWindow(m_hwnd);
    }
    m_controls.clear();
}

void DialogWindow::Build() {
    for (CWnd* control : m_model->Controls()) {
        auto view = std::make_unique<ControlWindow>(*control, m_hwnd, m_driver.DialogFont());
        if (!view->Handle()) continue;
        view->RefreshAll();
        m_controls.push_back(std::move(view));
    }
    // Group boxes behind the controls they frame.
    for (auto& c : m_controls)
        if (c->Model()->GetKind() == ControlKind::GroupBox)
            SetWindowPos(c->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

SIZE DialogWindow::NaturalSize(const CWnd& control, HDC dc) const {
    const win::Layout& l = control.GetLayout();
    const ControlKind kind = control.GetKind();
    SIZE text{};
    std::wstring w = Wide(control.GetText().str());
    if (kind == ControlKind::Button || kind == ControlKind::CheckBox || kind == ControlKind::Radio)
        w = WithoutMnemonic(w);  // the '&' is drawn as the underline of the letter after it
    GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &text);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const int line = tm.tmHeight + 10;
    SIZE size{text.cx, line};
    switch (kind) {
        case ControlKind::Button: size.cx = std::max<LONG>(text.cx + 24, kButtonWidth); break;
        case ControlKind::CheckBox:
        case ControlKind::Radio: size.cx = text.cx + 24; break;
        case ControlKind::Edit:
        case ControlKind::NumEdit:
        case ControlKind::DateTime:
        case ControlKind::Combo:
            size.cx = 120;
            if (control.GetStyle() & ES_MULTILINE) size.cy = line * 3;
            break;
        case ControlKind::GroupBox: size.cx = 0; break;
        default: break;
    }
    if (IsWide(kind)) size.cx = 480;
    if (kind == ControlKind::CheckList) size.cx = 240;
    if (IsTall(kind)) size.cy = 220;
    size.cx = std::max<LONG>(size.cx, l.minWidth);
    size.cy = std::max<LONG>(size.cy, l.minHeight);
    return size;
}

// Template rows and columns become the odd tracks of a finer grid; the even tracks
// between them take the spacing, or a group box's border or title where there is one.
// Push buttons keep their own width, as in any dialog: a row of buttons only lines
// them up at the right end of the row's last cell; a button beside a field stands at
// the start of its cell. A form larger than the screen's free area scrolls.
void DialogWindow::Layout() {
    HDC dc = GetDC(m_hwnd);
    HGDIOBJ old = SelectObject(dc, m_driver.DialogFont());
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    int rows = 0, cols = 0;
    for (auto& c : m_controls) {
        const win::Layout& l = c->Model()->GetLayout();
        rows = std::max(rows, l.row + std::max(1, l.rowSpan));
        cols = std::max(cols, l.col + std::max(1, l.colSpan));
    }
    std::vector<int> width(static_cast<size_t>(2 * cols + 1), 0), height(static_cast<size_t>(2 * rows + 1), 0);
    for (int i = 2; i < 2 * cols; i += 2) width[static_cast<size_t>(i)] = kSpaceX;
    for (int i = 2; i < 2 * rows; i += 2) height[static_cast<size_t>(i)] = kSpaceY;
    std::vector<SIZE> natural;
    for (auto& c : m_controls) natural.push_back(NaturalSize(*c->Model(), dc));
    SelectObject(dc, old);
    ReleaseDC(m_hwnd, dc);
    // Single cells first, then what spans several shares what it lacks over its tracks.
    for (int pass = 0; pass < 2; ++pass)
        for (size_t k = 0; k < m_controls.size(); ++k) {
            const win::Layout& l = m_controls[k]->Model()->GetLayout();
            const int cs = std::max(1, l.colSpan), rs = std::max(1, l.rowSpan);
            if (m_controls[k]->Model()->GetKind() == ControlKind::GroupBox) {
                if (pass == 1) continue;
                auto& top = height[static_cast<size_t>(2 * l.row)];
                top = std::max(top, static_cast<int>(tm.tmHeight) + 4);
                auto& bottom = height[static_cast<size_t>(2 * (l.row + rs))];
                bottom = std::max(bottom, kEdge + kSpaceY);
                width[static_cast<size_t>(2 * l.col)] =
                    std::max(width[static_cast<size_t>(2 * l.col)], kEdge + kSpaceX);
                auto& right = width[static_cast<size_t>(2 * (l.col + cs))];
                right = std::max(right, kEdge + kSpaceX);
                continue;
            }
            if ((pass == 0) != (cs == 1 && rs == 1)) continue;
            int haveW = 0, haveH = 0;
            for (int t = 2 * l.col + 1; t < 2 * (l.col + cs); ++t) haveW += width[static_cast<size_t>(t)];
            for (int t = 2 * l.row + 1; t < 2 * (l.row + rs); ++t) haveH += height[static_cast<size_t>(t)];
            if (natural[k].cx > haveW) {
                // Shared over the columns spanned: a wide grid above a row of buttons
                // must not make the last button's column wide.
                const int extra = natural[k].cx - haveW;
                for (int c = 0; c < cs; ++c)
                    width[static_cast<size_t>(2 * (l.col + c) + 1)] += extra / cs + (c < extra % cs ? 1 : 0);
            }
            if (natural[k].cy > haveH) {
                // Tall controls share their extra height over their rows.
                const int extra = natural[k].cy - haveH;
                for (int r = 0; r < rs; ++r)
                    height[static_cast<size_t>(2 * (l.row + r) + 1)] += extra / rs + (r < extra % rs ? 1 : 0);
            }
        }
    auto start = [](const std::vector<int>& tracks, int index, int margin) {
        int at = margin;
        for (int t = 0; t < index; ++t) at += tracks[static_cast<size_t>(t)];
        return at;
    };
    // The rows that hold push buttons and nothing else (group boxes aside).
    std::vector<bool> buttonRow(static_cast<size_t>(rows), true);
    for (auto& c : m_controls) {
        const win::Layout& l = c->Model()->GetLayout();
        const ControlKind kind = c->Model()->GetKind();
        if (kind == ControlKind::GroupBox) continue;
        for (int r = l.row; r < l.row + std::max(1, l.rowSpan); ++r)
            if (kind != ControlKind::Button || l.rowSpan > 1) buttonRow[static_cast<size_t>(r)] = false;
    }
    const int lineHeight = static_cast<int>(tm.tmHeight) + 10;
    std::vector<RECT> place(m_controls.size());
    for (size_t k = 0; k < m_controls.size(); ++k) {
        CWnd& model = *m_controls[k]->Model();
        const win::Layout& l = model.GetLayout();
        const int cs = std::max(1, l.colSpan), rs = std::max(1, l.rowSpan);
        RECT& r = place[k];
        const ControlKind kind = model.GetKind();
        if (kind == ControlKind::GroupBox) {
            r.left = start(width, 2 * l.col, kMarginX) + width[static_cast<size_t>(2 * l.col)] - kSpaceX / 2 - kEdge;
            r.top = start(height, 2 * l.row, kMarginY);
            r.right = start(width, 2 * (l.col + cs), kMarginX) + kEdge;
            r.bottom = start(height, 2 * (l.row + rs), kMarginY) + kEdge;
            continue;
        }
        r.left = start(width, 2 * l.col + 1, kMarginX);
        r.top = start(height, 2 * l.row + 1, kMarginY);
        r.right = start(width, 2 * (l.col + cs), kMarginX);
        r.bottom = start(height, 2 * (l.row + rs), kMarginY);
        // Single-line fields and buttons keep their own height, centred in the row.
        // (A label given more height than a line keeps it: its text wraps.)
        if (!IsTall(kind) && !(model.GetStyle() & ES_MULTILINE) && kind != ControlKind::Window &&
            !(kind == ControlKind::Label && l.minHeight > lineHeight)) {
            const int mid = (r.top + r.bottom) / 2;
            r.top = mid - lineHeight / 2;
            r.bottom = r.top + lineHeight;
        }
        if (kind == ControlKind::Button) r.right = std::min<LONG>(r.right, r.left + natural[k].cx);
    }
    // A row of buttons: side by side at the right end of the row, in their order.
    for (int row = 0; row < rows; ++row) {
        if (!buttonRow[static_cast<size_t>(row)]) continue;
        std::vector<size_t> inRow;
        for (size_t k = 0; k < m_controls.size(); ++k)
            if (m_controls[k]->Model()->GetKind() == ControlKind::Button &&
                m_controls[k]->Model()->GetLayout().row == row)
                inRow.push_back(k);
        if (inRow.empty()) continue;
        std::stable_sort(inRow.begin(), inRow.end(), [&](size_t a, size_t b) {
            return m_controls[a]->Model()->GetLayout().col < m_controls[b]->Model()->GetLayout().col;
        });
        const win::Layout& last = m_controls[inRow.back()]->Model()->GetLayout();
        int right = start(width, 2 * (last.col + std::max(1, last.colSpan)), kMarginX);
        for (auto it = inRow.rbegin(); it != inRow.rend(); ++it) {
            RECT& r = place[*it];
            const LONG w = r.right - r.left;
            r.right = right;
            r.left = right - w;
            right = static_cast<int>(r.left) - kSpaceX;
        }
    }
    for (size_t k = 0; k < m_controls.size(); ++k) m_controls[k]->Place(place[k]);
    SIZE client{start(width, 2 * cols + 1, kMarginX) + kMarginX, start(height, 2 * rows + 1, kMarginY) + kMarginY};

    // The screen's free area around the owner (the task bar left out), less the frame.
    RECT around{};
    HWND owner = GetWindow(m_hwnd, GW_OWNER);
    const bool hasOwner = owner && GetWindowRect(owner, &around);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (hasOwner)
        GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    else
        GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT work = monitor.rcWork;
    if (!hasOwner) around = work;
    const auto style = static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_EXSTYLE));
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const SIZE room{work.right - work.left - (frame.right - frame.left),
                    work.bottom - work.top - (frame.bottom - frame.top)};
    if (client.cx > room.cx || client.cy > room.cy)
        client = ScrollForm(client, room, start(height, 2 * (rows - 1), kMarginY) + kMarginY, lineHeight);

    frame = RECT{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int fw = frame.right - frame.left, fh = frame.bottom - frame.top;
    // Centred over the owner, inside the free area.
    const int x =
        std::clamp<int>((around.left + around.right - fw) / 2, work.left, std::max(work.left, work.right - fw));
    const int y =
        std::clamp<int>((around.top + around.bottom - fh) / 2, work.top, std::max(work.top, work.bottom - fh));
    SetWindowPos(m_hwnd, nullptr, x, y, fw, fh, SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE DialogWindow::ScrollForm(SIZE form, SIZE room, int formHeightAboveButtons, int buttonHeight) {
    std::vector<CWnd*> models;
    for (auto& c : m_controls) models.push_back(c->Model());
    const std::vector<CWnd*> buttons = win::BottomButtonRow(models);
    const int footer = buttons.empty() ? 0 : kSpaceY + buttonHeight + kMarginY;
    const SIZE content{form.cx, buttons.empty() ? form.cy : formHeightAboveButtons};
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL), barHeight = GetSystemMetrics(SM_CYHSCROLL);
    const bool vertical = content.cy > room.cy - footer;
    const bool horizontal = content.cx + (vertical ? barWidth : 0) > room.cx;
    const SIZE view{std::min<LONG>(room.cx, content.cx + (vertical ? barWidth : 0)),
                    std::min<LONG>(room.cy - footer, content.cy + (horizontal ? barHeight : 0))};
    m_page = std::make_unique<ScrollPage>(m_hwnd, RECT{0, 0, view.cx, view.cy}, content);
    if (!m_page->Handle()) {
        m_page.reset();
        return form;
    }
    // The page first in the dialog's order, its controls in the template's, group
    // boxes behind them: Tab walks the form, then the buttons below it.
    SetWindowPos(m_page->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HWND previous = HWND_TOP;
    for (auto& c : m_controls) {
        if (std::find(buttons.begin(), buttons.end(), c->Model()) != buttons.end()) continue;
        c->MoveTo(m_page->Handle());
        SetWindowPos(c->Handle(), previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = c->Handle();
    }
    for (auto& c : m_controls)
        if (c->Model()->GetKind() == ControlKind::GroupBox)
            SetWindowPos(c->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // The dialog's own buttons below the page, at its right end.
    int right = view.cx - kMarginX;
    for (auto it = buttons.rbegin(); it != buttons.rend(); ++it) {
        ControlWindow* b = ViewOf(*it);
        RECT r{};
        GetWindowRect(b->Handle(), &r);
        const LONG w = r.right - r.left;
        b->Place(RECT{right - w, view.cy + kSpaceY, right, view.cy + kSpaceY + buttonHeight});
        right -= static_cast<int>(w) + kSpaceX;
    }
    return SIZE{view.cx, view.cy + footer};
}

void DialogWindow::BringIntoView(HWND control) {
    if (m_page) m_page->BringIntoView(control);
}

void DialogWindow::FocusInView() {
    HWND focus = GetFocus();
    if (!m_page || focus == m_seenFocus) return;
    m_seenFocus = focus;
    m_page->BringIntoView(focus);
}

void DialogWindow::ScrollHome() {
    if (m_page) m_page->ScrollTo(0, 0);
}

void DialogWindow::Show() {
    ShowWindow(m_hwnd, SW_SHOW);
    SetForegroundWindow(m_hwnd);
    if (CWnd* focus = m_model->GetFocusItem())
        if (ControlWindow* view = ViewOf(focus); view && IsWindowVisible(view->Handle())) SetFocus(view->Handle());
}

ControlWindow* DialogWindow::ViewOf(const CWnd* model) const {
    for (auto& c : m_controls)
        if (c->Model() == model) return c.get();
    return nullptr;
}

void DialogWindow::FocusFromSystem() {
    HWND focus = GetFocus();
    for (auto& c : m_controls)
        if (c->Handle() == focus || (focus && IsChild(c->Handle(), focus))) {
            if (c->Model()) m_model->SetFocusID(c->Model()->GetDlgCtrlID());
            return;
        }
}

bool DialogWindow::PreTranslate(MSG& msg) {
    if (!m_hwnd || (msg.hwnd != m_hwnd && !IsChild(m_hwnd, msg.hwnd))) return false;
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
        // An open combo list takes its own Enter and Escape.
        HWND focus = GetFocus();
        wchar_t cls[32] = {};
        HWND combo = focus ? GetParent(focus) : nullptr;
        GetClassNameW(focus, cls, 32);
        if (lstrcmpiW(cls, L"ComboBox") == 0) combo = focus;
        if (combo && SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) return false;
        // A multi-line field takes Enter itself.
        if (msg.wParam == VK_RETURN && (GetWindowLongW(focus, GWL_STYLE) & ES_MULTILINE) &&
            lstrcmpiW(cls, L"Edit") == 0)
            return false;
        FocusFromSystem();
        // A push button the person moved to is the default while it has the focus
        // (the system draws it so): Enter presses it, not the dialog's OK.
        const LONG style = GetWindowLongW(focus, GWL_STYLE);
        const LONG type = style & BS_TYPEMASK;
        if (msg.wParam == VK_RETURN && lstrcmpiW(cls, L"Button") == 0 && IsChild(m_hwnd, focus) &&
            IsWindowEnabled(focus) && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
            SendMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
                         reinterpret_cast<LPARAM>(focus));
            return true;
        }
        if (msg.wParam == VK_RETURN)
            m_model->UserPressEnter();
        else
            m_model->UserPressEscape();
        return true;
    }
    return IsDialogMessageW(m_hwnd, &msg) != FALSE;
}

void DialogWindow::ModelChanged(CWnd& wnd, win::Aspect aspect) {
    if (&wnd == m_model && (aspect == win::Aspect::Text || aspect == win::Aspect::All))
        SetWindowTextW(m_hwnd, Wide(m_model->GetText().str()).c_str());
}

INT_PTR CALLBACK DialogWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        return FALSE;  // the focus is the model's to give
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return self ? self->Handle(message, wParam, lParam) : FALSE;
}

INT_PTR DialogWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            auto* view = reinterpret_cast<ControlWindow*>(GetPropW(reinterpret_cast<HWND>(lParam), L"KelmorControl"));
            if (view && m_model) view->OnCommand(HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            auto* view = reinterpret_cast<ControlWindow*>(GetPropW(header->hwndFrom, L"KelmorControl"));
            if (!view) return FALSE;
            SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, view->OnNotify(*header));
            return TRUE;
        }
        case WM_CLOSE:
            if (m_model) m_model->UserCloseBox();
            return TRUE;
        case WM_SETCURSOR:
            if (m_driver.WaitCursorDepth() > 0) {
                SetCursor(LoadCursorA(nullptr, IDC_WAIT));
                SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        default: return FALSE;
    }
}

}  // namespace kel::win32
