#include "host/win/UiDriver.h"

#include <mutex>

#include "host/win/NoDisplayDriver.h"

namespace win {
namespace {

// Both are never destroyed: the popup's thread runs on its own and may still ask
// for the driver while the process exits and destroys its statics.
std::mutex& DriverMutex() {
    static auto* m = new std::mutex;
    return *m;
}

std::shared_ptr<UiDriver>& Slot() {
    static auto* driver = new std::shared_ptr<UiDriver>;
    return *driver;
}

}  // namespace

int MessageBoxRequest::DefaultAnswer() const {
    static const int answers[][3] = {
        {IDOK, IDOK, IDOK},             // MB_OK
        {IDOK, IDCANCEL, IDCANCEL},     // MB_OKCANCEL
        {IDABORT, IDRETRY, IDIGNORE},   // MB_ABORTRETRYIGNORE
        {IDYES, IDNO, IDCANCEL},        // MB_YESNOCANCEL
        {IDYES, IDNO, IDNO},            // MB_YESNO
        {IDRETRY, IDCANCEL, IDCANCEL},  // MB_RETRYCANCEL
    };
    UINT buttons = Buttons();
    if (buttons > 5) return IDOK;
    int index = DefaultIndex();
    if (index < 0 || index > 2) index = 0;
    return answers[buttons][index];
}

UiDriver& Driver() { return *SharedDriver(); }

std::shared_ptr<UiDriver> SharedDriver() {
    std::lock_guard lock(DriverMutex());
    auto& slot = Slot();
    if (!slot) slot = std::make_shared<NoDisplayDriver>();
    return slot;
}

void InstallDriver(std::shared_ptr<UiDriver> driver) {
    std::lock_guard lock(DriverMutex());
    Slot() = std::move(driver);
}

std::shared_ptr<UiDriver> InstalledDriver() {
    std::lock_guard lock(DriverMutex());
    return Slot();
}

}  // namespace win
