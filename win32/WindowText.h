// What a window and a list view's cell show, read back from the system: the driver
// compares it with its models, the scripted user and the test hosts read it as a
// person would. Header only, so a host program that links nothing of ours can use it.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <string>

namespace kel::win32 {

inline std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Up to 255 characters of the cell; the grid's cells are narrower.
inline std::wstring ListCellText(HWND list, int item, int column) {
    wchar_t text[256] = {};
    LVITEMW lv{};
    lv.iSubItem = column;
    lv.pszText = text;
    lv.cchTextMax = 256;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
    return text;
}

}  // namespace kel::win32
