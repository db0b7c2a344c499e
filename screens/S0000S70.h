// The treaty data form: one treaty data record with its rates and ratios, its
// reinsurer participation list (brokers with their sub-reinsurers) and its product
// share list. It saves the record with the three lists in one transaction (189 in
// add and copy mode, 187 in modify mode), then offers to generate the treaty's
// details (200). Opened only by the treaty data search.
#pragma once

#include "INCLUDE/NumEdit.h"
#include "common/db/CodeLists.h"
#include "common/records/Records.h"
#include "data/ContInfoMgr.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXDateTime.h"
#include "host/qxctlset/QXGrid.h"
#include "screens/S0000S700.h"

class CS0000S70 : public CBASEBASE, public CReinsListOwner {
public:
    enum { IDD = 25070 };
    enum : int {
        IDC_EDT_CONT_CODE = 1201,                        // 合约代码: upper case, 2 characters
        IDC_EDT_CONT_NO = 1202,                          // 合同号: at most 10 characters
        IDC_CBX_CONT_NAME = kel::codelist::kTreatyName,  // 合约名称: shows the code's name (disabled)
        IDC_EDT_CONT_TYPE = 1203,                        // 合约类型: (shown only)
        IDC_DTE_START = 1204,                            // 起始日期:
        IDC_DTE_END = 1205,                              // 终止日期:
        IDC_DTE_CANCEL = 1206,                           // 合同注销时限:
        IDC_EDT_CASH_LOSS = 1207,                        // 现金赔款起点:
        IDC_CBX_LIMIT_CURR = kel::codelist::kCurrency,   // 合同限额币种:
        IDC_EDT_QUOTA = 1208,                            // 成数比例: %
        IDC_EDT_LINES = 1209,                            // 线数:
        IDC_EDT_VIP_LINES = 1210,                        // VIP线数:
        IDC_EDT_COMM_RATE = 1211,                        // 手续费率: %
        IDC_EDT_ACT_COMM_RATE = 1212,                    // 实际手续费率: % (shown only)
        IDC_CHK_COMM_INCL_TAX = 1213,                    // 手续费含税
        IDC_EDT_TAX_RATE = 1214,                         // 税率: %
        IDC_EDT_MGMT_FEE = 1215,                         // 管理费率: %
        IDC_CBX_LEAD_RI = kel::codelist::kReinsurer,     // 首席再保人:
        IDC_CHK_NET_PREM = 1216,                         // 净费分保
        IDC_NUM_NET_PREM_TAX = 1217,                     // 净费税率：% numeric (5, 2)
        IDC_EDT_LEAD_SHARE = 1218,                       // 首席再保人份额: %
        IDC_EDT_PREM_RSV = 1219,                         // 保费准备金比例: %
        IDC_EDT_LOSS_RSV = 1220,                         // 赔款准备金比例: %
        IDC_EDT_UNEXP_RSV = 1221,                        // 未了责任准备金比例: %
        IDC_EDT_ACCT_PERIOD = 1222,                      // 核算周期:
        IDC_EDT_LOSS_CARRY = 1223,                       // 亏损滚转:
        IDC_EDT_PROFIT_COMM = 1224,                      // 纯益手续费率: %
        IDC_EDT_UNEARNED = 1225,                         // 未满期保费比例: %
        IDC_EDT_QUAKE_PREM = 1226,                       // 地震保费比例: %
        IDC_EDT_QUAKE_COMM = 1227,                       // 地震险手续费率: %
        IDC_EDT_COINS_COEF = 1228,                       // 共保限额系数: (not a fraction)
        IDC_EDT_PLANT_RATE = 1229,                       // 电厂工程费率: %
        IDC_GRID_REINS = 1230,                           // 再保公司参与比例
        IDC_GRID_RISK = 1231,                            // 险种合约份额
        IDC_BTN_REINS_ADD = 1232,                        // 新增...
        IDC_BTN_REINS_MODIFY = 1233,                     // 修改...
        IDC_BTN_REINS_DELETE = 1234,                     // 删除
        IDC_BTN_RISK_ADD = 1235,                         // 新增...
        IDC_BTN_RISK_COPY = 1236,                        // 复制..
        IDC_BTN_RISK_MODIFY = 1237,                      // 修改...
        IDC_BTN_RISK_DELETE = 1238,                      // 删除
        IDC_BTN_CLASS = 1239,                            // 合约险类设置[&T]...
        IDC_BTN_GENERATE = 1240,                         // 生成合约[&B]
        IDC_BTN_SECTION = 1241,                          // SECTION设置[N]...
        // 确定[&S] is IDOK, 返回[&R] IDCANCEL.
    };

    explicit CS0000S70(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    // 确定[&S]: checks, saves the record with its lists, offers the generation.
    // On add and copy: the typed treaty code is one of the stored codes (named when not).
    bool CheckTreatyCodeKnown();
    void OnOK() override;

    // Set by the caller before DoModal. Modify mode is neither flag.
    bool m_bAdd = false;
    bool m_bCopy = false;
    // The held values: the record as stored (ratios as fractions; the form shows
    // them as percentages). Modify and copy fill it from the chosen row; copy
    // keeps the copied record's id so that its lists are read. After a save it is
    // the record saved, with the id the server gave it.
    _ContInfoStruct m_stContInfo;

    // CReinsListOwner: the participation form works on these.
    CQXGrid& GetReinsGrid() override { return m_GridReins; }
    kel::mgr::RecordArray<_ContExtraStruct>& GetExtraArray() override { return m_ContInfoMgr.m_arrExtra; }

    DECLARE_MESSAGE_MAP()

private:
    void SetFieldRules();
    void ShowAddDefaults();
    void ShowHeldValues();
    // Reads the record's three lists (190) and shows the two grids.
    void LoadLists();

    // The net-premium rule: the check box "净费分保" is open to some treaties only.
    static bool IsNetPremiumCode(const CString& code);
    void ApplyNetPremiumCodeRule(bool reset);
    void ApplyNetPremiumTypeRule();
    void ResetNetPremiumTax(bool enable);

    // Save steps; each false after telling the user, with nothing sent.
    bool CheckParticipationTotal();
    bool ReadForm(_ContInfoStruct& record);
    bool BuildLists();
    // After an insert: the id the server gave the record (186 by its start date).
    bool FindSavedId(_ContInfoStruct& record);
    // Becomes the form of the stored record: the next save is an update.
    void BecomeModify();
    // Asks, then sends the generation (200) for the held record.
    void Generate();

    CString TreatyName();
    // The start date's year; false after telling the user why there is none.
    bool TreatyYear(CString& year);
    // The current participant or product share row; 0 after a message.

    void OnChangeContCode();
    void OnKillFocusContCode();
    void OnNetPremClicked();
    void OnBtnGenerate();
    void OnBtnSection();
    void OnBtnClass();
    void OnReinsAdd();
    void OnReinsModify();
    void OnReinsDelete();
    void OnRiskAdd();
    void OnRiskCopy();
    void OnRiskModify();
    void OnRiskDelete();

    CContInfoMgr m_ContInfoMgr;
    CQXGrid m_GridReins{0, 0, 0, 0};
    CQXGrid m_GridRisk{0, 0, 0, 0};
    CQXDateTime m_dteStart, m_dteEnd, m_dteCancel;
    CNumEdit m_edtNetPremTax;
    bool m_bListsRead = true;  // false when the record's lists could not be read
};
