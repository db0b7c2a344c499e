#include "qt/PrintLoader.h"

#include <dlfcn.h>

namespace kel::qt {
namespace {

using RunPreview = bool (*)(const win::PrintJob&, QWidget*);

// Found beside this library (its run path), once per process; it stays loaded.
RunPreview Load(std::string& error) {
    static std::string why;
    static const RunPreview run = [] {
        void* library = dlopen(kPrintLibrary, RTLD_NOW | RTLD_LOCAL);
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
