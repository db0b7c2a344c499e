#include "screens/GridPrint.h"

#include "host/qxctlset/QXGrid.h"
#include "host/win/UiDriver.h"

namespace kel::screens {

bool PrintGrid(const CWnd* owner, const CQXGrid& grid, const char* title) {
    win::PrintJob job;
    job.title = title ? title : "";
    const int fixed = grid.GetFixedRowCount();
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        std::vector<std::string> cells;
        for (int col = 0; col < grid.GetColumnCount(); ++col) {
            if (grid.IsColumnHidden(col)) continue;
            CString text = grid.GetDisplayText(row, col);
            text.TrimRight();
            cells.push_back(text.str());
        }
        if (row < fixed)
            job.headers = std::move(cells);
        else
            job.rows.push_back(std::move(cells));
    }
    return win::Driver().PrintTable(owner, job);
}

}  // namespace kel::screens
