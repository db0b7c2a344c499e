#include "win32/ControlWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "host/qxctlset/QXGrid.h"
#include "host/win/Controls.h"
#include "host/win/KeyInput.h"
#include "host/win/UserActions.h"
#include "win32/Subclass.h"
#include "win32/SystemClipboard.h"
#include "win32/WideText.h"
#include "win32/WindowText.h"

namespace kel::win32 {
namespace {

using win::ControlKind;

bool IsTextKind(ControlKind k) {
    return k == ControlKind::Edit || k == ControlKind::NumEdit || k == ControlKind::DateTime;
}
bool IsListView(ControlKind k) {
    return k == ControlKind::CheckList || k == ControlKind::ReportList || k == ControlKind::Grid;
}

// The system class and style for a model's kind and template style.
const wchar_t* ClassFor(ControlKind kind, DWORD style, DWORD& ws, DWORD& ex) {
    ws = WS_CHILD;
    ex = 0;
    switch (kind) {
        case ControlKind::GroupBox: ws |= BS_GROUPBOX; return L"BUTTON";
        case ControlKind::Button:
            ws |= WS_TABSTOP | ((style & BS_DEFPUSHBUTTON) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
            return L"BUTTON";
        case ControlKind::CheckBox: ws |= WS_TABSTOP | BS_CHECKBOX; return L"BUTTON";
        case ControlKind::Radio: ws |= WS_TABSTOP | BS_RADIOBUTTON; return L"BUTTON";
        case ControlKind::Edit:
        case ControlKind::NumEdit:
        case ControlKind::DateTime:
            ws |= WS_TABSTOP | ES_AUTOHSCROLL | (style & (ES_PASSWORD | ES_READONLY));
            // Numbers line up by their last digit.
            if (kind == ControlKind::NumEdit || (style & ES_RIGHT)) ws |= ES_RIGHT;
            if (style & ES_MULTILINE) ws |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
            ex = WS_EX_CLIENTEDGE;
            return L"EDIT";
        case ControlKind::Combo:
            ws |= WS_TABSTOP | WS_VSCROLL | ((style & 0x3) == CBS_DROPDOWN ? CBS_DROPDOWN : CBS_DROPDOWNLIST);
            return L"COMBOBOX";
        case ControlKind::CheckList:
            ws |= WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
            ex = WS_EX_CLIENTEDGE;
            return WC_LISTVIEWW;
        case ControlKind::ReportList:
            ws |= WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
            ex = WS_EX_CLIENTEDGE;
            return WC_LISTVIEWW;
        case ControlKind::Grid:
            ws |= WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
            ex = WS_EX_CLIENTEDGE;
            return WC_LISTVIEWW;
        default: ws |= SS_LEFT; return L"STATIC";
    }
}

// Keys the numeric edit and the date field take one by one, and the edit's own
// clipboard and undo messages (the context menu's among them).
LRESULT CALLBACK KeyEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* view = reinterpret_cast<ControlWindow*>(data);
    switch (message) {
        case WM_CHAR:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
            if (view->OnKey(message, wParam)) return 0;
            break;
        default: break;
    }
    return DefSubclass(hwnd, message, wParam, lParam);
}

// An input method in Chinese mode types full-width digits and signs: they mean the
// plain ones.
unsigned Halfwidth(unsigned ch) {
    if (ch >= 0xFF01 && ch <= 0xFF5E) return ch - 0xFEE0;
    if (ch == 0x3002) return '.';  // the ideographic full stop
    if (ch == 0x3000) return ' ';
    return ch;
}

// The date field's drop button opens the calendar as it is pressed, without taking
// the focus from the field (leaving the field would tell the dialog it was left).
LRESULT CALLBACK DropButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
        reinterpret_cast<ControlWindow*>(data)->DropCalendar();
        return 0;
    }
    return DefSubclass(hwnd, message, wParam, lParam);
}

// A list view's mouse buttons, told to its view around the list view's own handling.
LRESULT CALLBACK ListViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* view = reinterpret_cast<ControlWindow*>(data);
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP: {
            view->OnMouseButton(message, true);
            const LRESULT result = DefSubclass(hwnd, message, wParam, lParam);
            view->OnMouseButton(message, false);
            return result;
        }
        default: return DefSubclass(hwnd, message, wParam, lParam);
    }
}

constexpr wchar_t kViewProperty[] = L"KelmorControl";

// The list view's column format for a grid column's data alignment.
int ColumnFormat(int gridFormat) {
    if (gridFormat & CQXGrid::kAlignRight) return LVCFMT_RIGHT;
    if (gridFormat & CQXGrid::kAlignCenter) return LVCFMT_CENTER;
    return LVCFMT_LEFT;
}

}  // namespace

ControlWindow::ControlWindow(CWnd& model, HWND dialog, HFONT font) : m_model(&model), m_kind(model.GetKind()) {
    DWORD ws = 0, ex = 0;
    const wchar_t* cls = ClassFor(m_kind, model.GetStyle(), ws, ex);
    if (model.GetStyle() & WS_GROUP) ws |= WS_GROUP;
    // A one-line label's text on the line of its field's text, not at the top of
    // the row (a label given more height wraps instead).
    if (m_kind == ControlKind::Label && model.GetLayout().minHeight == 0) ws |= SS_CENTERIMAGE;
    const std::wstring text = IsTextKind(m_kind) || IsListView(m_kind) ? L"" : Wide(model.GetText().str());
    const auto id = static_cast<UINT_PTR>(static_cast<UINT>(model.GetDlgCtrlID()) & 0xFFFF);
    m_hwnd = CreateWindowExW(ex, cls, text.c_str(), ws, 0, 0, 10, 10, dialog, reinterpret_cast<HMENU>(id),
                             GetModuleHandleW(nullptr), nullptr);
    if (!m_hwnd) return;
    SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetPropW(m_hwnd, kViewProperty, this);
    if (m_kind == ControlKind::DateTime) {
        m_drop = CreateWindowExW(0, L"BUTTON", L"\u25BC", WS_CHILD | BS_PUSHBUTTON, 0, 0, 10, 10, dialog, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        SendMessageW(m_drop, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SetPropW(m_drop, kViewProperty, this);
        SetSubclass(m_drop, DropButtonProc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    if (IsListView(m_kind)) {
        DWORD exStyle = LVS_EX_FULLROWSELECT;
        if (m_kind == ControlKind::CheckList) exStyle |= LVS_EX_CHECKBOXES;
        if (m_kind == ControlKind::Grid) exStyle |= LVS_EX_GRIDLINES;
        if (auto* list = dynamic_cast<CListCtrl*>(&model)) exStyle |= list->GetExtendedStyle();
        ListView_SetExtendedListViewStyle(m_hwnd, exStyle);
        if (m_kind == ControlKind::CheckList) {
            LVCOLUMNW column{};
            column.mask = LVCF_WIDTH;
            column.cx = 400;
            SendMessageW(m_hwnd, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        }
        SetSubclass(m_hwnd, ListViewProc, 2, reinterpret_cast<DWORD_PTR>(this));
        m_tips = std::make_unique<CellTips>(m_hwnd);
    }
    if (dynamic_cast<win::KeyInput*>(&model)) SetSubclass(m_hwnd, KeyEditProc, 1, reinterpret_cast<DWORD_PTR>(this));
    model.SetView(this);
}

ControlWindow::~ControlWindow() {
    Detach();
    if (m_hwnd) RemovePropW(m_hwnd, kViewProperty);
    if (m_drop) RemovePropW(m_drop, kViewProperty);
}

void ControlWindow::Detach() {
    if (m_model && m_model->GetView() == this) m_model->SetView(nullptr);
    m_model = nullptr;
    m_calendar.Close();
    if (m_hwnd) RemoveSubclass(m_hwnd, KeyEditProc, 1);
    if (m_hwnd) RemoveSubclass(m_hwnd, ListViewProc, 2);
    if (m_drop) RemoveSubclass(m_drop, DropButtonProc, 1);
    m_tips.reset();
}

void ControlWindow::Place(const RECT& r) {
    int height = r.bottom - r.top;
    if (m_kind == ControlKind::Combo) height = 240;  // the list that drops down
    int width = r.right - r.left;
    if (m_drop) {
        // The button is square, at the field's right end.
        const int side = std::min(height, width / 2);
        width -= side;
        MoveWindow(m_drop, r.left + width, r.top, side, height, FALSE);
    }
    MoveWindow(m_hwnd, r.left, r.top, width, height, FALSE);
    if (IsTextKind(m_kind) && m_model) {
        // A text set while the field was still small left it scrolled to its end:
        // from the start again, then the model's caret.
        Guard guard(*this);
        SendMessageW(m_hwnd, EM_SETSEL, 0, 0);
        RefreshText();
    }
}

void ControlWindow::MoveTo(HWND parent) {
    SetParent(m_hwnd, parent);
    if (m_drop) SetParent(m_drop, parent);
}

template <class F>
void ControlWindow::User(F&& action) {
    if (!m_model || m_updating > 0) return;
    action(*m_model);
}

void ControlWindow::ModelChanged(CWnd& wnd, win::Aspect aspect) {
    if (&wnd != m_model || !m_hwnd) return;
    Guard guard(*this);
    using win::Aspect;
    const bool all = aspect == Aspect::All;
    if (all || aspect == Aspect::Enabled || aspect == Aspect::Style) {
        EnableWindow(m_hwnd, m_model->IsWindowEnabled());
        const bool readOnly = (m_model->GetStyle() & ES_READONLY) != 0;
        if (IsTextKind(m_kind)) SendMessageW(m_hwnd, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
        if (m_drop) EnableWindow(m_drop, m_model->IsWindowEnabled() && !readOnly);
        if (m_drop && !IsWindowEnabled(m_drop)) m_calendar.Close();
    }
    if (all || aspect == Aspect::Visible) {
        ShowWindow(m_hwnd, m_model->IsWindowVisible() ? SW_SHOWNA : SW_HIDE);
        if (m_drop) ShowWindow(m_drop, m_model->IsWindowVisible() ? SW_SHOWNA : SW_HIDE);
    }
    if ((all || aspect == Aspect::Focus) && m_model->HasFocus() && GetFocus() != m_hwnd && IsWindowVisible(m_hwnd))
        SetFocus(m_hwnd);
    Refresh(aspect);
}

void ControlWindow::Refresh(win::Aspect aspect) {
    using win::Aspect;
    const bool all = aspect == Aspect::All;
    switch (m_kind) {
        case ControlKind::CheckBox:
        case ControlKind::Radio:
            if (all || aspect == Aspect::Check)
                SendMessageW(m_hwnd, BM_SETCHECK,
                             static_cast<CButton*>(m_model)->GetCheck() ? BST_CHECKED : BST_UNCHECKED, 0);
            [[fallthrough]];
        case ControlKind::Label:
        case ControlKind::GroupBox:
        case ControlKind::Button:
        case ControlKind::Window:
            if (all || aspect == Aspect::Text) SetWindowTextW(m_hwnd, Wide(m_model->GetText().str()).c_str());
            break;
        case ControlKind::Edit:
        case ControlKind::NumEdit:
        case ControlKind::DateTime:
            if (all || aspect == Aspect::Text || aspect == Aspect::Selection) RefreshText();
            break;
        case ControlKind::Combo: RefreshCombo(aspect); break;
        case ControlKind::CheckList:
        case ControlKind::ReportList: RefreshList(aspect); break;
        case ControlKind::Grid: RefreshGrid(aspect); break;
    }
}

void ControlWindow::RefreshText() {
    const std::wstring text = Wide(m_model->GetText().str());
    if (WindowText(m_hwnd) != text) SetWindowTextW(m_hwnd, text.c_str());
    int start = 0, end = 0;
    if (auto* edit = dynamic_cast<CEdit*>(m_model))
        edit->GetSel(start, end);
    else
        start = end = static_cast<int>(text.size());
    // Selections are byte places in the model's UTF-8 text; the window counts UTF-16.
    const std::string utf8 = m_model->GetText().str();
    auto units = [&](int bytes) {
        return static_cast<int>(Wide(utf8.substr(0, std::min<size_t>(static_cast<size_t>(bytes), utf8.size()))).size());
    };
    SendMessageW(m_hwnd, EM_SETSEL, static_cast<WPARAM>(units(start)), static_cast<LPARAM>(units(end)));
}

void ControlWindow::RefreshCombo(win::Aspect aspect) {
    using win::Aspect;
    auto* combo = static_cast<CComboBox*>(m_model);
    if (aspect == Aspect::All || aspect == Aspect::Items) {
        SendMessageW(m_hwnd, CB_RESETCONTENT, 0, 0);
        for (const CString& item : combo->Items())
            SendMessageW(m_hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item.str()).c_str()));
    }
    SendMessageW(m_hwnd, CB_SETCURSEL, static_cast<WPARAM>(combo->GetCurSel()), 0);
    if (combo->GetCurSel() < 0 && (combo->GetStyle() & 0x3) == CBS_DROPDOWN)
        SetWindowTextW(m_hwnd, Wide(combo->GetText().str()).c_str());
}

void ControlWindow::RefreshList(win::Aspect aspect) {
    using win::Aspect;
    if (m_kind == ControlKind::CheckList) {
        auto* list = static_cast<CCheckListBox*>(m_model);
        if (aspect == Aspect::All || aspect == Aspect::Items) {
            ListView_DeleteAllItems(m_hwnd);
            for (int i = 0; i < list->GetCount(); ++i) {
                CString text;
                list->GetText(i, text);
                std::wstring w = Wide(text.str());
                LVITEMW item{};
                item.mask = LVIF_TEXT;
                item.iItem = i;
                item.pszText = w.data();
                SendMessageW(m_hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            }
        }
        for (int i = 0; i < list->GetCount(); ++i) ListView_SetCheckState(m_hwnd, i, list->GetCheck(i) ? TRUE : FALSE);
        if (list->GetCurSel() >= 0)
            ListView_SetItemState(m_hwnd, list->GetCurSel(), LVIS_SELECTED | LVIS_FOCUSED,
                                  LVIS_SELECTED | LVIS_FOCUSED);
        return;
    }
    auto* list = static_cast<CListCtrl*>(m_model);
    if (aspect == Aspect::All || aspect == Aspect::Structure || aspect == Aspect::Cells) {
        ListView_DeleteAllItems(m_hwnd);
        while (ListView_DeleteColumn(m_hwnd, 0)) {
        }
        for (int c = 0; c < list->GetColumnCount(); ++c) {
            const auto& column = list->GetColumn(c);
            std::wstring heading = Wide(column.heading.str());
            LVCOLUMNW lv{};
            lv.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            lv.fmt = column.format;
            lv.cx = column.width;
            lv.pszText = heading.data();
            SendMessageW(m_hwnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&lv));
        }
        for (int r = 0; r < list->GetItemCount(); ++r)
            for (int c = 0; c < std::max(1, list->GetColumnCount()); ++c) {
                std::wstring w = Wide(list->GetItemText(r, c).str());
                LVITEMW item{};
                item.mask = LVIF_TEXT;
                item.iItem = r;
                item.iSubItem = c;
                item.pszText = w.data();
                SendMessageW(m_hwnd, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            }
    }
    for (int r = 0; r < list->GetItemCount(); ++r) ListView_SetCheckState(m_hwnd, r, list->GetCheck(r) ? TRUE : FALSE);
    if (list->GetSelectionMark() >= 0)
        ListView_SetItemState(m_hwnd, list->GetSelectionMark(), LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
}

void ControlWindow::RefreshGrid(win::Aspect aspect) {
    using win::Aspect;
    auto* grid = static_cast<CQXGrid*>(m_model);
    const int fixed = grid->GetFixedRowCount();
    // Every row inserted and every width set tells of a new structure: the list view
    // gets only the columns added or taken away and the widths changed (making all
    // columns again each time took seconds for a search that fills its grid).
    if (aspect == Aspect::All || aspect == Aspect::Structure) {
        const int wanted = grid->GetColumnCount();
        int have = Header_GetItemCount(ListView_GetHeader(m_hwnd));
        while (have > wanted) ListView_DeleteColumn(m_hwnd, --have);
        m_columnWidths.resize(static_cast<size_t>(have), -1);
        m_columnFormats.resize(static_cast<size_t>(have), -1);
        for (int c = 0; c < wanted; ++c) {
            const int width = grid->GetColumnWidth(c);
            const int format = ColumnFormat(grid->GetNonFixedFormat(c));
            if (c < have) {
                if (m_columnWidths[static_cast<size_t>(c)] != width) ListView_SetColumnWidth(m_hwnd, c, width);
                m_columnWidths[static_cast<size_t>(c)] = width;
                if (m_columnFormats[static_cast<size_t>(c)] != format) {
                    LVCOLUMNW lv{};
                    lv.mask = LVCF_FMT;
                    lv.fmt = format;
                    SendMessageW(m_hwnd, LVM_SETCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&lv));
                    m_columnFormats[static_cast<size_t>(c)] = format;
                }
                continue;
            }
            std::wstring heading = Wide(fixed > 0 ? grid->GetItemText(0, c).str() : std::string());
            LVCOLUMNW lv{};
            lv.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            lv.fmt = format;
            lv.cx = width;
            lv.pszText = heading.data();
            SendMessageW(m_hwnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&lv));
            m_columnWidths.push_back(width);
            m_columnFormats.push_back(format);
        }
    }
    RefreshHeadings(*grid);
    // Only what differs from the model is told to the list view: a grid filled cell
    // by cell changes each time, and each list view call costs a layout.
    const int rows = std::max(0, grid->GetRowCount() - fixed);
    if (ListView_GetItemCount(m_hwnd) != rows) ListView_SetItemCountEx(m_hwnd, rows, LVSICF_NOSCROLL);
    const int current = grid->GetRow() >= fixed && grid->GetRow() < grid->GetRowCount() ? grid->GetRow() - fixed : -1;
    if (ListView_GetNextItem(m_hwnd, -1, LVNI_SELECTED) != current) {
        if (current >= 0) {
            ListView_SetItemState(m_hwnd, current, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            ListView_EnsureVisible(m_hwnd, current, FALSE);
        } else {
            ListView_SetItemState(m_hwnd, -1, 0, LVIS_SELECTED);
        }
    }
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

// The headings are the grid's fixed row, changed like any row; the column the
// grid sorts by shows its direction.
void ControlWindow::RefreshHeadings(CQXGrid& grid) {
    HWND header = ListView_GetHeader(m_hwnd);
    const int sorted = grid.IsHeaderSort() ? grid.GetSortColumn() : -1;
    for (int c = 0; c < Header_GetItemCount(header); ++c) {
        wchar_t shown[128] = {};
        HDITEMW item{};
        item.mask = HDI_FORMAT | HDI_TEXT;
        item.pszText = shown;
        item.cchTextMax = 128;
        // The wide messages by name: the build is not UNICODE, and the Header_ macros
        // would send the ANSI ones with this wide structure.
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
        std::wstring heading = Wide(grid.GetFixedRowCount() > 0 ? grid.GetItemText(0, c).str() : std::string());
        int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
        if (c == sorted) format |= grid.IsSortAscending() ? HDF_SORTUP : HDF_SORTDOWN;
        if (format == item.fmt && heading == shown) continue;
        item.mask = HDI_FORMAT | HDI_TEXT;
        item.fmt = format;
        item.pszText = heading.data();
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
    }
}

void ControlWindow::TextFromWindow() {
    if (!m_model || m_updating > 0) return;
    const CString text(Utf8(WindowText(m_hwnd)));
    User([&](CWnd& m) { win::user::ReplaceText(m, text); });
    // The model may have shaped the text (upper case, limits): show what it holds.
    if (m_model && WindowText(m_hwnd) != Wide(m_model->GetText().str())) {
        Guard guard(*this);
        RefreshText();
    }
}

void ControlWindow::OnCommand(UINT code, HWND from) {
    if (!m_model || m_updating > 0) return;
    if (from && from == m_drop) {
        if (code == BN_CLICKED) DropCalendar();  // pressed without the mouse
        return;
    }
    switch (m_kind) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::Radio:
            if (code == BN_CLICKED) User([](CWnd& m) { win::user::Click(m); });
            break;
        case ControlKind::Edit:
        case ControlKind::NumEdit:
        case ControlKind::DateTime:
            if (code == EN_CHANGE) TextFromWindow();
            // Into the field's own calendar is not out of the field.
            if (code == EN_KILLFOCUS && !m_calendar.Holds(GetFocus())) User([](CWnd& m) { win::user::Leave(m); });
            break;
        case ControlKind::Combo: {
            auto* combo = static_cast<CComboBox*>(m_model);
            if (code == CBN_DROPDOWN) combo->UserDropDown();
            if (code == CBN_SELCHANGE) {
                const int index = static_cast<int>(SendMessageW(m_hwnd, CB_GETCURSEL, 0, 0));
                if (index >= 0) combo->UserSelect(index);
            }
            if (code == CBN_KILLFOCUS) combo->UserLeave();
            break;
        }
        default: break;
    }
}

LRESULT ControlWindow::OnNotify(NMHDR& header) {
    if (!m_model || m_updating > 0) return 0;
    const UINT code = header.code;
    if (m_kind == ControlKind::Grid) {
        auto* grid = static_cast<CQXGrid*>(m_model);
        const int fixed = grid->GetFixedRowCount();
        if (code == LVN_GETDISPINFOW) {
            auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
            if (info.item.mask & LVIF_TEXT) {
                m_cell = Wide(grid->GetDisplayText(info.item.iItem + fixed, info.item.iSubItem).str());
                info.item.pszText = m_cell.data();
            }
            return 0;
        }
        if (code == NM_CUSTOMDRAW) {
            auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(header);
            if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
            if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) return CDRF_NOTIFYSUBITEMDRAW;
            if (draw.nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
                const COLORREF colour =
                    grid->GetItemBkColour(static_cast<int>(draw.nmcd.dwItemSpec) + fixed, draw.iSubItem);
                draw.clrTextBk = colour == CLR_DEFAULT || colour == 0 ? GetSysColor(COLOR_WINDOW) : colour;
                return CDRF_DODEFAULT;
            }
            return CDRF_DODEFAULT;
        }
        if (code == NM_CLICK || code == NM_DBLCLK) {
            const int row = reinterpret_cast<NMITEMACTIVATE&>(header).iItem;
            if (row < 0) return 0;
            // The press already brought its row to the model (the system tells of
            // the click only as the button goes up).
            const bool told = code == NM_CLICK && m_rowByPress && row == ModelRow();
            m_rowByPress = false;
            if (told) return 0;
            if (code == NM_CLICK)
                User([&](CWnd& m) { win::user::ClickRow(m, row + fixed); });
            else
                User([&](CWnd& m) { win::user::DoubleClickRow(m, row + fixed); });
            return 0;
        }
        if (code == LVN_ITEMCHANGED) {
            if (m_pressing == 0) RowFromWindow();
            return 0;
        }
        if (code == LVN_ODFINDITEMW) {  // type-ahead: the row whose first shown column starts so
            auto& find = reinterpret_cast<NMLVFINDITEMW&>(header);
            if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.lvfi.psz) return -1;
            return FindRow(find.lvfi.psz, find.iStart);
        }
        if (code == LVN_COLUMNCLICK) {
            const int column = reinterpret_cast<NMLISTVIEW&>(header).iSubItem;
            User([&](CWnd& m) { win::user::ClickHeader(m, column); });
        }
        return 0;
    }
    if (code == LVN_ITEMCHANGED) {
        auto& change = reinterpret_cast<NMLISTVIEW&>(header);
        if (!(change.uChanged & LVIF_STATE)) return 0;
        if ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) {
            if (m_pressing == 0) RowFromWindow();
            if (!m_model) return 0;
        }
        if (!((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK)) return 0;
        const bool ticked = ListView_GetCheckState(m_hwnd, change.iItem) != 0;
        const bool modelTicked = m_kind == ControlKind::CheckList
                                     ? static_cast<CCheckListBox*>(m_model)->GetCheck(change.iItem) != 0
                                     : static_cast<CListCtrl*>(m_model)->GetCheck(change.iItem) != FALSE;
        if (ticked != modelTicked) User([&](CWnd& m) { win::user::ToggleItem(m, change.iItem); });
        return 0;
    }
    if (code == NM_CLICK && m_kind == ControlKind::ReportList) {
        const int item = reinterpret_cast<NMITEMACTIVATE&>(header).iItem;
        const bool told = m_rowByPress && item == ModelRow();
        m_rowByPress = false;
        if (!told) User([&](CWnd& m) { win::user::ClickItem(m, item); });
    }
    return 0;
}

int ControlWindow::ModelRow() const {
    if (!m_model) return -1;
    if (m_kind == ControlKind::Grid) {
        auto* grid = static_cast<CQXGrid*>(m_model);
        return grid->GetRow() >= grid->GetFixedRowCount() ? grid->GetRow() - grid->GetFixedRowCount() : -1;
    }
    if (m_kind == ControlKind::ReportList) return static_cast<CListCtrl*>(m_model)->GetSelectionMark();
    if (m_kind == ControlKind::CheckList) return static_cast<CCheckListBox*>(m_model)->GetCurSel();
    return -1;
}

void ControlWindow::RowFromWindow() {
    if (!m_model || m_updating > 0) return;
    const int row = ListView_GetNextItem(m_hwnd, -1, LVNI_SELECTED);
    if (row < 0 || row == ModelRow()) return;  // on the way between two rows, or already there
    if (m_kind == ControlKind::Grid) {
        const int fixed = static_cast<CQXGrid*>(m_model)->GetFixedRowCount();
        User([&](CWnd& m) { win::user::ClickRow(m, row + fixed); });
    } else if (m_kind == ControlKind::ReportList) {
        User([&](CWnd& m) { win::user::ClickItem(m, row); });
    } else if (m_kind == ControlKind::CheckList) {
        User([&](CWnd& m) { static_cast<CCheckListBox&>(m).SetCurSel(row); });
    }
}

void ControlWindow::OnMouseButton(UINT message, bool pressing) {
    if (pressing) {
        if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) m_rowByPress = false;
        ++m_pressing;
        return;
    }
    --m_pressing;
    if (m_pressing > 0 || !m_model || m_updating > 0) return;
    const int before = ModelRow();
    RowFromWindow();
    if (ModelRow() != before) m_rowByPress = true;
    // A press beside the rows takes the highlight away, not the model's current
    // row, which a button would still act on: it is shown highlighted again.
    if (m_model && ModelRow() >= 0 && ListView_GetNextItem(m_hwnd, -1, LVNI_SELECTED) < 0) {
        Guard guard(*this);
        ListView_SetItemState(m_hwnd, ModelRow(), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
}

int ControlWindow::FindRow(const std::wstring& prefix, int start) const {
    auto* grid = static_cast<CQXGrid*>(m_model);
    const int fixed = grid->GetFixedRowCount();
    const int rows = grid->GetRowCount() - fixed;
    int column = 0;
    while (column < grid->GetColumnCount() && grid->IsColumnHidden(column)) ++column;
    if (rows <= 0 || column >= grid->GetColumnCount() || prefix.empty()) return -1;
    for (int i = 0; i < rows; ++i) {
        const int row = ((start < 0 ? 0 : start) + i) % rows;
        const std::wstring text = Wide(grid->GetDisplayText(row + fixed, column).str());
        if (text.size() >= prefix.size() &&
            CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.c_str(), static_cast<int>(prefix.size()),
                           prefix.c_str(), static_cast<int>(prefix.size())) == CSTR_EQUAL)
            return row;
    }
    return -1;
}

bool ControlWindow::OnKey(UINT message, WPARAM key) {
    auto* input = dynamic_cast<win::KeyInput*>(m_model);
    if (!input || m_updating > 0) return false;
    const bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0;
    switch (message) {
        case WM_SYSKEYDOWN:
            if (!m_drop || key != VK_DOWN) return false;
            DropCalendar();
            return true;
        case WM_KEYDOWN:
            if (m_drop && key == VK_F4) {
                DropCalendar();
                return true;
            }
            if (key == VK_INSERT && shift) return Paste(*input);
            if (key == VK_DELETE && shift) return Cut(*input);
            if (key == VK_INSERT && control) return false;           // the edit copies
            if (key != VK_DELETE && key != VK_INSERT) return false;  // arrows and the rest move the caret
            break;
        case WM_CHAR:
            if (key == kCtrlV) return Paste(*input);
            if (key == kCtrlX) return Cut(*input);
            // The edit's own: copy (Ctrl+C), select all, Tab, Enter, Escape; undo
            // comes back here as WM_UNDO.
            if (key < 0x20 && key != VK_BACK) return false;
            key = Halfwidth(static_cast<unsigned>(key));
            break;
        case WM_PASTE: return Paste(*input);
        case WM_CUT: return Cut(*input);
        case WM_CLEAR: {
            // The context menu's Delete: the selection, if there is one.
            DWORD start = 0, end = 0;
            SendMessageW(m_hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            if (start == end) return true;
            message = WM_KEYDOWN;
            key = VK_DELETE;
            break;
        }
        // The edit's own history would bring back text the model never saw.
        case WM_UNDO:
        case EM_UNDO: return true;
        default: return false;
    }
    CaretToModel(*input);
    if (message == WM_KEYDOWN)
        input->OnKeyDown(static_cast<UINT>(key));
    else
        input->OnChar(static_cast<unsigned>(key));
    return true;
}

void ControlWindow::CaretToModel(win::KeyInput& input) {
    DWORD start = 0, end = 0;
    SendMessageW(m_hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    // The text of these fields is ASCII: window places are the model's byte places.
    input.SetCaret(static_cast<int>(start), static_cast<int>(end));
}

// The model pastes from the window layer's clipboard: it gets the system's text
// first, and reads it by the same rules as typed text.
bool ControlWindow::Paste(win::KeyInput& input) {
    win::Clipboard::SetText(CString(Utf8(ClipboardText(m_hwnd))));
    CaretToModel(input);
    input.OnChar(kCtrlV);
    return true;
}

// What the model cuts goes on the system's clipboard.
bool ControlWindow::Cut(win::KeyInput& input) {
    win::Clipboard::SetText(CString());
    CaretToModel(input);
    input.OnChar(kCtrlX);
    const CString cut = win::Clipboard::GetText();
    if (!cut.IsEmpty()) SetClipboardText(m_hwnd, Wide(cut.str()));
    return true;
}

void ControlWindow::DropCalendar() {
    if (!m_model || !m_drop || !IsWindowEnabled(m_drop)) return;
    // The month the field shows, at its day or the first; today's when it shows none.
    SYSTEMTIME day{};
    unsigned year = 0, month = 0, date = 0;
    const int read = std::sscanf(m_model->GetText().str().c_str(), "%4u/%2u/%2u", &year, &month, &date);
    if (read >= 2 && year >= 1601 && year <= 9999 && month >= 1 && month <= 12) {
        day.wYear = static_cast<WORD>(year);
        day.wMonth = static_cast<WORD>(month);
        day.wDay = static_cast<WORD>(read == 3 && date >= 1 && date <= 31 ? date : 1);
    }
    if (GetFocus() != m_hwnd) SetFocus(m_hwnd);
    m_calendar.Open(m_hwnd, day, [this](const SYSTEMTIME& picked) { PickDay(picked); });
}

void ControlWindow::PickDay(const SYSTEMTIME& day) {
    // The whole date as typed: the field keeps of it what its mask takes (a
    // year-month field the year and the month).
    char text[16];
    std::snprintf(text, sizeof text, "%04u/%02u/%02u", day.wYear, day.wMonth, day.wDay);
    User([&](CWnd& m) { win::user::ReplaceText(m, CString(text)); });
}

}  // namespace kel::win32
