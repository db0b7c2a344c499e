#include "win32/Subclass.h"

namespace kel::win32 {
namespace {

// comctl32's ordinals for these since version 5.8.
constexpr WORD kSetWindowSubclass = 410;
constexpr WORD kRemoveWindowSubclass = 412;
constexpr WORD kDefSubclassProc = 413;

template <class F>
F Resolve(WORD ordinal) {
    // Every window class the driver makes comes from comctl32: it is loaded.
    static const HMODULE comctl = LoadLibraryW(L"comctl32.dll");
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(comctl, MAKEINTRESOURCEA(ordinal))));
}

}  // namespace

BOOL SetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
    using Fn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
    static const Fn fn = Resolve<Fn>(kSetWindowSubclass);
    return fn ? fn(window, proc, id, data) : FALSE;
}

BOOL RemoveSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
    using Fn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR);
    static const Fn fn = Resolve<Fn>(kRemoveWindowSubclass);
    return fn ? fn(window, proc, id) : FALSE;
}

LRESULT DefSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    using Fn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
    static const Fn fn = Resolve<Fn>(kDefSubclassProc);
    return fn ? fn(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace kel::win32
