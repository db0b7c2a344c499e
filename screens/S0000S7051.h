// The product choice of an insurance class: every product, the class's own ticked;
// "确定[&O]" stores the ticked ones as the class's products (212).
#pragma once

#include <cstdint>

#include "screens/ProductChoice.h"

class CS0000S7051 : public CProductChoice {
public:
    enum { IDD = 25752 };
    enum : int {
        IDC_EDT_CLASS_CODE = 1001,  // 险类代码: (shown only)
    };

    explicit CS0000S7051(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;

    // Set by the caller before DoModal, with m_vecCurrent: the class and its treaty.
    int32_t m_nContId = 0;
    CString m_strClassCode;

protected:
    bool SaveProducts(const std::vector<CString>& codes) override;
};
