#include "host/qxctlset/QXControls.h"

#include <memory>
#include <mutex>

#include "host/qxctlset/QXDateTime.h"
#include "host/qxctlset/QXGrid.h"
#include "host/win/DialogTemplate.h"

void RegisterQXControls() {
    static std::once_flag once;
    std::call_once(once, [] {
        win::RegisterControlFactory(win::ControlKind::Grid,
                                    []() -> std::unique_ptr<CWnd> { return std::make_unique<CQXGrid>(); });
        win::RegisterControlFactory(win::ControlKind::DateTime,
                                    []() -> std::unique_ptr<CWnd> { return std::make_unique<CQXDateTime>(); });
    });
}

namespace {
// Registers at load time, so that a program that only loads the library gets the models.
const bool kRegisteredAtLoad = (RegisterQXControls(), true);
}  // namespace
