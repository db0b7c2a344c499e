// The way from a treaty data search row to its details and its check: the screens
// take the row's id, code, dates and type text from the search grid's cells.
#pragma once

class CBASEBASE;
class CQXGrid;

namespace kel::screens {

// Runs the detail search (with the wait cursor while it starts) for the row.
void RunDetailSearch(CBASEBASE& owner, const CQXGrid& searchGrid, int row);
// Runs the check result for the row.
void RunCheckResult(CBASEBASE& owner, const CQXGrid& searchGrid, int row);

}  // namespace kel::screens
