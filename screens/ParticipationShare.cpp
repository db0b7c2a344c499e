#include "screens/ParticipationShare.h"

#include <cmath>

#include "host/qxctlset/QXGrid.h"
#include "screens/NumberText.h"
#include "screens/ScreenCommon.h"

namespace kel::screens {

CString FourDecimals(double value) {
    CString text;
    text.Format("%.4f", value);
    return text;
}

std::optional<double> TakeShare(CDialog& dialog, int nID, const char* label, const CString& text) {
    CString trimmed = text;
    trimmed.Trim();
    std::optional<double> share = ParseDouble(trimmed.str());
    if (trimmed.IsEmpty() || !share || !std::isfinite(*share)) {
        CString message;
        message.Format("%s不是有效的数字，请修改!", label);
        RefuseInput(dialog, nID, message);
        return std::nullopt;
    }
    // A share that reads 0.0000 where shares are compared and totalled is none.
    if (!(*share > 0 && *share <= 1) || FourDecimals(*share) == "0.0000") {
        dialog.MessageBox("份额必须大于0小于等于1。", nullptr, MB_OK);
        if (CWnd* field = dialog.GetDlgItem(nID)) field->SetFocus();
        return std::nullopt;
    }
    return share;
}

bool IsTotalRow(const CQXGrid& grid, int row) {
    CString first = grid.GetItemText(row, 0);
    first.Trim();
    return first == kTotalRowText;
}

}  // namespace kel::screens
