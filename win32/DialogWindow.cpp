#include "win32/DialogWindow.h"

#include <commctrl.h>

#include <algorithm>

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

bool IsWide(ControlKind k) { return k == ControlKind::Grid || k == ControlKind::ReportList; }
bool IsTall(ControlKind k) {
    return k == ControlKind::Grid || k == ControlKind::ReportList || k == ControlKind::CheckList;
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
    const std::wstring w = Wide(control.GetText().str());
    GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &text);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const int line = tm.tmHeight + 10;
    SIZE size{text.cx, line};
    switch (kind) {
        case ControlKind::Button: size.cx = std::max<LONG>(text.cx + 24, 80); break;
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
    // Single cells first, then what spans several gets the rest from its last track.
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
                // must not make the last button wide.
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
    for (auto& c : m_controls) {
        const win::Layout& l = c->Model()->GetLayout();
        const int cs = std::max(1, l.colSpan), rs = std::max(1, l.rowSpan);
        RECT r{};
        if (c->Model()->GetKind() == ControlKind::GroupBox) {
            r.left = start(width, 2 * l.col, kMarginX) + width[static_cast<size_t>(2 * l.col)] - kSpaceX / 2 - kEdge;
            r.top = start(height, 2 * l.row, kMarginY);
            r.right = start(width, 2 * (l.col + cs), kMarginX) + kEdge;
            r.bottom = start(height, 2 * (l.row + rs), kMarginY) + kEdge;
        } else {
            r.left = start(width, 2 * l.col + 1, kMarginX);
            r.top = start(height, 2 * l.row + 1, kMarginY);
            r.right = start(width, 2 * (l.col + cs), kMarginX);
            r.bottom = start(height, 2 * (l.row + rs), kMarginY);
            const ControlKind kind = c->Model()->GetKind();
            // Single-line fields and buttons keep their own height, centred in the row.
            // (A label given more height than a line keeps it: its text wraps.)
            const int h = static_cast<int>(tm.tmHeight) + 10;
            if (!IsTall(kind) && !(c->Model()->GetStyle() & ES_MULTILINE) && kind != ControlKind::Window &&
                !(kind == ControlKind::Label && l.minHeight > h)) {
                const int mid = (r.top + r.bottom) / 2;
                r.top = mid - h / 2;
                r.bottom = r.top + h;
            }
        }
        c->Place(r);
    }
    int w = start(width, 2 * cols + 1, kMarginX) + kMarginX;
    int h = start(height, 2 * rows + 1, kMarginY) + kMarginY;
    SelectObject(dc, old);
    ReleaseDC(m_hwnd, dc);
    RECT frame{0, 0, w, h};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_EXSTYLE)));
    const int fw = frame.right - frame.left, fh = frame.bottom - frame.top;
    // Centred over the owner, else on the screen's work area.
    RECT around{};
    HWND owner = GetWindow(m_hwnd, GW_OWNER);
    if (!owner || !GetWindowRect(owner, &around)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    const int x = std::max<int>(0, (around.left + around.right - fw) / 2);
    const int y = std::max<int>(0, (around.top + around.bottom - fh) / 2);
    SetWindowPos(m_hwnd, nullptr, x, y, fw, fh, SWP_NOZORDER | SWP_NOACTIVATE);
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
