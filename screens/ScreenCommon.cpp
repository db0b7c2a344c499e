#include "screens/ScreenCommon.h"

#include <string>

#include "common/text/GbkText.h"
#include "screens/NumberText.h"

namespace kel::screens {

void SetUpListGrid(CQXGrid& grid, std::initializer_list<GridColumn> columns) {
    grid.SetRowCount(1);
    grid.SetColumnCount(static_cast<int>(columns.size()));
    grid.SetFixedRowCount(1);
    grid.SetRowHeight(0, kGridRowHeight);
    int col = 0;
    for (const GridColumn& c : columns) {
        grid.SetColumnWidth(col, c.width);
        grid.SetItemText(0, col, c.header ? c.header : "", 1);
        if (c.centred) grid.SetFixedFormat(col, CQXGrid::kAlignCenter);
        ++col;
    }
    // The cells are the records: nobody may change them in place.
    grid.SetEditable(FALSE);
    grid.SetSelectMultiRow(FALSE);
    grid.SetListMode(TRUE);
    grid.SetHeaderSort(TRUE);
    grid.SetColumnSortType(0, CQXGrid::kSortText);
}

int AppendGridRow(CQXGrid& grid) {
    int row = grid.InsertRow("", -1);
    if (row >= 0) grid.SetRowHeight(row, kGridRowHeight);
    return row;
}

CString LetterText(char letter) {
    auto byte = static_cast<unsigned char>(letter);
    if (byte == 0 || byte >= 0x80) return CString();
    return CString(std::string(1, letter));
}

namespace {

// The UTF-8 character at `at`, or "" when the bytes there are not one.
std::string CharacterAt(const std::string& utf8, std::size_t at) {
    if (at >= utf8.size()) return {};
    auto lead = static_cast<unsigned char>(utf8[at]);
    std::size_t len = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (len == 0 || at + len > utf8.size()) return {};
    for (std::size_t i = 1; i < len; ++i)
        if ((static_cast<unsigned char>(utf8[at + i]) & 0xC0) != 0x80) return {};
    return utf8.substr(at, len);
}

}  // namespace

bool RefuseInput(CDialog& dialog, int nID, const CString& message) {
    dialog.MessageBox(message, "提示", MB_OK | MB_ICONEXCLAMATION);
    if (nID != 0)
        if (CWnd* item = dialog.GetDlgItem(nID)) item->SetFocus();
    return false;
}

bool CheckBound(CDialog& dialog, int nID, const char* label, double value, kel::records::NumberBound bound, int shift) {
    if (kel::records::WithinBound(value, bound)) return true;
    const std::string lo = FormatNumber(bound.lo, {0, 0}, shift), hi = FormatNumber(bound.hi, {0, 0}, shift);
    CString message;
    if (bound.range)
        message.Format("%s必须在%s到%s之间，请修改!", label, lo.c_str(), hi.c_str());
    else if (value < bound.lo)
        message.Format("%s不能小于%s，请修改!", label, lo.c_str());
    else
        message.Format("%s不能大于%s，请修改!", label, hi.c_str());
    return RefuseInput(dialog, nID, message);
}

bool PutFieldText(CDialog& dialog, int nID, const char* fieldName, const CString& text, char* field,
                  std::size_t width) {
    const std::string& utf8 = text.str();
    CString message;
    if (const auto bytes = kel::text::GbkByteLength(utf8); !bytes) {
        std::string bad;
        if (auto at = kel::text::FirstNonGbkOffset(utf8)) bad = CharacterAt(utf8, *at);
        if (bad.empty())
            message.Format("%s中含有无法保存的字符，请修改!", fieldName);
        else
            message.Format("%s中的字符“%s”无法保存，请修改!", fieldName, bad.c_str());
    } else if (*bytes > width - 1) {
        // Cutting would store a different text than the user sees.
        message.Format("%s过长（最多%d个字节），请修改!", fieldName, static_cast<int>(width - 1));
    } else {
        kel::text::PutField(field, width, utf8);
        return true;
    }
    return RefuseInput(dialog, nID, message);
}

int SelectedRow(CDialog& screen, const CQXGrid& grid, const char* message) {
    const int row = grid.GetRow();
    if (row == 0 || row == -1) {
        screen.MessageBox(message, nullptr, MB_OK);
        return 0;
    }
    return row;
}

int DoubleClickedRow(NMHDR* notify, LRESULT* result) {
    *result = 1;
    const int row = reinterpret_cast<NM_GRIDVIEW*>(notify)->iRow;
    return row > 0 ? row : 0;
}

bool ConfirmDelete(CDialog& screen) {
    return screen.MessageBox("是否确定删除该纪录!", nullptr, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

}  // namespace kel::screens
