// The treaty code form: adds a treaty code or changes the names of one. It sends
// the record itself when confirmed (181) and closes with OK only when that worked.
#pragma once

#include "common/records/Records.h"
#include "host/qxcommon/BaseBase.h"

class CS0000S20 : public CBASEBASE {
public:
    enum { IDD = 25002 };
    enum : int {
        IDC_EDT_CODE = 1001,      // 代    码: upper case, 2 characters
        IDC_EDT_CHN_NAME = 1002,  // 中文名称: 60 GBK bytes
        IDC_EDT_ENG_NAME = 1003,  // 英文名称: 60 GBK bytes
        IDC_CBX_TYPE = 1004,      // 类    型:
    };

    explicit CS0000S20(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Filled by the caller before DoModal: the record to change (modify) and the mode.
    _ContCodeStruct m_stContCode;
    bool m_bAdd = true;

    DECLARE_MESSAGE_MAP()
};
