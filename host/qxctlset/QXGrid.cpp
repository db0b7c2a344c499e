#include "host/qxctlset/QXGrid.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <string>

#include "host/qxctlset/GridSortKey.h"
#include "host/qxctlset/QXControls.h"
#include "host/win/Dialog.h"

CQXGrid::CQXGrid(int nRows, int nCols, int nFixedRows, int nFixedCols) {
    RegisterQXControls();
    SetKind(win::ControlKind::Grid);
    SetColumnCount(nCols);
    SetRowCount(nRows);
    SetFixedRowCount(nFixedRows);
    SetFixedColumnCount(nFixedCols);
}

CQXGrid::Cell& CQXGrid::CellToWrite(int row, int col) {
    std::vector<Cell>& cells = m_rows[static_cast<size_t>(row)].cells;
    const size_t c = static_cast<size_t>(col);
    if (c >= cells.size()) {
        // One step to the shown columns, one to all: a list whose hidden columns
        // are its records' holds the shown ones only.
        cells.resize(c < m_shownSpan ? m_shownSpan : m_columns.size());
    }
    return cells[c];
}

const CQXGrid::Cell* CQXGrid::CellAt(int row, int col) const {
    const std::vector<Cell>& cells = m_rows[static_cast<size_t>(row)].cells;
    return static_cast<size_t>(col) < cells.size() ? &cells[static_cast<size_t>(col)] : nullptr;
}

// ---- shape

BOOL CQXGrid::SetRowCount(int nRows) {
    if (nRows < 0) return FALSE;
    size_t n = static_cast<size_t>(nRows);
    if (n != m_rows.size()) ForgetSort();
    if (n < m_rows.size()) {
        m_rows.resize(n);
        if (m_nCurrentRow >= nRows) m_nCurrentRow = -1;
    } else {
        m_rows.reserve(n);
        m_rows.resize(n);
    }
    Notify(win::Aspect::Structure);
    return TRUE;
}

BOOL CQXGrid::SetColumnCount(int nCols) {
    if (nCols < 0) return FALSE;
    size_t n = static_cast<size_t>(nCols);
    m_columns.resize(n);
    CountShownSpan();
    for (Row& row : m_rows)
        if (row.cells.size() > n) row.cells.resize(n);
    if (m_nFocusCol >= nCols) m_nFocusCol = -1;
    if (m_nSortCol >= nCols) m_nSortCol = -1;
    Notify(win::Aspect::Structure);
    return TRUE;
}

BOOL CQXGrid::SetFixedRowCount(int nFixedRows) {
    if (nFixedRows < 0) return FALSE;
    m_nFixedRows = nFixedRows;
    if (GetRowCount() < nFixedRows) SetRowCount(nFixedRows);
    // Header rows are never selected.
    for (int r = 0; r < std::min(nFixedRows, GetRowCount()); ++r) m_rows[static_cast<size_t>(r)].selected = false;
    Notify(win::Aspect::Structure);
    return TRUE;
}

BOOL CQXGrid::SetFixedColumnCount(int nFixedCols) {
    if (nFixedCols < 0) return FALSE;
    m_nFixedCols = nFixedCols;
    if (GetColumnCount() < nFixedCols) SetColumnCount(nFixedCols);
    Notify(win::Aspect::Structure);
    return TRUE;
}

BOOL CQXGrid::SetRowHeight(int row, int height) {
    if (!ValidRow(row) || height < 0) return FALSE;
    m_rows[static_cast<size_t>(row)].height = height;
    Notify(win::Aspect::Structure);
    return TRUE;
}

int CQXGrid::GetRowHeight(int row) const { return ValidRow(row) ? m_rows[static_cast<size_t>(row)].height : -1; }

BOOL CQXGrid::SetColumnWidth(int col, int width) {
    if (!ValidCol(col) || width < 0) return FALSE;
    m_columns[static_cast<size_t>(col)].width = width;
    CountShownSpan();
    Notify(win::Aspect::Structure);
    return TRUE;
}

void CQXGrid::CountShownSpan() {
    m_shownSpan = m_columns.size();
    while (m_shownSpan > 0 && m_columns[m_shownSpan - 1].width == 0) --m_shownSpan;
}

// ---- alignment

BOOL CQXGrid::SetFixedFormat(int col, int format) {
    if (!ValidCol(col)) return FALSE;
    m_columns[static_cast<size_t>(col)].fixedFormat = format;
    Notify(win::Aspect::Style);
    return TRUE;
}

BOOL CQXGrid::SetNonFixedFormat(int col, int format) {
    if (!ValidCol(col)) return FALSE;
    m_columns[static_cast<size_t>(col)].nonFixedFormat = format;
    Notify(win::Aspect::Style);
    return TRUE;
}

int CQXGrid::GetFixedFormat(int col) const {
    return ValidCol(col) ? m_columns[static_cast<size_t>(col)].fixedFormat : 0;
}

int CQXGrid::GetNonFixedFormat(int col) const {
    return ValidCol(col) ? m_columns[static_cast<size_t>(col)].nonFixedFormat : 0;
}

int CQXGrid::GetCellAlignment(int row, int col) const {
    int format = row < m_nFixedRows ? GetFixedFormat(col) : GetNonFixedFormat(col);
    if (format & kAlignRight) return kAlignRight;
    if (format & kAlignCenter) return kAlignCenter;
    return kAlignLeft;
}

// ---- cells

BOOL CQXGrid::SetItemText(int row, int col, LPCTSTR text, int) {
    if (!ValidCell(row, col)) return FALSE;
    if (col == m_nSortCol && row >= m_nFixedRows && GetItemText(row, col) != CString(text)) ForgetSort();
    Cell& cell = CellToWrite(row, col);
    cell.text = text;
    cell.put = true;
    Notify(win::Aspect::Cells);
    return TRUE;
}

CString CQXGrid::GetItemText(int row, int col) const {
    if (!ValidCell(row, col)) return CString();
    const Cell* cell = CellAt(row, col);
    if (cell && cell->put) return cell->text;
    const size_t record = m_rows[static_cast<size_t>(row)].record;
    if (record != kNoRecord && m_source) return m_source(record, col);
    return cell ? cell->text : CString();
}

BOOL CQXGrid::SetItemBkColour(int row, int col, COLORREF colour) {
    if (!ValidCell(row, col)) return FALSE;
    CellToWrite(row, col).bk = colour;
    Notify(win::Aspect::Cells);
    return TRUE;
}

COLORREF CQXGrid::GetItemBkColour(int row, int col) const {
    if (!ValidCell(row, col)) return kDefaultBkColour;
    const Cell* cell = CellAt(row, col);
    return cell ? cell->bk : kDefaultBkColour;
}

// ---- rows

int CQXGrid::InsertRow(LPCTSTR heading, int index) {
    if (m_columns.empty()) return -1;
    if (index < 0 || index >= GetRowCount()) index = GetRowCount();
    Row row;
    if (heading && *heading) {
        row.cells.resize(m_columns.size());
        row.cells[0].text = heading;
        row.cells[0].put = true;
    }
    if (index >= m_nFixedRows) ForgetSort();
    m_rows.insert(m_rows.begin() + index, std::move(row));
    if (m_nCurrentRow >= index) ++m_nCurrentRow;
    Notify(win::Aspect::Structure);
    return index;
}

BOOL CQXGrid::DeleteRow(int row) {
    if (!IsDataRow(row)) return FALSE;
    m_rows.erase(m_rows.begin() + row);
    // The deleted row's successor must not silently become the target of the next
    // action: no row is current after deleting the current one.
    if (m_nCurrentRow == row)
        m_nCurrentRow = -1;
    else if (m_nCurrentRow > row)
        --m_nCurrentRow;
    Notify(win::Aspect::Structure);
    return TRUE;
}

BOOL CQXGrid::DeleteAllItems() {
    if (GetRowCount() > m_nFixedRows) m_rows.erase(m_rows.begin() + m_nFixedRows, m_rows.end());
    m_nCurrentRow = -1;
    m_nFocusCol = -1;
    ForgetSort();
    Notify(win::Aspect::Structure);
    return TRUE;
}

BOOL CQXGrid::SetRowRecord(int row, std::size_t record) {
    if (!IsDataRow(row)) return FALSE;
    m_rows[static_cast<size_t>(row)].record = record;
    Notify(win::Aspect::Cells);
    return TRUE;
}

std::size_t CQXGrid::GetRowRecord(int row) const {
    return IsDataRow(row) ? m_rows[static_cast<size_t>(row)].record : kNoRecord;
}

void CQXGrid::SetCellSource(CellSource source) {
    m_source = std::move(source);
    Notify(win::Aspect::Cells);
}

// ---- current row and selection

void CQXGrid::ClearSelection() {
    for (Row& row : m_rows) row.selected = false;
}

BOOL CQXGrid::SelectRow(int row, BOOL bSelect) {
    if (!ValidRow(row)) return FALSE;
    Row& target = m_rows[static_cast<size_t>(row)];
    if (bSelect) {
        if (!m_bMultiRow) ClearSelection();
        target.selected = m_bSelection && row >= m_nFixedRows;
        m_nCurrentRow = row;
    } else {
        target.selected = false;
        if (m_nCurrentRow == row) m_nCurrentRow = -1;
    }
    Notify(win::Aspect::Selection);
    return TRUE;
}

BOOL CQXGrid::SetFocusCell(int row, int col) {
    if ((row != -1 && !ValidRow(row)) || (col != -1 && !ValidCol(col))) return FALSE;
    m_nCurrentRow = row;
    m_nFocusCol = col;
    Notify(win::Aspect::Selection);
    return TRUE;
}

bool CQXGrid::IsRowSelected(int row) const { return ValidRow(row) && m_rows[static_cast<size_t>(row)].selected; }

void CQXGrid::EnableSelection(BOOL b) {
    m_bSelection = b != FALSE;
    if (!m_bSelection) ClearSelection();
    Notify(win::Aspect::Style);
}

void CQXGrid::ForgetSort() {
    m_nSortCol = -1;
    m_bSortAscending = true;
}

void CQXGrid::SetFlag(bool& flag, BOOL value) {
    flag = value != FALSE;
    Notify(win::Aspect::Style);
}

// ---- code columns

BOOL CQXGrid::SetColumnType(int col, int type) {
    if (!ValidCol(col)) return FALSE;
    if (m_columns[static_cast<size_t>(col)].type == type) return TRUE;  // each row of a fill says it again
    m_columns[static_cast<size_t>(col)].type = type;
    Notify(win::Aspect::Cells);
    return TRUE;
}

int CQXGrid::GetColumnType(int col) const { return ValidCol(col) ? m_columns[static_cast<size_t>(col)].type : 0; }

void CQXGrid::SetCodeLookup(int col, CodeLookup lookup) {
    if (col < 0) return;
    if (lookup)
        m_lookups[col] = std::move(lookup);
    else
        m_lookups.erase(col);
    Notify(win::Aspect::Cells);
}

CString CQXGrid::GetDisplayText(int row, int col) const {
    if (!ValidCell(row, col)) return CString();
    const CString text = GetItemText(row, col);
    int type = m_columns[static_cast<size_t>(col)].type;
    if (row < m_nFixedRows || text.IsEmpty() || (type != kColumnCode && type != kColumnEditableCode)) return text;
    auto it = m_lookups.find(col);
    if (it == m_lookups.end()) return text;
    CString name = it->second(text);
    return name.IsEmpty() ? text : name;
}

// ---- sorting

BOOL CQXGrid::SetColumnSortType(int col, int kind) {
    if (!ValidCol(col)) return FALSE;
    m_columns[static_cast<size_t>(col)].sortKind = kind;
    return TRUE;
}

int CQXGrid::GetColumnSortType(int col) const {
    return ValidCol(col) ? m_columns[static_cast<size_t>(col)].sortKind : kSortText;
}

void CQXGrid::SortByColumn(int col, bool ascending) {
    if (!ValidCol(col)) return;
    m_nSortCol = col;
    m_bSortAscending = ascending;
    const int first = std::min(m_nFixedRows, GetRowCount());
    const size_t count = static_cast<size_t>(GetRowCount() - first);
    if (count < 2) {
        Notify(win::Aspect::Cells);
        return;
    }

    // Keys are computed once per row; the sort then moves indices only.
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), size_t{0});
    auto sortBy = [&](const auto& keys, auto less) {
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return ascending ? less(keys[a], keys[b]) : less(keys[b], keys[a]);
        });
    };
    if (GetColumnSortType(col) == kSortNumeric) {
        std::vector<std::optional<double>> keys(count);
        for (size_t i = 0; i < count; ++i)
            keys[i] = kel::grid::NumericSortValue(GetDisplayText(first + static_cast<int>(i), col).str());
        sortBy(keys, kel::grid::NumericLess);
    } else {
        std::vector<std::string> keys(count);
        for (size_t i = 0; i < count; ++i)
            keys[i] = kel::grid::TextSortKey(GetDisplayText(first + static_cast<int>(i), col).str());
        sortBy(keys, [](const std::string& a, const std::string& b) { return a < b; });
    }

    std::vector<Row> sorted;
    sorted.reserve(count);
    std::vector<int> newIndex(count);
    for (size_t i = 0; i < count; ++i) {
        sorted.push_back(std::move(m_rows[static_cast<size_t>(first) + order[i]]));
        newIndex[order[i]] = first + static_cast<int>(i);
    }
    std::move(sorted.begin(), sorted.end(), m_rows.begin() + first);
    if (m_nCurrentRow >= first) m_nCurrentRow = newIndex[static_cast<size_t>(m_nCurrentRow - first)];
    Notify(win::Aspect::Cells);
}

// ---- the person at the screen

int CQXGrid::FirstVisibleColumn() const {
    for (int c = 0; c < GetColumnCount(); ++c)
        if (m_columns[static_cast<size_t>(c)].width > 0) return c;
    return GetColumnCount() > 0 ? 0 : -1;
}

LRESULT CQXGrid::UserClickRow(int row) { return UserClickCell(row, FirstVisibleColumn(), false); }

LRESULT CQXGrid::UserDoubleClickRow(int row) { return UserClickCell(row, FirstVisibleColumn(), true); }

LRESULT CQXGrid::UserClickCell(int row, int col, bool doubleClick) {
    if (!IsWindowEnabled() || !IsWindowVisible()) return 0;
    SetFocus();
    if (!ValidRow(row)) row = -1;
    if (!ValidCol(col)) col = -1;
    if (IsDataRow(row)) {
        // A plain click selects the one row, whatever the selection mode.
        ClearSelection();
        m_rows[static_cast<size_t>(row)].selected = m_bSelection;
        m_nCurrentRow = row;
        m_nFocusCol = col;
        Notify(win::Aspect::Selection);
    }
    NM_GRIDVIEW nm{};
    nm.hdr.code = doubleClick ? GVN_DBLCLICK : GVN_CLICK;
    nm.iRow = row;
    nm.iColumn = col;
    return NotifyParentNm(nm.hdr);
}

void CQXGrid::UserClickHeader(int col) {
    if (!IsWindowEnabled() || !IsWindowVisible() || !m_bHeaderSort || !ValidCol(col)) return;
    bool ascending = col == m_nSortCol ? !m_bSortAscending : true;
    SortByColumn(col, ascending);
}

LRESULT CQXGrid::UserPressEnter() {
    if (!IsWindowEnabled() || !IsWindowVisible() || !IsDataRow(m_nCurrentRow)) return 0;
    return UserClickCell(m_nCurrentRow, m_nFocusCol >= 0 ? m_nFocusCol : FirstVisibleColumn(), true);
}

LRESULT CQXGrid::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETDLGCODE && wParam == VK_RETURN) return IsDataRow(m_nCurrentRow) ? DLGC_WANTALLKEYS : 0;
    if (message == WM_KEYDOWN && wParam == VK_RETURN) return UserPressEnter();
    return CWnd::WindowProc(message, wParam, lParam);
}
