#include "win32/Library.h"

namespace kel::win32 {

HINSTANCE ThisLibrary() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisLibrary), &self);
    return self;
}

}  // namespace kel::win32
