// The treaty data search (screen 25013): the treaty data records of one year, with
// add, modify, copy and delete, and the way to a record's details and check. Every
// field of a record has a column, most of them hidden, and the buttons read the
// record back from the selected row's cells. A row holds the texts of its five shown
// columns; the hidden ones are made from the row's record, kept as the search
// answered it, when read. The cells keep every digit a value has, so a record read
// back is the record shown.
#pragma once

#include "common/db/CodeLists.h"
#include "common/records/Records.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXGrid.h"
#include "screens/ContInfoFields.h"
#include "screens/RecordRows.h"

class CS0000S7 : public CBASEBASE {
public:
    enum { IDD = 25013 };
    enum : int {
        IDC_EDT_YEAR = 1001,    // 合约年份: four digits, the search key
        IDC_BTN_SEARCH = 1002,  // 检索[&S] (default)
        IDC_BTN_ADD = 1003,     // 新增[&A]...
        IDC_BTN_MODIFY = 1004,  // 修改[&M]...
        IDC_BTN_COPY = 1005,    // 复制[&C]...
        IDC_BTN_DELETE = 1006,  // 删除[&D]
        IDC_BTN_DETAIL = 1007,  // 明细[&Q]
        IDC_BTN_CHECK = 1008,   // 检查[&K]
        IDC_GRID = 9999,
        // 返回[&R] is IDCANCEL.
    };
    // Grid columns: five shown, the rest hidden (width 0) and holding the record.
    enum : int {
        COL_CONT_CODE,      // 合约代码
        COL_START_DATE,     // 起始日期, as stored
        COL_END_DATE,       // 终止日期
        COL_CONT_NAME,      // 合约名称: the treaty code shown as its name (list 20318)
        COL_LEAD_RI,        // 首席再保人: the code shown as the name (list 20313)
        COL_ATTRIBUTE,      // the server's one-letter attribute
        COL_CONT_ID,        // treaty data id
        COL_LINES,          // 线数
        COL_ACCT_PERIOD,    // 核算周期
        COL_LOSS_CARRY,     // 亏损滚转
        COL_UNEXP_RSV,      // 未了责任准备金比例
        COL_UNEARNED,       // 未满期保费比例
        COL_QUOTA,          // 成数比例
        COL_LEAD_SHARE,     // 首席再保人份额
        COL_COMM_RATE,      // 手续费率
        COL_TAX_RATE,       // 税率
        COL_PREM_RSV,       // 保费准备金比例
        COL_LOSS_RSV,       // 赔款准备金比例
        COL_CASH_LOSS,      // 现金赔款起点 (an amount)
        COL_PROFIT_COMM,    // 纯益手续费率
        COL_MGMT_FEE,       // 管理费率
        COL_QUAKE_COMM,     // 地震险手续费率
        COL_QUAKE_PREM,     // 地震保费比例
        COL_ACT_COMM_RATE,  // 实际手续费率
        COL_LIMIT_CURR,     // 合同限额币种
        COL_CANCEL_DATE,    // 合同注销时限
        COL_COINS_COEF,     // 共保限额系数 (not a fraction)
        COL_COMM_INCL_TAX,  // 手续费含税
        COL_CONT_TYPE,      // 合约类型 (text)
        COL_CONT_ID_AGAIN,  // treaty data id again
        COL_CONT_NO,        // 合同号
        COL_VIP_LINES,      // VIP线数
        COL_PLANT_RATE,     // 电厂工程费率
        COL_NET_PREM_FLAG,  // 净费分保
        COL_NET_PREM_TAX,   // 净费税率
        COL_COUNT
    };

    explicit CS0000S7(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    // The list's columns, its rows gone (the fill benchmark sets a grid up this way).
    static void SetUpGrid(CQXGrid& grid);

protected:
    void OnBtnSearch();
    void OnBtnAdd();
    void OnBtnModify();
    void OnBtnCopy();
    void OnBtnDelete();
    void OnBtnDetail();
    void OnBtnCheck();
    void OnDblClickGrid(NMHDR* pNotifyStruct, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    // Reads the year's records (186) and shows them; false when nothing was shown.
    bool Search();
    // Shows the answer's records, keeping the answer (from malloc) as the rows' records.
    void FillGrid(char* answer, int count);
    // The current data row, or 0 after showing `message` when there is none.
    // The record of a grid row; false after a message.
    bool RecordOfRow(int row, _ContInfoStruct& record);
    // Runs the edit form in a mode with the record; a search follows however it closed.
    void RunForm(bool bAdd, bool bCopy, const _ContInfoStruct& record);

    // The last search's answer: the rows' records (declared first, to outlive the grid).
    kel::screens::RecordRows<_ContInfoStruct> m_records{kel::screens::ContInfoFields()};
    CQXGrid m_Grid{0, 0, 0, 0};
};
