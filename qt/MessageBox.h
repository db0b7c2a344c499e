// Message boxes with the buttons, icon and default button the request asks for.
#pragma once

#include "host/win/UiDriver.h"

class QWidget;

namespace kel::qt {

// Shows the box modally over `parent` and returns the button pressed (IDOK, IDYES,
// ...). Closed without a button: Cancel where there is one, else OK for a box with
// only OK, else the safe answer (No, Abort).
int RunMessageBox(const win::MessageBoxRequest& request, QWidget* parent);

}  // namespace kel::qt
