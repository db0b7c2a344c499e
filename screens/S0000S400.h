// The account form: one bank account of a reinsurer. It only collects the values;
// the reinsurer form keeps them in its account grid until its own save.
#pragma once

#include "common/db/CodeLists.h"
#include "common/records/Records.h"
#include "host/qxcommon/BaseBase.h"

class CS0000S400 : public CBASEBASE {
public:
    enum { IDD = 25007 };
    enum : int {
        IDC_CBX_BUSI_TYPE = 1001,   // 业务类型: fixed, the reinsurer's at the time of adding
        IDC_EDT_BANK = 1002,        // 开户银行:
        IDC_EDT_ACCOUNT_NO = 1003,  // 银行帐户:
        IDC_EDT_BANK_ADDR = 1004,   // 开户行地址:
        IDC_EDT_PAYEE = 1005,       // 收款人:
        // Code-list combos carry their list's ID.
        IDC_CBX_RI_CODE = kel::codelist::kReinsurer,  // 再保公司代码: shown, never changed
        IDC_CBX_CURRENCY = kel::codelist::kCurrency,  // 币种:
    };

    explicit CS0000S400(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Set by the caller before DoModal: the mode, the reinsurer's code (shown only)
    // and the account (in add mode only its business type). After OK: the account
    // as entered.
    bool m_bAdd = true;
    CString m_strRICode;
    _RIAccountStruct m_stAccount;

    DECLARE_MESSAGE_MAP()
};
