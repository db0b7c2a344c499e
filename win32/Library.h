// This driver's own library: the owner of the window classes it registers, which
// must go with it when a host unloads the module (a library loaded again registers
// its own, with the procedures at their new places).
#pragma once

#include <windows.h>

namespace kel::win32 {

HINSTANCE ThisLibrary();

}  // namespace kel::win32
