#include "win32/SystemClipboard.h"

#include <cstring>

namespace kel::win32 {
namespace {

// Another program may hold the clipboard for a moment: a few tries.
bool Open(HWND owner) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(10);
    }
    return false;
}

}  // namespace

std::wstring ClipboardText(HWND owner) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !Open(owner)) return {};
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            // Up to the first NUL, never beyond the block.
            const size_t room = GlobalSize(data) / sizeof(wchar_t);
            size_t n = 0;
            while (n < room && chars[n]) ++n;
            text.assign(chars, n);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool SetClipboardText(HWND owner, const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!data) return false;
    void* chars = GlobalLock(data);
    std::memcpy(chars, text.c_str(), bytes);
    GlobalUnlock(data);
    if (!Open(owner)) {
        GlobalFree(data);
        return false;
    }
    EmptyClipboard();
    const bool ok = SetClipboardData(CF_UNICODETEXT, data) != nullptr;
    CloseClipboard();
    if (!ok) GlobalFree(data);  // the clipboard took it only when it said so
    return ok;
}

}  // namespace kel::win32
