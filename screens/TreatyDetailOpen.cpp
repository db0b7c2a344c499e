#include "screens/TreatyDetailOpen.h"

#include <optional>

#include "host/qxctlset/QXGrid.h"
#include "screens/NumberText.h"
#include "screens/S0000S7.h"
#include "screens/S0000S71.h"
#include "screens/S0000S73.h"

namespace kel::screens {
namespace {

CString Cell(const CQXGrid& grid, int row, int col) {
    CString text = grid.GetItemText(row, col);
    text.Trim();
    return text;
}

// The row's treaty data id; false after a message when the cell holds none.
bool ContIdOf(CBASEBASE& owner, const CQXGrid& grid, int row, int32_t& id) {
    const auto parsed = ParseInt(Cell(grid, row, CS0000S7::COL_CONT_ID).str());
    if (!parsed || *parsed <= 0) {
        owner.MessageBox("该记录没有合约资料编号!", nullptr, MB_OK);
        return false;
    }
    id = *parsed;
    return true;
}

}  // namespace

void RunDetailSearch(CBASEBASE& owner, const CQXGrid& grid, int row) {
    int32_t id = 0;
    if (!ContIdOf(owner, grid, row, id)) return;
    std::optional<CWaitCursor> wait(std::in_place);
    CS0000S71 screen(&owner);
    screen.m_nContId = id;
    screen.m_strContCode = Cell(grid, row, CS0000S7::COL_CONT_CODE);
    screen.m_strContNameCode = Cell(grid, row, CS0000S7::COL_CONT_NAME);
    screen.m_strStartDate = Cell(grid, row, CS0000S7::COL_START_DATE);
    screen.m_strEndDate = Cell(grid, row, CS0000S7::COL_END_DATE);
    screen.m_strContType = Cell(grid, row, CS0000S7::COL_CONT_TYPE);
    wait.reset();
    screen.DoModal();
}

void RunCheckResult(CBASEBASE& owner, const CQXGrid& grid, int row) {
    int32_t id = 0;
    if (!ContIdOf(owner, grid, row, id)) return;
    std::optional<CWaitCursor> wait(std::in_place);
    CS0000S73 screen(&owner);
    screen.m_nContId = id;
    screen.m_strContCode = Cell(grid, row, CS0000S7::COL_CONT_CODE);
    screen.m_strStartDate = Cell(grid, row, CS0000S7::COL_START_DATE);
    screen.m_strEndDate = Cell(grid, row, CS0000S7::COL_END_DATE);
    wait.reset();
    screen.DoModal();
}

}  // namespace kel::screens
