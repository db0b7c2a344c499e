#include "screens/S0000S60.h"

#include "common/records/Records.h"
#include "common/text/GbkText.h"
#include "host/win/DialogTemplate.h"
#include "screens/OrderMonth.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenTransaction.h"

BEGIN_MESSAGE_MAP(CS0000S60, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S60::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约次序设置[新增]")
        .Label(-1, "年月:", 0, 0)
        .Date(IDC_DATE_NEW_MONTH, 0, 1)
        .Button(IDOK, "确定[&O]", 1, 0, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "返回", 1, 1)
        .Register();
}

CS0000S60::CS0000S60(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S60::RegisterTemplate>();
}

BOOL CS0000S60::OnInitDialog() {
    m_ctlNewMonth.SubclassDlgItem(IDC_DATE_NEW_MONTH, this);
    CBASEBASE::OnInitDialog();
    m_ctlNewMonth.Format(CQXDateTime::kYearMonthMask);
    return TRUE;
}

void CS0000S60::OnOK() {
    CWaitCursor wait;
    CString month;
    switch (kel::screens::ReadOrderMonth(*this, IDC_DATE_NEW_MONTH, month)) {
        case kel::screens::MonthRead::Ok: break;
        case kel::screens::MonthRead::Empty: kel::screens::OrderNotice(*this, "请输入欲新增的合约年月!"); return;
        case kel::screens::MonthRead::Invalid: return;
    }
    _OrderCopyBody body{};
    kel::text::PutRawField(body.szSrcYearMonth, sizeof body.szSrcYearMonth, m_strSrcMonth.str());
    kel::text::PutRawField(body.szNewYearMonth, sizeof body.szNewYearMonth, month.str());
    kel::screens::ScreenAnswer answer = kel::screens::Transact<138>(*this, body);
    if (!answer.Ok()) {
        kel::screens::ShowFailure(*this, 138, answer);  // stays open with the month typed
        return;
    }
    EndDialog(IDOK);
}

void CS0000S60::OnCancel() {
    CWaitCursor wait;
    CBASEBASE::OnCancel();
}
