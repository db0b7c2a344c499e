// CQXGrid: the list grid of the screens. Row 0 is the fixed header row; the data
// rows below it are the screens' records, many of their cells in hidden columns
// (width 0). Program calls change the grid quietly; the User... calls are the
// person at the screen and raise the grid's click notifications to the parent.
// A row may instead stand for a record the screen keeps: the cells nothing was put
// in then give the text the grid's cell source makes from the record when asked, so
// a long list holds the texts it shows and not those of every hidden column.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <vector>

#include "host/win/UserActions.h"
#include "host/win/Wnd.h"

// What a click notification carries: the standard header, then the clicked row.
struct NM_GRIDVIEW {
    NMHDR hdr;
    int iRow;
    int iColumn;
};

class CQXGrid : public CWnd, public win::GridUser {
public:
    // Cell alignment flags of SetFixedFormat / SetNonFixedFormat.
    static constexpr int kAlignLeft = 0;
    static constexpr int kAlignCenter = 1;
    static constexpr int kAlignRight = 2;
    // Column types: plain text, an editable code column, a code column.
    static constexpr int kColumnText = 16;
    static constexpr int kColumnEditableCode = 32;
    static constexpr int kColumnCode = 48;
    // Sort kinds of SetColumnSortType.
    static constexpr int kSortText = 0;
    static constexpr int kSortNumeric = 1;
    // The colour of a cell nobody coloured.
    static constexpr COLORREF kDefaultBkColour = 0xFF000000;
    static constexpr int kDefaultRowHeight = 22;
    static constexpr int kDefaultColumnWidth = 80;

    using CodeLookup = std::function<CString(const CString& code)>;
    // The text of a column of the screen's record number `record`.
    using CellSource = std::function<CString(std::size_t record, int col)>;
    static constexpr std::size_t kNoRecord = static_cast<std::size_t>(-1);

    explicit CQXGrid(int nRows = 0, int nCols = 0, int nFixedRows = 0, int nFixedCols = 0);

    // Shape.
    BOOL SetRowCount(int nRows);
    BOOL SetColumnCount(int nCols);
    BOOL SetFixedRowCount(int nFixedRows);
    BOOL SetFixedColumnCount(int nFixedCols);
    int GetRowCount() const { return static_cast<int>(m_rows.size()); }
    int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
    int GetFixedRowCount() const { return m_nFixedRows; }
    int GetFixedColumnCount() const { return m_nFixedCols; }
    BOOL SetRowHeight(int row, int height);
    int GetRowHeight(int row) const;
    // Width 0 hides the column; its cells keep their data.
    BOOL SetColumnWidth(int col, int width);
    int GetColumnWidth(int col) const { return ValidCol(col) ? m_columns[static_cast<size_t>(col)].width : -1; }
    bool IsColumnHidden(int col) const { return GetColumnWidth(col) == 0; }

    // Alignment: header cells (fixed rows) and data cells of a column.
    BOOL SetFixedFormat(int col, int format);
    BOOL SetNonFixedFormat(int col, int format);
    int GetFixedFormat(int col) const;
    int GetNonFixedFormat(int col) const;
    // The alignment a cell is drawn with (kAlign...).
    int GetCellAlignment(int row, int col) const;

    // Cells. The flag of SetItemText is accepted for the screens' sake and has no effect.
    BOOL SetItemText(int row, int col, LPCTSTR text, int nFlag = 1);
    // A cell nothing was put in gives its row's record's text (see SetRowRecord).
    CString GetItemText(int row, int col) const;
    BOOL SetItemBkColour(int row, int col, COLORREF colour);
    COLORREF GetItemBkColour(int row, int col) const;

    // Rows. InsertRow puts the row before `index`, or at the end for -1; the text goes
    // into column 0. Returns the new row's index, -1 when there are no columns.
    int InsertRow(LPCTSTR heading, int index = -1);
    // Removes a data row; header rows stay. The current row follows its row.
    BOOL DeleteRow(int row);
    // Removes every data row; the header row, the columns and their settings stay.
    BOOL DeleteAllItems();
    // The row stands for the screen's record number `record` (kNoRecord: for none);
    // the number moves with the row when rows are sorted or deleted. The source is
    // asked for the text of each cell of such a row that nothing was put in.
    BOOL SetRowRecord(int row, std::size_t record);
    std::size_t GetRowRecord(int row) const;
    void SetCellSource(CellSource source);

    // The current row (-1 when none) and the selection.
    int GetRow() const { return m_nCurrentRow; }
    int GetFocusColumn() const { return m_nFocusCol; }
    // bSelect: the row becomes the current, selected row (in single-row selection the
    // only one). !bSelect: the row is deselected; if it was current, no row is.
    BOOL SelectRow(int row, BOOL bSelect = TRUE);
    BOOL SetFocusCell(int row, int col);
    bool IsRowSelected(int row) const;

    // Code columns (types 32 and 48) keep the code in the cell and show the name the
    // lookup gives for it (the code itself when it gives none).
    BOOL SetColumnType(int col, int type);
    int GetColumnType(int col) const;
    void SetCodeLookup(int col, CodeLookup lookup);
    // What the cell shows.
    CString GetDisplayText(int row, int col) const;

    // Behaviour switches.
    void SetEditable(BOOL b = TRUE) { SetFlag(m_bEditable, b); }
    bool IsEditable() const { return m_bEditable; }
    void SetSelectMultiRow(BOOL b = TRUE) { SetFlag(m_bMultiRow, b); }
    bool IsSelectMultiRow() const { return m_bMultiRow; }
    void SetListMode(BOOL b = TRUE) { SetFlag(m_bListMode, b); }
    bool IsListMode() const { return m_bListMode; }
    void EnableSelection(BOOL b = TRUE);
    bool IsSelectionEnabled() const { return m_bSelection; }
    void SetRowResize(BOOL b = TRUE) { SetFlag(m_bRowResize, b); }
    bool IsRowResize() const { return m_bRowResize; }
    void SetColumnResize(BOOL b = TRUE) { SetFlag(m_bColumnResize, b); }
    bool IsColumnResize() const { return m_bColumnResize; }

    // Sorting by clicking a header.
    void SetHeaderSort(BOOL b = TRUE) { SetFlag(m_bHeaderSort, b); }
    bool IsHeaderSort() const { return m_bHeaderSort; }
    BOOL SetColumnSortType(int col, int kind);
    int GetColumnSortType(int col) const;
    // Sorts the data rows by a column; rows move whole (cells, colours, selection)
    // and the current row follows its row. Equal keys keep their order. The sort
    // is forgotten (no column shows an arrow) once the program adds rows or
    // changes a cell of the sort column: the rows are then in its order, not the
    // column's.
    void SortByColumn(int col, bool ascending);
    int GetSortColumn() const { return m_nSortCol; }
    bool IsSortAscending() const { return m_bSortAscending; }

    void Refresh() { Invalidate(); }

    // The person at the screen. A click on a data row makes it current (and selected
    // when selection is on) and sends 0xfffe; a double click does the same and sends
    // 0xfffd. A click on a header row or outside the rows changes nothing but is
    // reported with that row. Return the parent's result.
    LRESULT UserClickRow(int row) override;
    LRESULT UserDoubleClickRow(int row) override;
    LRESULT UserClickCell(int row, int col, bool doubleClick = false);
    // Sorts by the column when header sorting is on; a second click on the same
    // column reverses the order.
    void UserClickHeader(int col) override;
    // Enter with the grid focused on a data row does what a double click on it
    // does (0xfffd); the dialog asks first (WM_GETDLGCODE), so that Enter on a
    // grid without a current row is the dialog's.
    LRESULT UserPressEnter();
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The context menu. "复制": the selected data rows (the current one when none is
    // selected) as tab-separated text on the clipboard; false when there is none.
    // "导出...": the visible columns with the header as a CSV file a spreadsheet
    // opens (UTF-8 with a byte-order mark); a file that cannot be written is told in
    // a message box and gives false.
    bool UserCopyRows();
    bool UserExport(const CString& path);

private:
    struct Cell {
        CString text;
        COLORREF bk = kDefaultBkColour;
        bool put = false;  // text was put in the cell: the record's is not asked for
    };
    struct Row {
        // Only as many as the columns written hold: the others are empty, or the
        // record's.
        std::vector<Cell> cells;
        int height = kDefaultRowHeight;
        bool selected = false;
        std::size_t record = kNoRecord;
    };
    struct Column {
        int width = kDefaultColumnWidth;
        int fixedFormat = kAlignLeft;
        int nonFixedFormat = kAlignLeft;
        int type = kColumnText;
        int sortKind = kSortText;
    };

    bool ValidRow(int row) const { return row >= 0 && row < GetRowCount(); }
    bool ValidCol(int col) const { return col >= 0 && col < GetColumnCount(); }
    bool ValidCell(int row, int col) const { return ValidRow(row) && ValidCol(col); }
    bool IsDataRow(int row) const { return ValidRow(row) && row >= GetFixedRowCount(); }
    // The cell to write, the row's cells growing to hold it.
    Cell& CellToWrite(int row, int col);
    const Cell* CellAt(int row, int col) const;
    void ClearSelection();
    void SetFlag(bool& flag, BOOL value);
    void ForgetSort();
    void CountShownSpan();
    int FirstVisibleColumn() const;

    std::vector<Row> m_rows;
    std::vector<Column> m_columns;
    std::size_t m_shownSpan = 0;  // the columns up to the last shown one
    // Kept apart from the columns so that a grid set up again keeps its code lists.
    std::map<int, CodeLookup> m_lookups;
    CellSource m_source;
    int m_nFixedRows = 0;
    int m_nFixedCols = 0;
    int m_nCurrentRow = -1;
    int m_nFocusCol = -1;
    bool m_bEditable = true;
    bool m_bMultiRow = true;
    bool m_bListMode = false;
    bool m_bSelection = true;
    bool m_bRowResize = true;
    bool m_bColumnResize = true;
    bool m_bHeaderSort = false;
    int m_nSortCol = -1;
    bool m_bSortAscending = true;
};
