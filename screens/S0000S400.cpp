#include "screens/S0000S400.h"

#include "host/win/DialogTemplate.h"
#include "screens/RegisterOnce.h"
#include "screens/ReinsurerFields.h"
#include "screens/S0000S40.h"

BEGIN_MESSAGE_MAP(CS0000S400, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S400::RegisterTemplate() {
    win::TemplateBuilder(IDD, "再保公司帐户资料[编辑]")
        .Label(-1, "再保公司代码:", 0, 0)
        .Combo(IDC_CBX_RI_CODE, 0, 1, 1, CBS_DROPDOWNLIST | WS_DISABLED)
        .Label(-1, "业务类型:", 0, 2)
        .Combo(IDC_CBX_BUSI_TYPE, 0, 3, 1, CBS_DROPDOWNLIST | WS_DISABLED)
        .Label(-1, "币种:", 1, 0)
        .Combo(IDC_CBX_CURRENCY, 1, 1)
        .Label(-1, "开户银行:", 2, 0)
        .Edit(IDC_EDT_BANK, 2, 1, 3, 0, sizeof(_RIAccountStruct::szBank) - 1)
        .Label(-1, "银行帐户:", 3, 0)
        .Edit(IDC_EDT_ACCOUNT_NO, 3, 1, 3, 0, sizeof(_RIAccountStruct::szAccountNo) - 1)
        .Label(-1, "开户行地址:", 4, 0)
        .Edit(IDC_EDT_BANK_ADDR, 4, 1, 3, 0, sizeof(_RIAccountStruct::szBankAddr) - 1)
        .Size(380, 0)
        .Label(-1, "收款人:", 5, 0)
        .Edit(IDC_EDT_PAYEE, 5, 1, 3, 0, sizeof(_RIAccountStruct::szPayee) - 1)
        .Button(IDOK, "确定[&O]", 6, 2, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "取消[&C]", 6, 3)
        .Register();
}

CS0000S400::CS0000S400(CWnd* pParent) : CBASEBASE(IDD, pParent), m_stAccount{} {
    kel::screens::RegisterOnce<&CS0000S400::RegisterTemplate>();
}

BOOL CS0000S400::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    kel::screens::RIAccountFields().RegisterRequired(*this);

    auto* busiType = static_cast<CComboBox*>(GetDlgItem(IDC_CBX_BUSI_TYPE));
    busiType->ResetContent();
    for (const char* item : CS0000S40::kBusiTypeItems) busiType->AddString(item);
    SetComboContent(IDC_CBX_RI_CODE, m_strRICode, 1);
    kel::screens::RIAccountFields().LoadForm(*this, m_stAccount);
    // A changed account keeps its business type and currency; the texts change.
    if (!m_bAdd) GetDlgItem(IDC_CBX_CURRENCY)->EnableWindow(FALSE);
    return TRUE;
}

void CS0000S400::OnOK() {
    if (IsNeededEmpty()) return;  // an account without business type or currency is no account
    _RIAccountStruct account{};
    if (!kel::screens::RIAccountFields().SaveForm(*this, account)) return;
    m_stAccount = account;
    EndDialog(IDOK);
}
