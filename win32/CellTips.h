// A list view's cell cut by its column shows its whole text in a tooltip. The
// system's own label tips unfold only the first column's label (and not under every
// system), so the list keeps a tooltip of its own: as the mouse moves onto a cell
// whose text is wider than the cell, the tip takes that text; over a cell shown
// whole it stays away.
#pragma once

#include <windows.h>

#include <string>

namespace kel::win32 {

class CellTips {
public:
    explicit CellTips(HWND list);
    ~CellTips();
    CellTips(const CellTips&) = delete;
    CellTips& operator=(const CellTips&) = delete;

    // The mouse moved to `pos` (client coordinates of the list).
    void OnMouseMove(POINT pos);

    // The tooltip window of a list that has one (for tests and the player).
    static HWND TipOf(HWND list);

private:
    // The text of the cell under `pos` when the cell cuts it, else empty.
    std::wstring CutText(POINT pos) const;

    HWND m_list;
    HWND m_tip = nullptr;
    std::wstring m_text;  // what the tip holds now
};

}  // namespace kel::win32
