// kelmor --play SCRIPT: the script run as the user against the real module, the
// way the host opens it, with no display.
#pragma once

#include <ostream>

#include "shell/Options.h"

namespace kel::shell {

// Returns the program's exit code: 0 when every line ran; 2 for a line that could
// not be carried out ("line N: why" on `err`, after every open dialog was closed)
// or a script that cannot be read; 1 when the module or the log-on fails.
int RunPlay(const Options& options, std::ostream& out, std::ostream& err);

}  // namespace kel::shell
