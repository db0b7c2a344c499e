// A free-standing notice window that a model drives and a driver paints: the
// task-bar popup. The model decides what is shown and where; the driver owns the
// real window. Also the desktop's geometry (the work area and the screen), which
// the popup needs to find the task bar.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/win/WinTypes.h"

namespace win {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The screen and the work area (the screen less the task bar), in screen pixels.
struct DesktopMetrics {
    Rect screen;
    Rect workArea;
};

struct FontSpec {
    std::string family;
    int pointSize = 10;
    int weight = 400;  // 400 normal, 700 bold
    bool underline = false;
};

// What the surface draws, in this order: the background colour, the bitmap from its
// top-left corner showing at most bitmapMaxWidth x bitmapMaxHeight pixels of it (not
// stretched), then the text centred in textRect, wrapped at word breaks and ending
// in an ellipsis when it does not fit, in the underlined or the plain font.
struct PopupLook {
    COLORREF background = 0xFFFFFF;
    COLORREF textColour = 0;
    std::string bitmapPath;  // "" = no bitmap
    int bitmapMaxWidth = 0;
    int bitmapMaxHeight = 0;
    std::string text;
    Rect textRect;
    FontSpec font;  // the plain font; the underlined one differs only in underline
};

// What the person does to the surface. The driver calls this from its own thread;
// the model carries the message over to the thread that owns it.
using PopupInput = std::function<void(UINT message)>;

class PopupSurface {
public:
    // Destroying the surface closes the window.
    virtual ~PopupSurface() = default;
    // Shows the window topmost at the rectangle (screen pixels).
    virtual void Place(const Rect& rect) = 0;
    // Redraws the text with the underlined (true) or the plain font.
    virtual void SetUnderline(bool underline) = 0;
};

}  // namespace win
