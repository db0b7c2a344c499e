#include "screens/S0000S61.h"

#include <cstdint>
#include <cstdlib>

#include "common/records/Records.h"
#include "common/text/GbkText.h"
#include "host/win/DialogTemplate.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"
#include "screens/ScreenTransaction.h"

namespace {

// The order number typed, as a decimal integer: 0 for none (append), and a number
// beyond 32 bits held at its end rather than wrapped.
int32_t OrderNumber(CString text) {
    text.Trim();
    if (text.IsEmpty()) return 0;
    long long n = std::strtoll(text.GetString(), nullptr, 10);
    if (n > INT32_MAX) return INT32_MAX;
    if (n < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(n);
}

}  // namespace

BEGIN_MESSAGE_MAP(CS0000S61, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S61::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约优先级次序[编辑]")
        .Label(-1, "年    月：", 0, 0)
        .Edit(IDC_EDT_MONTH, 0, 1, 1, ES_READONLY)
        .Label(-1, "合约代码:", 1, 0)
        .Combo(IDC_CBX_CONT_CODE, 1, 1)
        .Size(240, 0)
        .Label(-1, "合约次序:", 2, 0)
        .Edit(IDC_EDT_ORDER, 2, 1, 1, WS_DISABLED | ES_NUMBER, 9)
        .Button(IDOK, "确定[&O]", 3, 0, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "返回", 3, 1)
        .Register();
}

CS0000S61::CS0000S61(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S61::RegisterTemplate>();
}

BOOL CS0000S61::OnInitDialog() {
    CBASEBASE::OnInitDialog();  // fills the treaty code combo
    SetItemValue(IDC_EDT_MONTH, m_strYearMonth);
    SetItemValue(IDC_EDT_ORDER, "");
    GetDlgItem(IDC_EDT_ORDER)->EnableWindow(FALSE);
    return TRUE;
}

void CS0000S61::OnOK() {
    CWaitCursor wait;
    CString code = GetCurrCode(IDC_CBX_CONT_CODE);
    CString month, order;
    GetItemValue(IDC_EDT_MONTH, month);
    GetItemValue(IDC_EDT_ORDER, order);
    code.Trim();
    if (code.IsEmpty()) {
        MessageBox("合约代码必须是非空!", "新增合约次序", MB_OK);
        return;
    }
    _OrderAddBody body{};
    if (!kel::screens::PutFieldText(*this, IDC_CBX_CONT_CODE, "合约代码", code, body.szContCode)) return;
    kel::text::PutRawField(body.szYearMonth, sizeof body.szYearMonth, month.str());
    body.nOrderNo = OrderNumber(order);
    kel::screens::ScreenAnswer answer = kel::screens::Transact<137>(*this, body);
    if (!answer.Ok()) {
        kel::screens::ShowFailure(*this, 137, answer);  // stays open with the choice made
        return;
    }
    EndDialog(IDOK);
}

void CS0000S61::OnCancel() {
    CWaitCursor wait;
    CBASEBASE::OnCancel();
}
