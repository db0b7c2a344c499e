// The product choice of a section: every product, the section's own ticked; "确定[&O]"
// stores the ticked ones as the section's products (194).
#pragma once

#include <cstdint>

#include "screens/ProductChoice.h"

class CS0000S7021 : public CProductChoice {
public:
    enum { IDD = 25722 };
    enum : int {
        IDC_EDT_CONT_CODE = 1001,  // 合约代码: (shown only)
        IDC_EDT_CONT_NAME = 1002,  // 合约名称: (shown only)
        IDC_EDT_SECT_CODE = 1003,  // SECTION: (shown only)
    };

    explicit CS0000S7021(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;

    // Set by the caller before DoModal, with m_vecCurrent: the section and its treaty.
    int32_t m_nSectId = 0;
    CString m_strContCode;
    CString m_strContName;
    CString m_strSectCode;

protected:
    bool SaveProducts(const std::vector<CString>& codes) override;
};
