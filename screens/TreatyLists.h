// The two lists of the treaty data form: the reinsurer participation grid with its
// total row, and the product share grid. Each row is one record of the treaty data
// manager's arrays, written as text that keeps every digit the value has, so a
// list read back on save holds exactly what was loaded or entered.
//
// The amount "9999999999.99" means "no limit" (a participant's limit, a product's
// retention, treaty limit and VIP limit): the grids show it as "无限额", and the
// participation total does not add it in.
#pragma once

#include <array>
#include <optional>

#include "common/records/Records.h"
#include "host/win/CString.h"
#include "screens/NumberText.h"

class CDialog;
class CQXGrid;

namespace kel::screens {

// An amount as the lists show it: at least two decimals, "无限额" for no limit.
CString AmountText(double amount);
// The amount of a list text ("无限额" is the no-limit amount); empty text is 0.
std::optional<double> ParseAmount(const CString& text);
// A list text as the forms take it: "无限额" goes back to "9999999999.99".
CString FormAmountText(const CString& listText);
bool IsUnlimitedAmount(double amount);

// ---- participation ("再保公司参与比例"): data rows, then the total row last

enum ReinsColumn : int {
    REINS_CODE,         // 再保公司代码
    REINS_NAME,         // 再保公司名称: the code shown as the name (list 20313)
    REINS_SHARE,        // 参与比例, a fraction
    REINS_LIMIT,        // 限额
    REINS_EXTRA_START,  // hidden: first broker sub-reinsurer record of the participant
    REINS_EXTRA_COUNT,  // hidden: number of them
    REINS_COLUMNS
};

// The header and the total row only. The grid does not sort: the total row stays
// last whatever the user clicks.
void SetUpReinsGrid(CQXGrid& grid);
// Shows the participants and the total row after them.
void FillReinsGrid(CQXGrid& grid, const _ContReinsStruct* records, int count);
// A participant's cells; the row must exist.
void WriteReinsRow(CQXGrid& grid, int row, const _ContReinsStruct& record);
// Puts a new participant before the total row; returns its row.
int InsertReinsRow(CQXGrid& grid, const _ContReinsStruct& record);
// The total row "合 计" rebuilt from the participants' cells: shares with "%.4f",
// limits with "%.2f" (or "无限额" when a participant has no limit). `emptyTotal`
// is what the totals read while there is no participant.
void RebuildReinsTotal(CQXGrid& grid, const char* emptyTotal = "0.0000");
// The participant rows (every row but the header and the total row).
int ReinsRowCount(const CQXGrid& grid);
bool IsReinsRow(const CQXGrid& grid, int row);
// The participant of a row; false after a message naming what cannot be read.
bool ReadReinsRow(CDialog& owner, const CQXGrid& grid, int row, _ContReinsStruct& record);

// ---- product shares ("险种合约份额")

enum RiskColumn : int {
    RISK_PRODUCT,     // 险种: product code, or product class code for setting type 'S'
    RISK_LEVEL,       // 风险等级
    RISK_QUOTA,       // 成数比例, a fraction
    RISK_RETENTION,   // 自留限额
    RISK_CONT_LIMIT,  // 合约限额
    RISK_COINS_COEF,  // hidden: co-insurance limit coefficient
    RISK_SET_TYPE,    // hidden: 'T' product, 'S' product class
    RISK_LINES,       // 线数
    RISK_COPY_FLAG,   // hidden: copy business data, 'Y' or 'N'
    RISK_VIP_LINES,   // VIP线数
    RISK_VIP_LIMIT,   // VIP限额
    RISK_COLUMNS
};

// The eleven texts of a product share row, in column order, as the product share
// form takes and gives them (amounts as numbers, "9999999999.99" for no limit).
using RiskTexts = std::array<CString, RISK_COLUMNS>;

void SetUpRiskGrid(CQXGrid& grid);
// Shows the product shares; a loaded row shows "N" for copying business data.
void FillRiskGrid(CQXGrid& grid, const _ContRiskStruct* records, int count);
void WriteRiskRow(CQXGrid& grid, int row, const _ContRiskStruct& record);
int AppendRiskRow(CQXGrid& grid, const _ContRiskStruct& record);
// The row's texts as the product share form takes them.
RiskTexts RiskRowTexts(const CQXGrid& grid, int row);
// A product share from its texts; false after a message naming the field that the
// record cannot hold (not a number, too long).
bool RiskFromTexts(CDialog& owner, const RiskTexts& texts, _ContRiskStruct& record);

}  // namespace kel::screens
