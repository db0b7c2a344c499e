#include "qt/PrintLoader.h"

#include <dlfcn.h>

#include <string>

namespace kel::qt {
namespace {

using RunPreview = bool (*)(const win::PrintJob&, QWidget*);

// The folder this library was loaded from, with its slash: the library beside it is
// opened by its whole path, since a sanitizer's interceptor of dlopen makes the run
// path it would search not this library's.
std::string OwnFolder() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&OwnFolder), &info) || !info.dli_fname) return {};
    const std::string self = info.dli_fname;
    const auto slash = self.rfind('/');
    return slash == std::string::npos ? std::string() : self.substr(0, slash + 1);
}

// Found beside this library, once per process; it stays loaded.
RunPreview Load(std::string& error) {
    static std::string why;
    static const RunPreview run = [] {
        void* library = dlopen((OwnFolder() + kPrintLibrary).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            const char* text = dlerror();
            why = text ? text : kPrintLibrary;
            return RunPreview{};
        }
        auto found = reinterpret_cast<RunPreview>(dlsym(library, "KelmorRunPrintPreview"));
        if (!found) why = std::string(kPrintLibrary) + " has no KelmorRunPrintPreview";
        return found;
    }();
    if (!run) error = why;
    return run;
}

}  // namespace

bool PrintWithPreview(const win::PrintJob& job, QWidget* parent, std::string& error) {
    const RunPreview run = Load(error);
    return run && run(job, parent);
}

}  // namespace kel::qt
