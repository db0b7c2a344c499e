#include "screens/TreatyLists.h"

#include <cstring>
#include <string>

#include "host/qxctlset/QXGrid.h"
#include "screens/NumberText.h"
#include "screens/ParticipationShare.h"
#include "screens/ScreenCommon.h"
#include "screens/TreatyListFields.h"

namespace kel::screens {
namespace {

CString Cell(const CQXGrid& grid, int row, int col) {
    CString text = grid.GetItemText(row, col);
    text.Trim();
    return text;
}

double Unlimited() {
    static const double value = *ParseDouble(kUnlimitedAmount);
    return value;
}

void DeleteTotalRows(CQXGrid& grid) {
    for (int row = grid.GetRowCount() - 1; row >= 1; --row)
        if (IsTotalRow(grid, row)) grid.DeleteRow(row);
}

}  // namespace

bool IsUnlimitedAmount(double amount) { return amount == Unlimited(); }

CString AmountText(double amount) {
    if (IsUnlimitedAmount(amount)) return CString(kUnlimitedWord);
    return CString(FormatNumber(amount, {2, 0}));
}

std::optional<double> ParseAmount(const CString& text) {
    CString trimmed = text;
    trimmed.Trim();
    if (trimmed == kUnlimitedWord) return Unlimited();
    return ParseDouble(trimmed.str());
}

CString FormAmountText(const CString& listText) {
    CString trimmed = listText;
    trimmed.Trim();
    return trimmed == kUnlimitedWord ? CString(kUnlimitedAmount) : listText;
}

// ---- participation

void SetUpReinsGrid(CQXGrid& grid) {
    SetUpListGrid(grid, {GridColumn{"再保公司代码", 210}, GridColumn{"再保公司名称", 210}, GridColumn{"参与比例", 180},
                         GridColumn{"限额", 226}, GridColumn{"", 0, false}, GridColumn{"", 0, false}});
    for (int col = 0; col < REINS_COLUMNS; ++col) grid.SetColumnType(col, CQXGrid::kColumnText);
    grid.SetColumnType(REINS_NAME, CQXGrid::kColumnCode);
    grid.SetNonFixedFormat(REINS_SHARE, CQXGrid::kAlignRight);
    grid.SetNonFixedFormat(REINS_LIMIT, CQXGrid::kAlignRight);
    grid.EnableSelection(FALSE);
    grid.SetListMode(FALSE);
    // The total row is the list's last row and nothing may move it.
    grid.SetHeaderSort(FALSE);
}

void WriteReinsRow(CQXGrid& grid, int row, const _ContReinsStruct& record) {
    ContReinsFields().FillRow(grid, row, record);
}

int InsertReinsRow(CQXGrid& grid, const _ContReinsStruct& record) {
    DeleteTotalRows(grid);
    const int row = AppendGridRow(grid);
    WriteReinsRow(grid, row, record);
    return row;
}

void FillReinsGrid(CQXGrid& grid, const _ContReinsStruct* records, int count) {
    for (int i = 0; i < count; ++i) {
        _ContReinsStruct record;
        std::memcpy(&record, &records[i], sizeof record);
        InsertReinsRow(grid, record);
    }
    RebuildReinsTotal(grid);
}

bool IsReinsRow(const CQXGrid& grid, int row) { return row >= 1 && row < grid.GetRowCount() && !IsTotalRow(grid, row); }

int ReinsRowCount(const CQXGrid& grid) {
    int count = 0;
    for (int row = 1; row < grid.GetRowCount(); ++row)
        if (IsReinsRow(grid, row)) ++count;
    return count;
}

void RebuildReinsTotal(CQXGrid& grid, const char* emptyTotal) {
    DeleteTotalRows(grid);
    double shares = 0, limits = 0;
    bool unlimited = false;
    for (int row = 1; row < grid.GetRowCount(); ++row) {
        shares += ParseDouble(Cell(grid, row, REINS_SHARE).str()).value_or(0);
        const double limit = ParseAmount(Cell(grid, row, REINS_LIMIT)).value_or(0);
        if (IsUnlimitedAmount(limit))
            unlimited = true;  // no sum can stand for it
        else
            limits += limit;
    }
    CString limitText;
    limitText.Format("%.2f", limits);
    const bool empty = grid.GetRowCount() == 1;
    const int row = AppendGridRow(grid);
    grid.SetItemText(row, REINS_CODE, kTotalRowText);
    grid.SetItemText(row, REINS_NAME, "");
    grid.SetItemText(row, REINS_SHARE, empty && emptyTotal ? CString(emptyTotal) : FourDecimals(shares));
    grid.SetItemText(row, REINS_LIMIT, unlimited ? CString(kUnlimitedWord) : limitText);
    grid.SetItemText(row, REINS_EXTRA_START, "");
    grid.SetItemText(row, REINS_EXTRA_COUNT, "");
    for (int col = 0; col < REINS_COLUMNS; ++col) grid.SetItemBkColour(row, col, kMarkColour);
    grid.Refresh();
}

bool ReadReinsRow(CDialog& owner, const CQXGrid& grid, int row, _ContReinsStruct& record) {
    _ContReinsStruct read{};
    if (!ContReinsFields().ReadCells(
            owner, [&](int col) { return Cell(grid, row, col).str(); }, read))
        return false;
    record = read;
    return true;
}

// ---- product shares

void SetUpRiskGrid(CQXGrid& grid) {
    SetUpListGrid(grid, {GridColumn{"险种", 130}, GridColumn{"风险等级", 100}, GridColumn{"成数比例", 100},
                         GridColumn{"自留限额", 100}, GridColumn{"合约限额", 100}, GridColumn{"", 0, false},
                         GridColumn{"", 0, false}, GridColumn{"线数", 100, false}, GridColumn{"", 0, false},
                         GridColumn{"VIP线数", 100, false}, GridColumn{"VIP限额", 100, false}});
    for (int col = RISK_QUOTA; col <= RISK_COINS_COEF; ++col) grid.SetNonFixedFormat(col, CQXGrid::kAlignRight);
}

void WriteRiskRow(CQXGrid& grid, int row, const _ContRiskStruct& record) {
    ContRiskFields().FillRow(grid, row, record);
}

int AppendRiskRow(CQXGrid& grid, const _ContRiskStruct& record) {
    const int row = AppendGridRow(grid);
    WriteRiskRow(grid, row, record);
    return row;
}

void FillRiskGrid(CQXGrid& grid, const _ContRiskStruct* records, int count) {
    for (int i = 0; i < count; ++i) {
        _ContRiskStruct record;
        std::memcpy(&record, &records[i], sizeof record);
        record.cCopyFlag = 'N';  // copying business data is a choice made when a row is added
        AppendRiskRow(grid, record);
    }
    grid.Refresh();
}

RiskTexts RiskRowTexts(const CQXGrid& grid, int row) {
    RiskTexts texts;
    for (int col = 0; col < RISK_COLUMNS; ++col) texts[col] = Cell(grid, row, col);
    for (const Field& f : ContRiskFields().Fields())
        if (f.unlimited) texts[f.column] = FormAmountText(texts[f.column]);
    return texts;
}

// Every text is taken trimmed; the numbers are then held to their bounds.
bool RiskFromTexts(CDialog& owner, const RiskTexts& texts, _ContRiskStruct& record) {
    const auto& table = ContRiskFields();
    _ContRiskStruct read{};
    if (!table.ReadCells(
            owner, [&](int col) { return CString(texts[col]).Trim().str(); }, read) ||
        !table.CheckBounds(owner, read))
        return false;
    record = read;
    return true;
}

}  // namespace kel::screens
