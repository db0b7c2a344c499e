// The share rules of the participation forms: a share is a fraction of the
// treaty, 0 < share <= 1, compared with others as four-decimal text.
#pragma once

#include <optional>

#include "host/win/CString.h"

class CDialog;
class CQXGrid;

namespace kel::screens {

// The first cell of a list's total row.
inline constexpr const char* kTotalRowText = "合 计";

// Four decimals, as shares are compared and totals shown ("%.4f").
CString FourDecimals(double value);

// The share typed into control `nID`, a fraction within 0 < share <= 1 that
// does not read as 0.0000. Otherwise the user is told (a number that is not
// one names the field `label`; one out of range gets "份额必须大于0小于等于1。"),
// the focus goes to the field and the result is empty.
std::optional<double> TakeShare(CDialog& dialog, int nID, const char* label, const CString& text);

// True for a grid row that is a list's total row (its first cell reads "合 计"),
// wherever it stands.
bool IsTotalRow(const CQXGrid& grid, int row);

}  // namespace kel::screens
