// The product combination screen (screen 9): a frame showing combinations of
// products and the details of each. It loads nothing; of its buttons only the
// combination's add button is enabled, and none has an action.
#pragma once

#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXGrid.h"

class CS0000SC : public CBASEBASE {
public:
    enum { IDD = 26012 };
    enum : int {
        IDC_GRID_COMB = 9999,          // 险种组合
        IDC_GRID_DETAIL = 9998,        // 细节
        IDC_BTN_COMB_ADD = 1001,       // 新增...
        IDC_BTN_COMB_MODIFY = 1002,    // 修改... (disabled)
        IDC_BTN_COMB_DELETE = 1003,    // 删除 (disabled)
        IDC_BTN_DETAIL_ADD = 1011,     // 新增... (disabled)
        IDC_BTN_DETAIL_MODIFY = 1012,  // 修改... (disabled)
        IDC_BTN_DETAIL_DELETE = 1013,  // 删除 (disabled)
        // 返回[&R] is IDCANCEL.
    };

    explicit CS0000SC(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    DECLARE_MESSAGE_MAP()

private:
    CQXGrid m_GridComb{0, 0, 0, 0};
    CQXGrid m_GridDetail{0, 0, 0, 0};
};
