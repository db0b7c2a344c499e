// Batch add of the treaty order: copies the whole order of the searched month to a
// new month (138). Closes with OK only when the server took the copy.
#pragma once

#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXDateTime.h"

class CS0000S60 : public CBASEBASE {
public:
    enum { IDD = 25011 };
    enum : int {
        IDC_DATE_NEW_MONTH = 1001,  // 年月: the new month ("####/##")
    };

    explicit CS0000S60(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

    // Set by the list before DoModal: the month whose order is copied (stored form).
    CString m_strSrcMonth;

    DECLARE_MESSAGE_MAP()

private:
    CQXDateTime m_ctlNewMonth;
};
