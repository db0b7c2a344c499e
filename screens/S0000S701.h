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
#include "screens/TreatyLists.h"

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

    // Set by the caller before DoModal, read back after OK.
    bool m_bAdd = false;    // add mode (the copy option only then)
    CString m_strYear;      // treaty year, four digits (start date's first four)
    CString m_strContCode;  // 合约代码
    CString m_strContName;  // 合约名称
    // The row's texts by product share list column (TreatyLists.h): the form shows
    // and takes those its field table rows give a control (ContRiskFields), and
    // keeps the product or class, the risk level, the setting type ("T" product,
    // "S" product class) and the copy flag ("Y" or "N") as chosen.
    kel::screens::RiskTexts m_texts;

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
    void RecomputeLimit(int linesColumn, int limitColumn);
    bool CheckAmount(int nID, const char* label, const CString& text,
                     kel::records::NumberBound bound = kel::records::kAmountBound);
};
