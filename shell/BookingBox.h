// The host's facultative booking as the program stands it in: a box showing the
// document a screen handed over.
#pragma once

#include <string>

namespace kel::qt {
class QtDriver;
}

namespace kel::shell {

// The box is owned by the innermost open dialog (the screen that handed the
// document over), which has the keyboard back once the box closes, whatever window
// was active when it opened.
void ShowBookingBox(kel::qt::QtDriver& driver, const std::string& number, char type);

}  // namespace kel::shell
