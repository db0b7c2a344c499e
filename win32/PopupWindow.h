// The task-bar notice drawn by the system: a topmost window without a task-bar
// button, the bitmap, the text wrapped with an ellipsis in the plain or underlined
// font, the person's clicks and hovering handed to the model. The windows live on
// a thread of the driver's own with a message loop, so any thread can make one.
#pragma once

#include <memory>

#include "host/win/PopupSurface.h"

namespace kel::win32 {

std::unique_ptr<win::PopupSurface> MakePopupSurface(const win::PopupLook& look, win::PopupInput input);

}  // namespace kel::win32
