#include "qt/PrintLoader.h"

#include <string>

#include "common/sys/LibraryBeside.h"

namespace kel::qt {
namespace {

using RunPreview = bool (*)(const win::PrintJob&, QWidget*);

// Found beside this library once per process.
RunPreview Load(std::string& error) {
    static std::string why;
    static const auto run = reinterpret_cast<RunPreview>(kel::sys::FindInLibraryBeside(
        reinterpret_cast<const void*>(&PrintWithPreview), kPrintLibrary, "KelmorRunPrintPreview", why));
    if (!run) error = why;
    return run;
}

}  // namespace

bool PrintWithPreview(const win::PrintJob& job, QWidget* parent, std::string& error) {
    const RunPreview run = Load(error);
    return run && run(job, parent);
}

}  // namespace kel::qt
