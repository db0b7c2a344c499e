// Printing a list grid as the user sees it: its shown columns (hidden ones stay
// out), header and rows, code columns by name. The driver shows the preview.
#pragma once

class CQXGrid;
class CWnd;

namespace kel::screens {

// True when the list was printed.
bool PrintGrid(const CWnd* owner, const CQXGrid& grid, const char* title);

}  // namespace kel::screens
