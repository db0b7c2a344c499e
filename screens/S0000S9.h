// The current period screen (screen 5): a frame showing each underwriting company's
// accounting period. It loads nothing; its modify button stays disabled.
#pragma once

#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXGrid.h"

class CS0000S9 : public CBASEBASE {
public:
    enum { IDD = 26009 };
    enum : int {
        IDC_GRID = 9999,
        IDC_BTN_MODIFY = 1002,  // 修改[&M]... (disabled)
        // 返回[&R] is IDCANCEL.
    };

    explicit CS0000S9(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    DECLARE_MESSAGE_MAP()

private:
    CQXGrid m_Grid{0, 0, 0, 0};
};
