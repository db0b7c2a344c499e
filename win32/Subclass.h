// Window subclassing (comctl32's SetWindowSubclass and its kin) called through their
// ordinals: comctl32 names them only from its version 6 on, which a host program
// without the manifest for it never loads, and a DLL importing them by name would
// then not load at all.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace kel::win32 {

BOOL SetSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
BOOL RemoveSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kel::win32
