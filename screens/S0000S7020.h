// The section form: a section's code and commission rate. It only collects them;
// the section list stores the section through m_fnSave, and the form closes only
// when that worked, so that nothing typed is lost.
#pragma once

#include <functional>

#include "common/records/Records.h"
#include "host/qxcommon/BaseBase.h"

class CS0000S7020 : public CBASEBASE {
public:
    enum { IDD = 25721 };
    enum : int {
        IDC_EDT_CONT_CODE = 1001,  // 合约代码: (shown only)
        IDC_EDT_CONT_NAME = 1002,  // 合约名称: (shown only)
        IDC_EDT_SECT_CODE = 1003,  // SECTION: at most 2 characters
        IDC_EDT_COMM_RATE = 1004,  // 手续费率: a fraction, number shape (6, 4)
    };

    explicit CS0000S7020(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Set by the caller before DoModal.
    CString m_strContCode;
    CString m_strContName;
    // In: the section shown (a new one: empty code, rate 0). Out, on OK: the same
    // record with the typed section code and rate.
    _SectionStruct m_stSection;
    // Stores the typed section; false keeps the form open. Without one the form
    // only collects.
    std::function<bool(const _SectionStruct&)> m_fnSave;

    DECLARE_MESSAGE_MAP()
};
