// A function of a library that lies beside the calling one (in the same folder),
// opened when first needed. The library is named by its whole path: when a
// sanitizer's interceptor makes the dlopen call, the run path searched would not be
// the calling library's.
#pragma once

#include <dlfcn.h>

#include <string>

namespace kel::sys {

// `anchor` is the address of a function of the calling library. The function
// `symbol` of the library `name` beside it; nullptr, with why in `error`, when the
// library cannot be opened or lacks it. The library stays loaded for the process.
inline void* FindInLibraryBeside(const void* anchor, const char* name, const char* symbol, std::string& error) {
    std::string path = name;
    Dl_info info{};
    if (dladdr(anchor, &info) && info.dli_fname) {
        const std::string self = info.dli_fname;
        if (const auto slash = self.rfind('/'); slash != std::string::npos) path = self.substr(0, slash + 1) + name;
    }
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        error = why ? why : path;
        return nullptr;
    }
    void* found = dlsym(library, symbol);
    if (!found) error = path + " has no " + symbol;
    return found;
}

}  // namespace kel::sys
