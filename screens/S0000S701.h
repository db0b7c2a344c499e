// The product share form: one row of a treaty's product share list — a product or
// product class, a risk level, the retention, lines and treaty limit, VIP lines and
// VIP limit. Picking a risk level takes the retention from the risk code table of
// the treaty year (read from the host database) and computes the limits. It only
// collects the values; the caller writes them into its row.
#pragma once

#include <string>
#include <vector>

#include "common/db/CodeLists.h"
#include "common/records/NumberBounds.h"
#include "host/qxcommon/BaseBase.h"
#include "screens/NumberText.h"

class CS0000S701 : public CBASEBASE {
public:
    enum { IDD = 25702 };
    enum : int {
        IDC_EDT_CONT_CODE = 1001,                        // 合约代码: (shown only)
        IDC_EDT_CONT_NAME = 1002,                        // 合约名称: (shown only)
        IDC_RAD_PRODUCT = 1003,                          // 设置类型: 险种
        IDC_RAD_CLASS = 1004,                            //           险类
        IDC_CBX_PRODUCT = kel::codelist::kProduct,       // 险    种: list 20265
        IDC_CBX_CLASS = kel::codelist::kProductClass,    // 险    类: list 20323
        IDC_CBX_RISK_LEVEL = kel::codelist::kRiskLevel,  // 风险等级: list 20179
        IDC_EDT_RETENTION = 1005,                        // 自留限额:
        IDC_EDT_LINES = 1006,                            // 线数：
        IDC_EDT_CONT_LIMIT = 1007,                       // 合约限额:
        IDC_EDT_VIP_LINES = 1008,                        // VIP线数:
        IDC_EDT_VIP_LIMIT = 1009,                        // VIP限额:
        IDC_CHK_COPY = 1010,                             // 复制业务数据
        IDC_EDT_QUOTA = 1011,                            // hidden: quota share
        IDC_EDT_COINS_COEF = 1012,                       // hidden: co-insurance limit coefficient
    };

    explicit CS0000S701(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Set by the caller before DoModal, read back after OK. All text; the comment
    // names the product share list column each goes to.
    bool m_bAdd = false;      // add mode (the copy option only then)
    CString m_strYear;        // treaty year, four digits (start date's first four)
    CString m_strContCode;    // 合约代码
    CString m_strContName;    // 合约名称
    CString m_strProdCode;    // col 0: product, or product class when the type is "S"
    CString m_strRiskLevel;   // col 1: 风险等级
    CString m_strQuotaRatio;  // col 2: quota share, a fraction (passed through)
    CString m_strRetention;   // col 3: 自留限额 ("9999999999.99" = none set)
    CString m_strContLimit;   // col 4: 合约限额
    CString m_strCoinsCoef;   // col 5: co-insurance limit coefficient (passed through)
    CString m_strSetType;     // col 6: "T" product, "S" product class
    CString m_strLines;       // col 7: 线数
    CString m_strCopyFlag;    // col 8: "Y" or "N" (复制业务数据)
    CString m_strVipLines;    // col 9: VIP线数
    CString m_strVipLimit;    // col 10: VIP限额

    // The risk code rows of the treaty year, loaded at opening.
    struct RiskCodeRow {
        std::string riskLevel;       // c_risk_lvl_cde, trailing blanks removed
        bool hasKeepAmount = false;  // false when the table holds no number there
        double keepAmount = 0;       // n_keep_amt: the retention of the level
        double maxFacAmount = 0;     // n_max_fac_amt (loaded, not used here)
    };
    std::vector<RiskCodeRow> m_arrRiskCode;

    DECLARE_MESSAGE_MAP()

private:
    void OnProductRadio();
    void OnClassRadio();
    void OnCopyClicked();
    void OnKillFocusProduct();
    void OnKillFocusRiskLevel();
    void OnKillFocusLines();
    void OnKillFocusVipLines();
    void OnSetTypeChanged();
    LRESULT OnCondition(WPARAM wParam, LPARAM lParam);
    bool LoadRiskCodes();
    void ShowValues();
    void TakeValues();
    void SetNeeded(int codeCombo);
    // After lines (or VIP lines) changed: limit = retention x lines, unless the
    // copy option is on or no retention is set.
    void RecomputeLimit(CString CS0000S701::*lines, CString CS0000S701::*limit);
    bool CheckAmount(int nID, const char* label, const CString& text,
                     kel::records::NumberBound bound = kel::records::kAmountBound);
};
