#include "shell/Module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace kel::shell {
namespace {

std::string ProgramFolder() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string self(path, static_cast<size_t>(n));
    auto slash = self.rfind('/');
    return slash == std::string::npos ? std::string(".") : self.substr(0, slash);
}

// The build tree keeps the module beside the program; an install keeps it with the
// client's libraries, at a fixed place relative to the program.
std::string ModulePath() {
    const std::string folder = ProgramFolder();
    const std::string beside = folder + "/libKelmor.so";
#ifdef KELMOR_MODULE_DIR_FROM_PROGRAM
    if (access(beside.c_str(), F_OK) != 0) return folder + "/" KELMOR_MODULE_DIR_FROM_PROGRAM "/libKelmor.so";
#endif
    return beside;
}

}  // namespace

bool LoadModule(Module& module, std::string& error) {
    const std::string path = ModulePath();
    void* library = dlopen(path.c_str(), RTLD_NOW);
    if (!library) {
        const char* why = dlerror();
        error = "cannot load " + path + ": " + (why ? why : "unknown error");
        return false;
    }
    module.callDialog = reinterpret_cast<CallDialogFn>(dlsym(library, "Call_Kelmor_Dialog"));
    module.popWnd = reinterpret_cast<PopWndFn>(dlsym(library, "PopWnd"));
    if (!module.callDialog || !module.popWnd) {
        error = path + " lacks the entry points Call_Kelmor_Dialog and PopWnd";
        return false;
    }
    return true;
}

}  // namespace kel::shell
