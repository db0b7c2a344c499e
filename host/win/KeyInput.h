// Controls that take the user's keys one by one (the numeric edit) implement this;
// a driver forwards every character, key and paste to them instead of editing the
// text itself.
#pragma once

#include "host/win/CString.h"
#include "host/win/WinTypes.h"

// Virtual keys and control characters the edit controls distinguish.
#ifndef _WIN32  // the system's own on Windows
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_END = 0x23;
#endif
constexpr unsigned kCtrlC = 0x03;
constexpr unsigned kCtrlV = 0x16;
constexpr unsigned kCtrlX = 0x18;

namespace win {

class KeyInput {
public:
    virtual ~KeyInput() = default;
    // A typed character (as the keyboard delivers it: digits, separators, signs,
    // backspace 0x08, Ctrl+C 0x03, Ctrl+X 0x18, Ctrl+V 0x16).
    virtual void OnChar(unsigned ch) = 0;
    // A key without a character (VK_DELETE, VK_INSERT, arrows...).
    virtual void OnKeyDown(UINT virtualKey) = 0;
    // The caret and selection as the view moved them (byte positions in the text).
    virtual void SetCaret(int selStart, int selEnd) = 0;
};

// The clipboard of the process; a desktop driver keeps it in step with the system's.
class Clipboard {
public:
    static void SetText(const CString& text);
    static CString GetText();
};

}  // namespace win
