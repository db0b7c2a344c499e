// The row a person worked on stays theirs: once a list is read anew after a save or
// an adjustment it is found again by the texts of its key columns and made the
// current row; after a delete its neighbour is. The drivers bring the current row
// into view.
#pragma once

#include <initializer_list>
#include <utility>
#include <vector>

#include "host/qxctlset/QXGrid.h"

namespace kel::screens {

class RowKey {
public:
    RowKey() = default;
    // The key of a data row: its texts in `columns` (trimmed). Empty for the header
    // or no row.
    static RowKey OfRow(const CQXGrid& grid, int row, std::initializer_list<int> columns);
    // Adds a column's text (trimmed), as a record the form stored gives it.
    RowKey& With(int column, const CString& text);
    bool IsEmpty() const { return m_cells.empty(); }
    // The first data row with the key; 0 when none has it (or the key is empty).
    int FindIn(const CQXGrid& grid) const;

private:
    std::vector<std::pair<int, CString>> m_cells;
};

// Makes the key's row the current, selected row and returns it; 0, the grid left as
// it was, when no row has the key.
int SelectKeyRow(CQXGrid& grid, const RowKey& key);

// After data row `removed` went: makes current the row that took its place, or the
// one above it when `removed` was the last; rows from `end` on (a total row) are not
// taken, -1 for none. Returns the row, 0 when no data row is left.
int SelectNeighbourOf(CQXGrid& grid, int removed, int end = -1);

}  // namespace kel::screens
