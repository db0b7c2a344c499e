// The treaty check result: asks the server to check one treaty data record and
// lists what it found, one line each; "打印(&P)" prints the list.
#pragma once

#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXGrid.h"

class CS0000S73 : public CBASEBASE {
public:
    enum { IDD = 25730 };
    enum : int {
        IDC_BTN_PRINT = 1001,  // 打印(&P)
        IDC_GRID = 9999,
        // 返回[&R] is IDCANCEL.
    };
    enum : int { COL_CONT_CODE, COL_START_DATE, COL_END_DATE, COL_RESULT, COL_COUNT };

    explicit CS0000S73(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;

    // Set by the caller from the treaty data row before DoModal.
    int32_t m_nContId = 0;
    CString m_strContCode;
    CString m_strStartDate;  // as stored
    CString m_strEndDate;

protected:
    void OnBtnPrint();
    DECLARE_MESSAGE_MAP()

private:
    void LoadResult();
    CQXGrid m_Grid{0, 0, 0, 0};
};
