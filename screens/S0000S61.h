// Single add of the treaty order: one treaty into the order of the searched month
// (137), at the order number given, or at the end while none is. Closes with OK
// only when the server took it.
#pragma once

#include "common/db/CodeLists.h"
#include "host/qxcommon/BaseBase.h"

class CS0000S61 : public CBASEBASE {
public:
    enum { IDD = 25012 };
    enum : int {
        IDC_EDT_MONTH = 1001,                            // 年    月： read-only
        IDC_CBX_CONT_CODE = kel::codelist::kTreatyCode,  // 合约代码: the treaty codes
        IDC_EDT_ORDER = 1003,                            // 合约次序: shown disabled
    };

    explicit CS0000S61(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    // Set by the list before DoModal: the month (stored form) the treaty joins.
    CString m_strYearMonth;

    DECLARE_MESSAGE_MAP()
};
