#include "screens/TreatyLists.h"

#include <cstring>
#include <string>

#include "common/records/WireFloat.h"
#include "common/text/GbkText.h"
#include "host/qxctlset/QXGrid.h"
#include "screens/NumberText.h"
#include "screens/ParticipationShare.h"
#include "screens/S0000S701.h"
#include "screens/ScreenCommon.h"

namespace kel::screens {
namespace {

using kel::records::DecimalOf;
using kel::records::kAmountBound;
using kel::records::kCoefficientBound;
using kel::records::kFractionBound;

CString Cell(const CQXGrid& grid, int row, int col) {
    CString text = grid.GetItemText(row, col);
    text.Trim();
    return text;
}

double Unlimited() {
    static const double value = *ParseDouble(kUnlimitedAmount);
    return value;
}

bool Refuse(CDialog& owner, const char* pattern, const char* field) {
    CString message;
    message.Format(pattern, field);
    return RefuseInput(owner, 0, message);
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
    const std::string code = text::GetField(record.szRICode);
    grid.SetItemText(row, REINS_CODE, code.c_str());
    grid.SetItemText(row, REINS_NAME, code.c_str());
    grid.SetItemText(row, REINS_SHARE, FormatNumber(record.dShare, {4, 0}).c_str());
    grid.SetItemText(row, REINS_LIMIT, AmountText(record.dLimit));
    grid.SetItemText(row, REINS_EXTRA_START, std::to_string(record.nExtraStart).c_str());
    grid.SetItemText(row, REINS_EXTRA_COUNT, std::to_string(record.nExtraCount).c_str());
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
    if (!PutFieldText(owner, 0, "再保公司代码", Cell(grid, row, REINS_CODE), read.szRICode)) return false;
    const auto share = ParseDouble(Cell(grid, row, REINS_SHARE).str());
    if (!share) return Refuse(owner, "%s不是有效的数字，请修改!", "参与比例");
    const auto limit = ParseAmount(Cell(grid, row, REINS_LIMIT));
    if (!limit) return Refuse(owner, "%s不是有效的数字，请修改!", "限额");
    read.dShare = *share;
    read.dLimit = *limit;
    read.nExtraStart = ParseInt(Cell(grid, row, REINS_EXTRA_START).str()).value_or(0);
    read.nExtraCount = ParseInt(Cell(grid, row, REINS_EXTRA_COUNT).str()).value_or(0);
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
    CString vipLimit(text::GetField(record.szVipLimit));
    if (auto amount = ParseAmount(vipLimit); amount && IsUnlimitedAmount(*amount)) vipLimit = kUnlimitedWord;
    grid.SetItemText(row, RISK_PRODUCT, text::GetField(record.szProdCode).c_str());
    grid.SetItemText(row, RISK_LEVEL, text::GetField(record.szRiskLevel).c_str());
    grid.SetItemText(row, RISK_QUOTA, FormatNumber(record.fQuotaRatio, {2, 0}).c_str());
    grid.SetItemText(row, RISK_RETENTION, AmountText(record.dRetention));
    grid.SetItemText(row, RISK_CONT_LIMIT, AmountText(record.dContLimit));
    grid.SetItemText(row, RISK_COINS_COEF, FormatNumber(record.fCoinsCoef, {2, 0}).c_str());
    grid.SetItemText(row, RISK_SET_TYPE, LetterText(record.cSetType));
    grid.SetItemText(row, RISK_LINES, std::to_string(record.nLines).c_str());
    grid.SetItemText(row, RISK_COPY_FLAG, LetterText(record.cCopyFlag));
    grid.SetItemText(row, RISK_VIP_LINES, std::to_string(record.nVipLines).c_str());
    grid.SetItemText(row, RISK_VIP_LIMIT, vipLimit);
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
    for (int col : {RISK_RETENTION, RISK_CONT_LIMIT, RISK_VIP_LIMIT}) texts[col] = FormAmountText(texts[col]);
    return texts;
}

bool RiskFromTexts(CDialog& owner, const RiskTexts& texts, _ContRiskStruct& record) {
    auto at = [&](int col) {
        CString text = texts[col];
        text.Trim();
        return text;
    };
    _ContRiskStruct read{};
    if (!PutFieldText(owner, 0, "险种", at(RISK_PRODUCT), read.szProdCode) ||
        !PutFieldText(owner, 0, "风险等级", at(RISK_LEVEL), read.szRiskLevel))
        return false;
    const auto quota = ParseFloat(at(RISK_QUOTA).str());
    if (!quota) return Refuse(owner, "%s不是有效的数字，请修改!", "成数比例");
    const auto retention = ParseAmount(at(RISK_RETENTION));
    if (!retention) return Refuse(owner, "%s不是有效的数字，请修改!", "自留限额");
    const auto contLimit = ParseAmount(at(RISK_CONT_LIMIT));
    if (!contLimit) return Refuse(owner, "%s不是有效的数字，请修改!", "合约限额");
    const auto coef = ParseFloat(at(RISK_COINS_COEF).str());
    if (!coef) return Refuse(owner, "%s不是有效的数字，请修改!", "共保限额系数");
    const auto lines = ParseInt(at(RISK_LINES).str());
    if (!lines) return Refuse(owner, "%s不是有效的整数，请修改!", "线数");
    const auto vipLines = ParseInt(at(RISK_VIP_LINES).str());
    if (!vipLines) return Refuse(owner, "%s不是有效的整数，请修改!", "VIP线数");
    const CString vipLimit = FormAmountText(at(RISK_VIP_LIMIT));
    if (!vipLimit.IsEmpty() && !ParseDouble(vipLimit.str()))
        return Refuse(owner, "%s不是有效的数字，请修改!", "VIP限额");
    if (!PutFieldText(owner, 0, "VIP限额", vipLimit, read.szVipLimit)) return false;
    if (!CheckBound(owner, 0, "成数比例", DecimalOf(*quota), kFractionBound) ||
        !CheckBound(owner, 0, "自留限额", *retention, kAmountBound) ||
        !CheckBound(owner, 0, "合约限额", *contLimit, kAmountBound) ||
        !CheckBound(owner, 0, "共保限额系数", DecimalOf(*coef), kCoefficientBound) ||
        !CheckBound(owner, 0, "VIP限额", vipLimit.IsEmpty() ? 0 : *ParseDouble(vipLimit.str()), kAmountBound))
        return false;

    read.fQuotaRatio = *quota;
    read.dRetention = *retention;
    read.dContLimit = *contLimit;
    read.fCoinsCoef = *coef;
    read.nLines = *lines;
    read.nVipLines = *vipLines;
    const CString setType = at(RISK_SET_TYPE);
    read.cSetType = setType.IsEmpty() ? 'T' : setType.str()[0];
    const CString copyFlag = at(RISK_COPY_FLAG);
    read.cCopyFlag = copyFlag.IsEmpty() ? 'N' : copyFlag.str()[0];
    record = read;
    return true;
}

}  // namespace kel::screens
