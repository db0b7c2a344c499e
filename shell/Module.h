// The module as a host loads it: libKelmor.so beside the program, opened with
// dlopen, its two entry points found with dlsym.
#pragma once

#include <string>

namespace kel::shell {

using CallDialogFn = int (*)(int screenNumber, int reserved);
using PopWndFn = int (*)(const char* text, int width, int height, int textRight, int textBottom, int red1, int green1,
                         int blue1, int red2, int green2, int blue2);

struct Module {
    CallDialogFn callDialog = nullptr;
    PopWndFn popWnd = nullptr;
};

// Loads the library from the program's own folder. The library stays loaded for
// the rest of the process (popups may still run its code). False with `error`.
bool LoadModule(Module& module, std::string& error);

}  // namespace kel::shell
