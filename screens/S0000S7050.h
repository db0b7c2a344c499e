// The insurance class form: a class's code and name. It only collects them; the
// class list stores the class through m_fnSave, and the form closes only when that
// worked. The code is the class's key: fixed when modifying.
#pragma once

#include <functional>

#include "common/records/Records.h"
#include "host/qxcommon/BaseBase.h"

class CS0000S7050 : public CBASEBASE {
public:
    enum { IDD = 25751 };
    enum : int {
        IDC_EDT_CLASS_CODE = 1001,  // 险类代码: at most 2 characters
        IDC_EDT_CLASS_NAME = 1002,  // 险类名称:
        IDC_EDT_CONT_CODE = 1003,   // 合约代码: (shown only)
        IDC_EDT_CONT_NAME = 1004,   // 合约名称: (shown only)
    };

    explicit CS0000S7050(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Set by the caller before DoModal.
    bool m_bAdd = true;
    CString m_strContCode;
    CString m_strContName;
    // In: the class shown (empty for a new one). Out, on OK: the typed class.
    _InsrncSectStruct m_stClass;
    // Stores the typed class; false keeps the form open. Without one the form only
    // collects.
    std::function<bool(const _InsrncSectStruct&)> m_fnSave;

    DECLARE_MESSAGE_MAP()
};
