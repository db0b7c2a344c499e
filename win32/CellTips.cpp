#include "win32/CellTips.h"

#include <commctrl.h>

#include <iterator>

#include "win32/Subclass.h"

namespace kel::win32 {
namespace {

constexpr wchar_t kTipProperty[] = L"KelmorCellTip";
// The room a list view leaves beside a cell's text, both sides together.
constexpr int kTextMargins = 12;

TTTOOLINFOW ToolOf(HWND list, const wchar_t* text) {
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;  // what the comctl32 without a manifest knows
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = list;
    tool.uId = reinterpret_cast<UINT_PTR>(list);
    tool.lpszText = const_cast<wchar_t*>(text);
    return tool;
}

LRESULT CALLBACK TipsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    if (message == WM_MOUSEMOVE)
        reinterpret_cast<CellTips*>(data)->OnMouseMove(
            POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    return DefSubclass(hwnd, message, wParam, lParam);
}

}  // namespace

CellTips::CellTips(HWND list) : m_list(list) {
    m_tip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, list, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!m_tip) return;
    TTTOOLINFOW tool = ToolOf(m_list, const_cast<wchar_t*>(L""));
    SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(m_tip, TTM_SETMAXTIPWIDTH, 0, 600);  // a long text wraps instead of leaving the screen
    SendMessageW(m_tip, TTM_ACTIVATE, FALSE, 0);
    SetPropW(m_list, kTipProperty, m_tip);
    SetSubclass(m_list, TipsProc, 3, reinterpret_cast<DWORD_PTR>(this));
}

CellTips::~CellTips() {
    if (IsWindow(m_list)) {
        RemoveSubclass(m_list, TipsProc, 3);
        RemovePropW(m_list, kTipProperty);
    }
    if (m_tip && IsWindow(m_tip)) DestroyWindow(m_tip);
}

HWND CellTips::TipOf(HWND list) { return static_cast<HWND>(GetPropW(list, kTipProperty)); }

void CellTips::OnMouseMove(POINT pos) {
    if (!m_tip) return;
    std::wstring text = CutText(pos);
    if (text == m_text) return;
    m_text = std::move(text);
    SendMessageW(m_tip, TTM_POP, 0, 0);
    TTTOOLINFOW tool = ToolOf(m_list, m_text.c_str());
    SendMessageW(m_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(m_tip, TTM_ACTIVATE, m_text.empty() ? FALSE : TRUE, 0);
}

std::wstring CellTips::CutText(POINT pos) const {
    LVHITTESTINFO hit{};
    hit.pt = pos;
    if (SendMessageW(m_list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0 || hit.iItem < 0) return {};
    wchar_t buffer[1024] = {};
    LVITEMW item{};
    item.iSubItem = hit.iSubItem;
    item.pszText = buffer;
    item.cchTextMax = static_cast<int>(std::size(buffer));
    SendMessageW(m_list, LVM_GETITEMTEXTW, static_cast<WPARAM>(hit.iItem), reinterpret_cast<LPARAM>(&item));
    std::wstring text = buffer;
    if (text.empty()) return {};
    RECT cell{};
    cell.top = hit.iSubItem;
    cell.left = LVIR_LABEL;
    if (!SendMessageW(m_list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(hit.iItem), reinterpret_cast<LPARAM>(&cell)))
        return {};
    // The first column's rectangle spans the whole row in some systems' answer.
    int room = cell.right - cell.left;
    const int column = static_cast<int>(SendMessageW(m_list, LVM_GETCOLUMNWIDTH, hit.iSubItem, 0));
    if (column > 0 && column < room) room = column;
    const int wide =
        static_cast<int>(SendMessageW(m_list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
    return wide + kTextMargins > room ? text : std::wstring();
}

}  // namespace kel::win32
