// The treaty detail search: the lines the server generated for one treaty data
// record, searched by product, insuring company and risk level; a line is deleted
// or adjusted here, and the commission of a section or reinsurer adjusted.
#pragma once

#include "common/db/CodeLists.h"
#include "common/records/Records.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXGrid.h"

class CS0000S71 : public CBASEBASE {
public:
    enum { IDD = 25710 };
    enum : int {
        IDC_EDT_CONT_CODE = 1001,   // 合约代码: (shown only)
        IDC_EDT_START_DATE = 1002,  // 起始日期: (shown only)
        IDC_EDT_END_DATE = 1003,    // 终止日期: (shown only)
        IDC_EDT_CONT_TYPE = 1004,   // 合约类型: (shown only)
        IDC_BTN_SEARCH = 1010,      // 检索[&S] (default)
        IDC_BTN_COMMISSION = 1011,  // 手续费调整[&F]
        IDC_BTN_DELETE = 1012,      // 删除[&D]
        IDC_BTN_MODIFY = 1013,      // 修改[&M]...
        IDC_GRID = 9999,
        // The combos are their code lists.
        IDC_CBX_CONT_NAME = kel::codelist::kTreatyName,     // 合约名称: (disabled)
        IDC_CBX_PRODUCT = kel::codelist::kProduct,          // 险    种:
        IDC_CBX_COMPANY = kel::codelist::kInsuringCompany,  // 承保公司:
        IDC_CBX_RISK_LEVEL = kel::codelist::kRiskLevel,     // 风险等级:
        // 返回[&R] is IDCANCEL.
    };
    enum : int {
        COL_PRODUCT,     // 险种
        COL_RISK_LEVEL,  // 风险等级
        COL_COMPANY,     // 承保公司
        COL_REINSURER,   // 再保公司
        COL_QUOTA,       // 成数比例
        COL_CONT_LIMIT,  // 合约限额
        COL_SHARE,       // 参与比例
        COL_RI_LIMIT,    // 再保公司限额
        COL_COMM_RATE,   // 手续费率
        COL_CONT_ID,     // treaty data id (hidden)
        COL_COUNT
    };

    explicit CS0000S71(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;

    // Set by the caller from the treaty data row before DoModal.
    int32_t m_nContId = 0;
    CString m_strContCode;
    CString m_strContNameCode;  // the treaty code whose name the treaty combo shows
    CString m_strStartDate;     // as stored, eight digits
    CString m_strEndDate;
    CString m_strContType;

protected:
    void OnBtnSearch();
    void OnBtnCommission();
    void OnBtnDelete();
    void OnBtnModify();
    void OnDblClickGrid(NMHDR* pNotifyStruct, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    void SetUpGrid();
    // Searches with the conditions the combos show now; false when nothing is shown.
    bool Search();
    // The current data row, or 0 after showing `message` when there is none.

    CQXGrid m_Grid{0, 0, 0, 0};
};
