// The interval range screen (screen 4): a frame showing the main insurance classes
// and the interval ranges of each. It loads nothing and its buttons do nothing.
#pragma once

#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXGrid.h"

class CS0000S8 : public CBASEBASE {
public:
    enum { IDD = 26008 };
    enum : int {
        IDC_GRID_CLASS = 9999,  // 险种大类列表
        IDC_GRID_RANGE = 9998,  // 区间范围设置
        IDC_BTN_CHECK = 1004,   // 检查[&C] (invisible)
        IDC_BTN_ADD = 1001,     // 新增[&A]...
        IDC_BTN_DELETE = 1003,  // 删除[&D]
        // 返回[&R] is IDCANCEL.
    };

    explicit CS0000S8(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    DECLARE_MESSAGE_MAP()

private:
    CQXGrid m_GridClass{0, 0, 0, 0};
    CQXGrid m_GridRange{0, 0, 0, 0};
};
