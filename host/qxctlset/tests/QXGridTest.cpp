#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "host/qxctlset/GridExport.h"
#include "host/qxctlset/QXGrid.h"
#include "host/win/KeyInput.h"

namespace {

constexpr COLORREF kMarked = RGB(248, 108, 24);

// The set-up of a list screen: one header row, five columns, the fifth hidden.
void SetUpList(CQXGrid& grid) {
    grid.SetRowCount(1);
    grid.SetColumnCount(5);
    grid.SetFixedRowCount(1);
    grid.SetRowHeight(0, 22);
    const int widths[] = {53, 400, 400, 73, 0};
    const char* headers[] = {"代码", "中文名称", "英文名称", "类型", ""};
    for (int c = 0; c < 5; ++c) {
        grid.SetColumnWidth(c, widths[c]);
        grid.SetItemText(0, c, headers[c], 1);
        if (c < 4) grid.SetFixedFormat(c, 1);
    }
    grid.SetEditable(FALSE);
    grid.SetSelectMultiRow(FALSE);
    grid.SetListMode(TRUE);
    grid.SetHeaderSort(TRUE);
    grid.SetColumnSortType(0, 0);
}

int AddRow(CQXGrid& grid, std::vector<std::string> cells) {
    int row = grid.InsertRow("", -1);
    grid.SetRowHeight(row, 22);
    for (size_t c = 0; c < cells.size(); ++c) grid.SetItemText(row, static_cast<int>(c), cells[c].c_str(), 1);
    return row;
}

std::vector<std::string> Column(const CQXGrid& grid, int col) {
    std::vector<std::string> out;
    for (int r = 1; r < grid.GetRowCount(); ++r) out.push_back(grid.GetItemText(r, col).str());
    return out;
}

}  // namespace

TEST(QXGrid, ListSetUpGivesAHeaderRowWithNoCurrentRowAndHiddenColumnsKeepTheirData) {
    CQXGrid grid(0, 0, 0, 0);
    EXPECT_EQ(grid.GetRowCount(), 0);
    SetUpList(grid);
    EXPECT_EQ(grid.GetRowCount(), 1);
    EXPECT_EQ(grid.GetColumnCount(), 5);
    EXPECT_EQ(grid.GetRow(), -1);
    EXPECT_FALSE(grid.SelectRow(1, TRUE));  // an empty answer: row 1 does not exist
    EXPECT_EQ(grid.GetRow(), -1);

    EXPECT_EQ(AddRow(grid, {"QA", "成数一", "Quota 1", "A", "Y"}), 1);
    EXPECT_EQ(AddRow(grid, {"SU", "溢额一", "Surplus 1", "E", "N"}), 2);
    EXPECT_TRUE(grid.IsColumnHidden(4));
    EXPECT_EQ(grid.GetItemText(1, 4), "Y");
    EXPECT_EQ(grid.GetItemText(0, 1), "中文名称");
    EXPECT_EQ(grid.GetRowCount(), 3);

    EXPECT_EQ(grid.GetCellAlignment(0, 1), CQXGrid::kAlignCenter);
    EXPECT_EQ(grid.GetCellAlignment(1, 1), CQXGrid::kAlignLeft);
    grid.SetNonFixedFormat(3, 2);
    EXPECT_EQ(grid.GetCellAlignment(2, 3), CQXGrid::kAlignRight);
    EXPECT_EQ(grid.GetCellAlignment(0, 4), CQXGrid::kAlignLeft);

    EXPECT_TRUE(grid.SelectRow(1, TRUE));
    EXPECT_EQ(grid.GetRow(), 1);
    EXPECT_EQ(grid.GetItemText(7, 0), "");  // outside the grid: nothing, no crash
    EXPECT_FALSE(grid.SetItemText(7, 0, "x"));
}

TEST(QXGrid, TextSortFollowsGbkOrderAndMovesWholeRowsWithTheCurrentRow) {
    CQXGrid grid;
    SetUpList(grid);
    // In UTF-8 these would sort 中 < 北 < 阿; in GBK (pinyin) 阿 < 北 < 中.
    AddRow(grid, {"ZG", "中国", "", "A", "N"});
    AddRow(grid, {"AL", "阿里", "", "C", "N"});
    int marked = AddRow(grid, {"BJ", "北京", "", "D", "Y"});
    for (int c = 0; c < 5; ++c) grid.SetItemBkColour(marked, c, kMarked);
    grid.SelectRow(1, TRUE);  // 中国

    grid.UserClickHeader(1);
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"阿里", "北京", "中国"}));
    EXPECT_EQ(Column(grid, 4), (std::vector<std::string>{"N", "Y", "N"}));  // hidden cells move too
    EXPECT_EQ(grid.GetItemText(0, 1), "中文名称");                          // the header stays
    EXPECT_EQ(grid.GetItemBkColour(2, 4), kMarked);
    EXPECT_EQ(grid.GetItemBkColour(1, 0), CQXGrid::kDefaultBkColour);
    EXPECT_EQ(grid.GetRow(), 3);
    EXPECT_EQ(grid.GetItemText(grid.GetRow(), 0), "ZG");
    EXPECT_TRUE(grid.IsRowSelected(3));

    grid.UserClickHeader(1);  // again: reversed
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"中国", "北京", "阿里"}));
    EXPECT_EQ(grid.GetRow(), 1);
    EXPECT_EQ(grid.GetItemBkColour(2, 0), kMarked);

    grid.UserClickHeader(0);  // another column starts ascending
    EXPECT_EQ(Column(grid, 0), (std::vector<std::string>{"AL", "BJ", "ZG"}));
    EXPECT_TRUE(grid.IsSortAscending());
}

TEST(QXGrid, NumericSortIgnoresCommasAndPutsNonNumbersFirst) {
    CQXGrid grid;
    SetUpList(grid);
    grid.SetColumnSortType(0, 1);
    for (const char* v : {"1,200.50", "30", "", "abc", "-5", "100"}) AddRow(grid, {v});
    grid.UserClickHeader(0);
    EXPECT_EQ(Column(grid, 0), (std::vector<std::string>{"", "abc", "-5", "30", "100", "1,200.50"}));
    grid.UserClickHeader(0);
    EXPECT_EQ(Column(grid, 0), (std::vector<std::string>{"1,200.50", "100", "30", "-5", "", "abc"}));
}

TEST(QXGrid, HeaderClicksSortOnlyWhenHeaderSortIsOn) {
    CQXGrid grid;
    SetUpList(grid);
    grid.SetHeaderSort(FALSE);
    AddRow(grid, {"B"});
    AddRow(grid, {"A"});
    grid.UserClickHeader(0);
    EXPECT_EQ(Column(grid, 0), (std::vector<std::string>{"B", "A"}));
    grid.SetHeaderSort(TRUE);
    grid.EnableWindow(FALSE);
    grid.UserClickHeader(0);
    EXPECT_EQ(Column(grid, 0), (std::vector<std::string>{"B", "A"}));
}

TEST(QXGrid, CodeColumnsShowNamesButKeepTheirCodes) {
    CQXGrid grid;
    SetUpList(grid);
    std::map<std::string, std::string> names{{"R01", "甲再保险"}, {"R02", "乙再保险"}};
    grid.SetCodeLookup(1, [&](const CString& code) {
        auto it = names.find(code.str());
        return it == names.end() ? CString() : CString(it->second);
    });
    grid.SetColumnType(1, CQXGrid::kColumnCode);
    AddRow(grid, {"R02", "R02"});
    AddRow(grid, {"R01", "R01"});
    AddRow(grid, {"R99", "R99"});
    EXPECT_EQ(grid.GetItemText(1, 1), "R02");
    EXPECT_EQ(grid.GetDisplayText(1, 1), "乙再保险");
    EXPECT_EQ(grid.GetDisplayText(3, 1), "R99");       // no name: the code
    EXPECT_EQ(grid.GetDisplayText(0, 1), "中文名称");  // headers are not codes
    EXPECT_EQ(grid.GetDisplayText(1, 0), "R02");       // a text column

    grid.UserClickHeader(1);  // sorts by what is shown: 甲 < 乙 < R99 (ASCII first)
    EXPECT_EQ(Column(grid, 1), (std::vector<std::string>{"R99", "R01", "R02"}));

    grid.DeleteAllItems();  // a reload keeps the code list
    AddRow(grid, {"R01", "R01"});
    EXPECT_EQ(grid.GetDisplayText(1, 1), "甲再保险");
}

TEST(QXGrid, DeletingRowsKeepsTheCurrentRowOnItsRecord) {
    CQXGrid grid;
    SetUpList(grid);
    for (const char* code : {"A", "B", "C", "D"}) AddRow(grid, {code});
    grid.SelectRow(3, TRUE);  // C
    EXPECT_TRUE(grid.DeleteRow(1));
    EXPECT_EQ(grid.GetRow(), 2);
    EXPECT_EQ(grid.GetItemText(grid.GetRow(), 0), "C");
    EXPECT_TRUE(grid.DeleteRow(2));  // the current row itself: none is current
    EXPECT_EQ(grid.GetRow(), -1);
    EXPECT_FALSE(grid.DeleteRow(0));  // the header stays
    EXPECT_FALSE(grid.DeleteRow(9));
    EXPECT_EQ(Column(grid, 0), (std::vector<std::string>{"B", "D"}));

    grid.SelectRow(2, TRUE);
    EXPECT_EQ(grid.InsertRow("X", 1), 1);  // inserted before the current row
    EXPECT_EQ(grid.GetRow(), 3);
    EXPECT_EQ(grid.GetItemText(1, 0), "X");

    EXPECT_TRUE(grid.DeleteAllItems());
    EXPECT_EQ(grid.GetRowCount(), 1);
    EXPECT_EQ(grid.GetColumnCount(), 5);
    EXPECT_EQ(grid.GetItemText(0, 0), "代码");
    EXPECT_EQ(grid.GetColumnWidth(4), 0);
    EXPECT_EQ(grid.GetRow(), -1);
    EXPECT_EQ(grid.InsertRow("", -1), 1);

    CQXGrid bare;
    EXPECT_EQ(bare.InsertRow("", -1), -1);  // no columns to hold a row
}

TEST(QXGrid, ARecordsRowGivesItsEmptyCellsFromItsRecordWhereverTheRowMoves) {
    CQXGrid grid;
    SetUpList(grid);
    const std::vector<std::string> hidden{"first", "second", "third"};
    grid.SetCellSource([&](std::size_t record, int col) {
        return col == 4 && record < hidden.size() ? CString(hidden[record]) : CString();
    });
    for (const char* code : {"B", "C", "A"}) {
        const int row = AddRow(grid, {code});
        EXPECT_TRUE(grid.SetRowRecord(row, static_cast<std::size_t>(row - 1)));
    }
    const int plain = AddRow(grid, {"D", "", "", "", "own"});
    EXPECT_FALSE(grid.SetRowRecord(0, 0));  // the header stands for no record
    EXPECT_EQ(grid.GetRowRecord(0), CQXGrid::kNoRecord);
    EXPECT_EQ(grid.GetRowRecord(plain), CQXGrid::kNoRecord);
    EXPECT_EQ(Column(grid, 4), (std::vector<std::string>{"first", "second", "third", "own"}));

    grid.SortByColumn(0, true);  // A B C D: the records go with their rows
    EXPECT_EQ(Column(grid, 0), (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_EQ(Column(grid, 4), (std::vector<std::string>{"third", "first", "second", "own"}));
    EXPECT_TRUE(grid.DeleteRow(1));
    EXPECT_EQ(Column(grid, 4), (std::vector<std::string>{"first", "second", "own"}));

    // Text put in a cell is the cell's, even none; a row's other cells are still its record's.
    grid.SetItemText(1, 4, "", 1);
    grid.SetItemText(2, 3, "x", 1);
    EXPECT_EQ(Column(grid, 4), (std::vector<std::string>{"", "second", "own"}));
    EXPECT_EQ(grid.GetItemBkColour(2, 4), CQXGrid::kDefaultBkColour);
    EXPECT_TRUE(grid.SetItemBkColour(2, 4, kMarked));
    EXPECT_EQ(grid.GetItemText(2, 4), "second");
    EXPECT_EQ(grid.GetItemBkColour(2, 4), kMarked);

    grid.SetCellSource(nullptr);
    EXPECT_EQ(grid.GetItemText(2, 4), "");
}

TEST(QXGrid, SelectionIsSingleRowAndFollowsAFocusMove) {
    CQXGrid grid;
    SetUpList(grid);
    for (const char* code : {"A", "B", "C"}) AddRow(grid, {code});
    grid.SelectRow(2, TRUE);
    // Moving a treaty down: focus to the target, select it, deselect the old row.
    grid.SetFocusCell(3, 1);
    grid.SelectRow(3, TRUE);
    grid.SelectRow(2, FALSE);
    EXPECT_EQ(grid.GetRow(), 3);
    EXPECT_EQ(grid.GetFocusColumn(), 1);
    EXPECT_TRUE(grid.IsRowSelected(3));
    EXPECT_FALSE(grid.IsRowSelected(2));
    grid.SelectRow(3, FALSE);  // deselecting the current row leaves none current
    EXPECT_EQ(grid.GetRow(), -1);

    grid.SetSelectMultiRow(TRUE);
    grid.SelectRow(1, TRUE);
    grid.SelectRow(2, TRUE);
    EXPECT_TRUE(grid.IsRowSelected(1));
    EXPECT_TRUE(grid.IsRowSelected(2));
}

TEST(QXGrid, TenThousandRowsSortWithTheirCurrentRow) {
    CQXGrid grid;
    SetUpList(grid);
    grid.SetColumnSortType(0, 1);
    constexpr int kRows = 10000;
    for (int i = 0; i < kRows; ++i) {
        int row = grid.InsertRow("", -1);
        grid.SetItemText(row, 0, std::to_string(kRows - i).c_str());
        grid.SetItemText(row, 4, std::to_string(i).c_str());
    }
    grid.SelectRow(1, TRUE);  // value 10000
    grid.UserClickHeader(0);
    EXPECT_EQ(grid.GetRowCount(), kRows + 1);
    EXPECT_EQ(grid.GetItemText(1, 0), "1");
    EXPECT_EQ(grid.GetItemText(1, 4), std::to_string(kRows - 1).c_str());
    EXPECT_EQ(grid.GetItemText(kRows, 0), "10000");
    EXPECT_EQ(grid.GetRow(), kRows);
}

// After a sort the screen reads its list again (server order) or adds a row: the
// arrow must not claim an order the rows no longer have.
TEST(QXGrid, ASortIsForgottenOnceTheProgramRefillsOrChangesTheSortColumn) {
    CQXGrid grid;
    SetUpList(grid);
    AddRow(grid, {"B"});
    AddRow(grid, {"A"});
    grid.UserClickHeader(0);
    ASSERT_EQ(grid.GetSortColumn(), 0);
    grid.SetItemText(1, 1, "名称");  // another column: still sorted
    grid.DeleteRow(2);               // removing keeps the order
    EXPECT_EQ(grid.GetSortColumn(), 0);
    grid.SetRowCount(1);  // read again
    AddRow(grid, {"C"});
    EXPECT_EQ(grid.GetSortColumn(), -1);

    grid.UserClickHeader(0);
    grid.SetItemText(1, 0, "Z");  // modified in place
    EXPECT_EQ(grid.GetSortColumn(), -1);
    grid.UserClickHeader(0);
    AddRow(grid, {"D"});
    EXPECT_EQ(grid.GetSortColumn(), -1);
    EXPECT_TRUE(grid.IsSortAscending());
}

TEST(QXGrid, CopyTakesTheSelectedRowsAsShownInTheVisibleColumns) {
    CQXGrid grid;
    SetUpList(grid);
    AddRow(grid, {"QA", "成数\t合约", "Quota", "A", "hidden"});
    AddRow(grid, {"SU", "溢额", "Surplus", "E", "hidden"});
    grid.SetColumnType(3, CQXGrid::kColumnCode);
    grid.SetCodeLookup(3, [](const CString& code) { return code == "E" ? CString("第一溢额合约") : CString(); });
    win::Clipboard::SetText("before");
    EXPECT_FALSE(grid.UserCopyRows());  // nothing selected, nothing current
    EXPECT_EQ(win::Clipboard::GetText(), "before");
    grid.UserClickRow(2);
    ASSERT_TRUE(grid.UserCopyRows());
    EXPECT_EQ(win::Clipboard::GetText(), "SU\t溢额\tSurplus\t第一溢额合约\r\n");
    EXPECT_EQ(kel::grid::TabText(grid, {1, 2}), "QA\t成数 合约\tQuota\tA\r\nSU\t溢额\tSurplus\t第一溢额合约\r\n");
}

TEST(QXGrid, ExportWritesTheHeaderAndEveryRowAsCsvASpreadsheetReadsAsChinese) {
    CQXGrid grid;
    SetUpList(grid);
    AddRow(grid, {"QA", "成数合约", "Quota, \"Share\"", "A", "hidden"});
    AddRow(grid, {"SU", "溢额", "", "E", "hidden"});
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "kelmor-grid-export";
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "合约代码.csv";
    ASSERT_TRUE(grid.UserExport(CString(file.string())));
    std::ifstream in(file, std::ios::binary);
    std::stringstream read;
    read << in.rdbuf();
    EXPECT_EQ(read.str(),
              "\xEF\xBB\xBF代码,中文名称,英文名称,类型\r\n"
              "QA,成数合约,\"Quota, \"\"Share\"\"\",A\r\n"
              "SU,溢额,,E\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "合约代码.csv.part"));
    std::filesystem::remove_all(dir);
}
