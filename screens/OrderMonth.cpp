#include "screens/OrderMonth.h"

#include "host/qxctlset/QXDateTime.h"

namespace kel::screens {

MonthRead ReadOrderMonth(CBASEBASE& screen, int nID, CString& month) {
    month.Empty();
    CWnd* field = screen.GetDlgItem(nID);
    if (!field) return MonthRead::Empty;
    CString text;
    if (auto* date = dynamic_cast<CQXDateTime*>(field))
        date->GetTime(text);
    else
        field->GetWindowText(text);
    text.Trim();
    if (text.IsEmpty()) return MonthRead::Empty;
    month = screen.FormatDate(text, 0);
    month.TrimRight();
    if (!month.IsEmpty()) return MonthRead::Ok;
    // A month the server would refuse (or a stored form that does not fit its 7-byte
    // field) never leaves the screen.
    OrderNotice(screen, "输入的合约年月不正确,请重新输入!");
    field->SetFocus();
    return MonthRead::Invalid;
}

void OrderNotice(CBASEBASE& screen, const char* text) {
    screen.MessageBox(text, "Zenva再保系统", MB_OK | MB_ICONINFORMATION);
}

}  // namespace kel::screens
