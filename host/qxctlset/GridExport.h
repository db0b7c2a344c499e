// Lists leave the program: a grid's rows as tab-separated text for the clipboard
// and as a CSV file for a spreadsheet. Cells are taken as the grid shows them (a
// code column gives the code list's name); hidden columns, which hold the screens'
// working data, stay behind.
#pragma once

#include <string>
#include <vector>

class CQXGrid;

namespace kel::grid {

// The columns the grid shows (width above 0), left to right.
std::vector<int> VisibleColumns(const CQXGrid& grid);
// The data rows to copy: the selected ones, else the current one, else none.
std::vector<int> RowsToCopy(const CQXGrid& grid);
// The rows as lines of tab-separated cells, "\r\n" after each; a tab or line break
// inside a cell becomes a blank.
std::string TabText(const CQXGrid& grid, const std::vector<int>& rows);
// The header row(s) and every data row as CSV (RFC 4180: fields with a comma, a
// quote or a line break quoted, "\r\n" line ends), UTF-8 behind a byte-order mark
// so that a spreadsheet reads the Chinese as Chinese.
std::string CsvText(const CQXGrid& grid);
// Writes `contents` to `path` whole or not at all (a file beside it, then renamed);
// false with the reason in `error` when it cannot.
bool WriteFileWhole(const std::string& path, const std::string& contents, std::string& error);

}  // namespace kel::grid
