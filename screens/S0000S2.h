// The treaty code list (screen 25001): every treaty code with add, modify and
// delete. The grid cells are the records; after an add or a modify the list is read
// again from the server, a delete removes just its row.
#pragma once

#include "common/records/Records.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXGrid.h"

class CS0000S2 : public CBASEBASE {
public:
    enum { IDD = 25001 };
    enum : int {
        IDC_GRID = 9999,
        IDC_BTN_ADD = 1001,     // 新增[&A]...
        IDC_BTN_MODIFY = 1002,  // 修改[&M]...
        IDC_BTN_DELETE = 1003,  // 删除[&D]
        // 返回[&R] is IDCANCEL.
    };
    // Grid columns; the fifth, hidden, holds the server's marker.
    enum : int { COL_CODE, COL_CHN_NAME, COL_ENG_NAME, COL_TYPE, COL_FLAG, COL_COUNT };

    explicit CS0000S2(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;

protected:
    void OnBtnAdd();
    void OnBtnModify();
    void OnBtnDelete();
    void OnDblClickGrid(NMHDR* pNotifyStruct, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    // Reads every treaty code (180) and shows them; false when the read failed.
    bool LoadContCodeList();
    void FillGrid(const _ContCodeStruct* records, int count);
    // Runs the form; the list is read again however it was closed.
    void RunForm(bool bAdd, const _ContCodeStruct& record);
    // The current data row, or 0 after showing `message` when there is none.

    CQXGrid m_Grid{0, 0, 0, 0};
};
