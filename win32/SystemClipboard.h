// The system's clipboard as text: what the fields paste from and cut to.
#pragma once

#include <windows.h>

#include <string>

namespace kel::win32 {

// The clipboard's text, or "" when it holds none (or another program holds it open).
std::wstring ClipboardText(HWND owner);
// Puts the text on the clipboard in place of what was there; false when it could not.
bool SetClipboardText(HWND owner, const std::wstring& text);

}  // namespace kel::win32
