// The sub-reinsurer form: one reinsurer behind a broker, with its share. Opened
// only by the participation form, whose grid it checks for duplicates; it only
// collects the values.
#pragma once

#include "common/db/CodeLists.h"
#include "host/qxcommon/BaseBase.h"

class CS0000S7000 : public CBASEBASE {
public:
    enum { IDD = 25701 };
    enum : int {
        IDC_EDT_CONT_CODE = 1001,                       // 合约代码: (shown only)
        IDC_EDT_CONT_NAME = 1002,                       // 合约名称: (shown only)
        IDC_CBX_REINSURER = kel::codelist::kReinsurer,  // 再保公司: list 20313
        IDC_EDT_SHARE = 1003,                           // 参与比例: numeric (6, 4)
    };

    // The parent is the participation form (CS0000S700).
    explicit CS0000S7000(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Set by the caller before DoModal, read back after OK.
    int m_nRowNo = -1;       // the participation form's grid row edited; -1 for a new one
    CString m_strContName;   // 合约名称
    CString m_strContCode;   // 合约代码
    CString m_strShare;      // 参与比例: a fraction, as entered
    CString m_strSubRICode;  // 再保公司: the sub-reinsurer's code

    DECLARE_MESSAGE_MAP()
};
