#include "host/win/UiDriver.h"

#include <algorithm>
#include <iterator>
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

struct ButtonSet {
    int count;
    int answers[3];
};

// The buttons of each MB_ button value; an unknown value shows OK.
const ButtonSet& ButtonsOf(UINT buttons) {
    static const ButtonSet sets[] = {
        {1, {IDOK}},                        // MB_OK
        {2, {IDOK, IDCANCEL}},              // MB_OKCANCEL
        {3, {IDABORT, IDRETRY, IDIGNORE}},  // MB_ABORTRETRYIGNORE
        {3, {IDYES, IDNO, IDCANCEL}},       // MB_YESNOCANCEL
        {2, {IDYES, IDNO}},                 // MB_YESNO
        {2, {IDRETRY, IDCANCEL}},           // MB_RETRYCANCEL
    };
    return sets[buttons < std::size(sets) ? buttons : 0];
}

}  // namespace

std::vector<int> MessageBoxRequest::Answers() const {
    const ButtonSet& set = ButtonsOf(Buttons());
    return {set.answers, set.answers + set.count};
}

int MessageBoxRequest::DefaultAnswer() const {
    const ButtonSet& set = ButtonsOf(Buttons());
    int index = DefaultIndex();
    if (index < 0 || index > 2) index = 0;
    return set.answers[std::min(index, set.count - 1)];
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
