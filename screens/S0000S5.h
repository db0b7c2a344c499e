// The exchange-rate list (screen 1): every rate the server holds, for reading.
// The maintenance buttons exist in the dialog but are never shown.
#pragma once

#include "common/records/Records.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXGrid.h"

class CS0000S5 : public CBASEBASE {
public:
    enum { IDD = 26005 };
    enum : int {
        IDC_GRID = 9999,
        IDC_BTN_ADD = 1001,     // 新增[&A]... (invisible)
        IDC_BTN_MODIFY = 1002,  // 修改[&M]... (invisible)
        IDC_BTN_DELETE = 1003,  // 删除[&D] (invisible)
        // 返回[&R] is IDCANCEL.
    };
    enum : int { COL_SRC_CURR, COL_DST_CURR, COL_RATE, COL_START_DATE, COL_END_DATE, COL_COUNT };

    explicit CS0000S5(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;

protected:
    // The buttons are never visible; their handlers do nothing.
    void OnBtnAdd() {}
    void OnBtnModify() {}
    void OnBtnDelete() {}
    DECLARE_MESSAGE_MAP()

private:
    void FillGrid(const _ExchRateStruct* records, int count);

    CQXGrid m_Grid{0, 0, 0, 0};
};
