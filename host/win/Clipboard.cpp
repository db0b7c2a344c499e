#include <mutex>

#include "host/win/KeyInput.h"

namespace win {
namespace {
std::mutex g_mutex;
CString g_text;
}  // namespace

void Clipboard::SetText(const CString& text) {
    std::lock_guard lock(g_mutex);
    g_text = text;
}

CString Clipboard::GetText() {
    std::lock_guard lock(g_mutex);
    return g_text;
}

}  // namespace win
