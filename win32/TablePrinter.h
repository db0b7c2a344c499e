// Printing a list on Windows: the system's print dialog chooses the printer (or a
// file, "Print to file"), and the list goes to it page by page: the title, then a
// table whose heading repeats on every page, each column as wide as its widest
// cell allows and shrunk together to the page's width.
#pragma once

#include <windows.h>

#include <string>

#include "host/win/UiDriver.h"

namespace kel::win32 {

// Asks for the printer over `owner` and prints; true when the person printed.
bool PrintWithDialog(HWND owner, const win::PrintJob& job);

// Draws the job's pages onto `dc` between StartPage and EndPage, inside a document
// the caller began; the number of pages.
int DrawPages(HDC dc, const win::PrintJob& job);

// Prints the job's pages onto a printer DC (or any DC with pages) as document
// `name`; `output` names a file to print into, empty for the printer. The number
// of pages printed, 0 when the document could not be made.
int PrintPages(HDC dc, const win::PrintJob& job, const std::wstring& output = L"");

}  // namespace kel::win32
