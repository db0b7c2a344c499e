// The treaty order list (screen 25010): the treaties of one month with their
// priorities, searched by month; move up and down, delete, copy the month to a new
// one, add one treaty. The server owns the priorities: the list shows what 134
// answers, reads the month again after a delete or an add, and after a move swaps
// the two treaties beneath the fixed priority numbers, as the server does.
#pragma once

#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXDateTime.h"
#include "host/qxctlset/QXGrid.h"

class CS0000S6 : public CBASEBASE {
public:
    enum { IDD = 25010 };
    enum : int {
        IDC_GRID = 9999,
        IDC_DATE_MONTH = 1001,      // 年度: (year and month, "####/##")
        IDC_BTN_SEARCH = 1002,      // 检索[&Q]
        IDC_BTN_UP = 1003,          // 上移
        IDC_BTN_DOWN = 1004,        // 下移
        IDC_BTN_DELETE = 1005,      // 删除[&D]
        IDC_BTN_BATCH_ADD = 1006,   // 批量新增[&A]...
        IDC_BTN_SINGLE_ADD = 1007,  // 单条新增[&I]...
        // 返回[&R] is IDCANCEL.
    };
    // Grid columns; the fifth, hidden, holds the month the rows were read for.
    enum : int { COL_PRIORITY, COL_CODE, COL_NAME, COL_TYPE, COL_MONTH, COL_COUNT };

    explicit CS0000S6(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnCancel() override;

protected:
    void OnBtnSearch();
    void OnBtnUp();
    void OnBtnDown();
    void OnBtnDelete();
    void OnBtnBatchAdd();
    void OnBtnSingleAdd();
    DECLARE_MESSAGE_MAP()

private:
    void SetUpGrid();
    // Reads the month in the field (134) into the grid; a failure is told and leaves
    // the list empty.
    void Search();
    // The month in the field; an empty one is told as "search first".
    bool ReadMonth(CString& month);
    // Delete, moves and batch add work only on a list that is there and belongs to
    // the month in the field.
    bool CheckListMonth(CString& month);
    void Move(char direction, const CString& month);
    // The treaty code of a row into the request field; one that does not fit is
    // refused with a message.
    bool RowCode(int row, char (&field)[3]);

    CQXGrid m_ctlGrid{0, 0, 0, 0};
    CQXDateTime m_ctlYearMonth;
    bool m_bSearchFailed = false;  // the last search could not read the month
};
