// The product copy picker: shows the product a product share row belongs to and
// asks for the product the copy goes to. It only collects the choice; the caller
// makes the copy.
#pragma once

#include "common/db/CodeLists.h"
#include "host/qxcommon/BaseBase.h"

class CS0000S704 : public CBASEBASE {
public:
    enum { IDD = 25003 };
    enum : int {
        IDC_EDT_SRC_PRODUCT = 1001,                     // 源险种: (shown only)
        IDC_CBX_DST_PRODUCT = kel::codelist::kProduct,  // 目的险种: the product code list
    };

    explicit CS0000S704(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;

    CString m_strSrcProduct;  // in: the product code of the row to copy
    CString m_strDstProduct;  // out, on OK: the code of the chosen product

    DECLARE_MESSAGE_MAP()
};
