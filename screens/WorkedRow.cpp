#include "screens/WorkedRow.h"

namespace kel::screens {
namespace {

CString Trimmed(CString text) {
    text.Trim();
    return text;
}

}  // namespace

RowKey RowKey::OfRow(const CQXGrid& grid, int row, std::initializer_list<int> columns) {
    RowKey key;
    if (row < grid.GetFixedRowCount() || row >= grid.GetRowCount()) return key;
    for (int col : columns) key.With(col, grid.GetItemText(row, col));
    return key;
}

RowKey& RowKey::With(int column, const CString& text) {
    m_cells.emplace_back(column, Trimmed(text));
    return *this;
}

int RowKey::FindIn(const CQXGrid& grid) const {
    if (m_cells.empty()) return 0;
    for (int row = grid.GetFixedRowCount(); row < grid.GetRowCount(); ++row) {
        bool same = true;
        for (const auto& [col, text] : m_cells) same = same && Trimmed(grid.GetItemText(row, col)) == text;
        if (same) return row;
    }
    return 0;
}

int SelectKeyRow(CQXGrid& grid, const RowKey& key) {
    const int row = key.FindIn(grid);
    if (row > 0) grid.SelectRow(row, TRUE);
    return row;
}

int SelectNeighbourOf(CQXGrid& grid, int removed, int end) {
    if (end < 0 || end > grid.GetRowCount()) end = grid.GetRowCount();
    const int first = grid.GetFixedRowCount();
    const int row = removed < end ? removed : end - 1;
    if (row < first || row < 1) return 0;
    grid.SelectRow(row, TRUE);
    return row;
}

}  // namespace kel::screens
