// The line adjustment form: one treaty detail line with its reinsurer share,
// reinsurer limit and commission rate open to change. The detail search stores the
// line through m_fnSave; the form closes only when that worked.
#pragma once

#include <functional>

#include "common/records/Records.h"
#include "host/qxcommon/BaseBase.h"

class CS0000S710 : public CBASEBASE {
public:
    enum { IDD = 25711 };
    enum : int {
        IDC_EDT_PRODUCT = 1001,     // 险    种: (shown only)
        IDC_EDT_RISK_LEVEL = 1002,  // 风险等级: (shown only)
        IDC_EDT_QUOTA = 1003,       // 成数比例: (shown only)
        IDC_EDT_CONT_LIMIT = 1004,  // 合约限额: (shown only)
        IDC_EDT_REINSURER = 1005,   // 再保公司: (shown only)
        IDC_EDT_COMPANY = 1006,     // 承保公司: (shown only)
        IDC_EDT_SHARE = 1007,       // 参与比例: a fraction, number shape (7, 5)
        IDC_EDT_RI_LIMIT = 1008,    // 限    额: number shape (16, 2)
        IDC_EDT_COMM_RATE = 1009,   // 手续费率: a fraction, number shape (6, 4)
    };

    explicit CS0000S710(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;

    // In: the line shown. Out, on OK: the same line with the typed share, limit and rate.
    _ContDetailStruct m_stDetail;
    // Stores the changed line; false keeps the form open. Without one the form only collects.
    std::function<bool(const _ContDetailStruct&)> m_fnSave;

    DECLARE_MESSAGE_MAP()
};
