// What the screens share: the list-grid set-up of the search screens, the mark
// colour of highlighted rows, letters shown as text, and the checked copy of a
// field's text into a record field.
//
// Template layout: controls sit in the cells of a grid of rows and columns; a group
// box spans exactly the cells of the controls it encloses.
#pragma once

#include <cstddef>
#include <initializer_list>

#include "common/records/NumberBounds.h"
#include "host/qxctlset/QXGrid.h"
#include "host/win/Dialog.h"

namespace kel::screens {

// Rows the screens highlight (and total rows) are painted in this colour.
inline constexpr COLORREF kMarkColour = RGB(248, 108, 24);
inline constexpr int kGridRowHeight = 22;

struct GridColumn {
    const char* header;
    int width;            // 0 hides the column; its cells still hold data
    bool centred = true;  // header text centred (header format 1)
};

// One header row and these columns; read-only cells, one selected row at a time,
// whole-row selection, sorting by a click on a header, column 0 sorted as text.
// Data rows from before are dropped.
void SetUpListGrid(CQXGrid& grid, std::initializer_list<GridColumn> columns);

// Appends an empty data row of the standard height; returns its index.
int AppendGridRow(CQXGrid& grid);

// A one-letter record field as text: empty for NUL or a byte outside ASCII.
CString LetterText(char letter);

// The grid's selected data row; 0, after telling the user `message`, when none is.
int SelectedRow(CDialog& screen, const CQXGrid& grid, const char* message);

// The data row a grid's double-click names; 0 for the header or outside the rows.
// Marks the notification handled.
int DoubleClickedRow(NMHDR* notify, LRESULT* result);

// Asks "是否确定删除该纪录!" (Yes, No, No the default); true only for Yes.
bool ConfirmDelete(CDialog& screen);

// Tells the user why what was typed cannot be stored (OK button, exclamation
// icon) and puts the focus on control `nID` (when not 0). Returns false.
bool RefuseInput(CDialog& dialog, int nID, const CString& message);

// True when `value` (as the record holds it) is inside `bound`; otherwise tells
// the user, naming the field and the bound as the form shows it (`shift` 2: a
// fraction shown as a percentage), puts the focus on control `nID` and is false.
bool CheckBound(CDialog& dialog, int nID, const char* label, double value, kel::records::NumberBound bound,
                int shift = 0);

// Copies a field's text into a record field of `width` bytes (GBK). Text that GBK
// cannot hold, or that takes more than width - 1 bytes, is refused before anything
// is sent: a message names the field (and the character), the focus goes to
// control `nID` (when not 0), the result is false and the record field is untouched.
bool PutFieldText(CDialog& dialog, int nID, const char* fieldName, const CString& text, char* field, std::size_t width);

template <std::size_t N>
bool PutFieldText(CDialog& dialog, int nID, const char* fieldName, const CString& text, char (&field)[N]) {
    return PutFieldText(dialog, nID, fieldName, text, field, N);
}

}  // namespace kel::screens
