#include "screens/S0000S70.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "common/text/GbkText.h"
#include "host/win/DialogTemplate.h"
#include "screens/ContInfoFields.h"
#include "screens/RegisterOnce.h"
#include "screens/S0000S702.h"
#include "screens/S0000S705.h"
#include "screens/ScreenCommon.h"
#include "screens/TreatyLists.h"

namespace {

constexpr int kCodeChars = sizeof(_ContInfoStruct::szContCode) - 1;  // 2
constexpr int kContNoChars = 10;
constexpr int kNetPremTaxWidth = 5;
constexpr int kNetPremTaxDecimals = 2;

// Treaties whose code keeps them out of net-premium cession.
constexpr const char* kNoNetPremiumCodes[] = {"04", "11", "10", "12", "16", "18", "15",
                                              "FA", "99", "BB", "13", "14", "82", "81"};
constexpr const char* kQuotaShareType = "成数合约";

constexpr const char* kListsNotRead = "合约的再保公司参与比例和险种合约份额没有读取成功，不能保存，请返回后重新打开!";

}  // namespace

BEGIN_MESSAGE_MAP(CS0000S70, CBASEBASE)
ON_EN_CHANGE(IDC_EDT_CONT_CODE, OnChangeContCode)
ON_EN_KILLFOCUS(IDC_EDT_CONT_CODE, OnKillFocusContCode)
ON_BN_CLICKED(IDC_CHK_NET_PREM, OnNetPremClicked)
ON_BN_CLICKED(IDC_BTN_GENERATE, OnBtnGenerate)
ON_BN_CLICKED(IDC_BTN_SECTION, OnBtnSection)
ON_BN_CLICKED(IDC_BTN_CLASS, OnBtnClass)
ON_BN_CLICKED(IDC_BTN_REINS_ADD, OnReinsAdd)
ON_BN_CLICKED(IDC_BTN_REINS_MODIFY, OnReinsModify)
ON_BN_CLICKED(IDC_BTN_REINS_DELETE, OnReinsDelete)
ON_BN_CLICKED(IDC_BTN_RISK_ADD, OnRiskAdd)
ON_BN_CLICKED(IDC_BTN_RISK_COPY, OnRiskCopy)
ON_BN_CLICKED(IDC_BTN_RISK_MODIFY, OnRiskModify)
ON_BN_CLICKED(IDC_BTN_RISK_DELETE, OnRiskDelete)
END_MESSAGE_MAP()

void CS0000S70::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约资料设置[编辑]")
        .Group(-1, "基本资料", 0, 0, 6, 8)
        .Label(-1, "合约代码:", 0, 0)
        .Edit(IDC_EDT_CONT_CODE, 0, 1, 1, ES_UPPERCASE, kCodeChars)
        .Label(-1, "合同号:", 0, 2)
        .Edit(IDC_EDT_CONT_NO, 0, 3, 1, 0, kContNoChars)
        .Label(-1, "合约名称:", 0, 4)
        .Combo(IDC_CBX_CONT_NAME, 0, 5, 3, CBS_DROPDOWNLIST | WS_DISABLED)
        .Label(-1, "合约类型:", 1, 0)
        .Edit(IDC_EDT_CONT_TYPE, 1, 1, 1, WS_DISABLED)
        .Label(-1, "起始日期:", 1, 2)
        .Date(IDC_DTE_START, 1, 3)
        .Label(-1, "终止日期:", 1, 4)
        .Date(IDC_DTE_END, 1, 5)
        .Label(-1, "合同注销时限:", 1, 6)
        .Date(IDC_DTE_CANCEL, 1, 7)
        .Label(-1, "现金赔款起点:", 2, 0)
        .Edit(IDC_EDT_CASH_LOSS, 2, 1, 1, ES_RIGHT)
        .Label(-1, "合同限额币种:", 2, 2)
        .Combo(IDC_CBX_LIMIT_CURR, 2, 3)
        .Label(-1, "成数比例:", 2, 4)
        .Edit(IDC_EDT_QUOTA, 2, 5, 1, ES_RIGHT)
        .Label(-1, "线数:", 2, 6)
        .Edit(IDC_EDT_LINES, 2, 7, 1, ES_RIGHT)
        .Label(-1, "VIP线数:", 3, 0)
        .Edit(IDC_EDT_VIP_LINES, 3, 1, 1, ES_RIGHT)
        .Label(-1, "手续费率:", 3, 2)
        .Edit(IDC_EDT_COMM_RATE, 3, 3, 1, ES_RIGHT)
        .Label(-1, "实际手续费率:", 3, 4)
        .Edit(IDC_EDT_ACT_COMM_RATE, 3, 5, 1, WS_DISABLED | ES_RIGHT)
        .Check(IDC_CHK_COMM_INCL_TAX, "手续费含税", 3, 6, 2)
        .Label(-1, "税率:", 4, 0)
        .Edit(IDC_EDT_TAX_RATE, 4, 1, 1, ES_RIGHT)
        .Label(-1, "管理费率:", 4, 2)
        .Edit(IDC_EDT_MGMT_FEE, 4, 3, 1, ES_RIGHT)
        .Label(-1, "首席再保人:", 4, 4)
        .Combo(IDC_CBX_LEAD_RI, 4, 5, 3)
        .Check(IDC_CHK_NET_PREM, "净费分保", 5, 0, 2)
        .Label(-1, "净费税率：", 5, 2)
        .Number(IDC_NUM_NET_PREM_TAX, 5, 3)
        .Label(-1, "首席再保人份额:", 5, 4)
        .Edit(IDC_EDT_LEAD_SHARE, 5, 5, 1, ES_RIGHT)
        .Group(-1, "准备金", 6, 0, 1, 8)
        .Label(-1, "保费准备金比例:", 6, 0)
        .Edit(IDC_EDT_PREM_RSV, 6, 1, 1, ES_RIGHT)
        .Label(-1, "赔款准备金比例:", 6, 2)
        .Edit(IDC_EDT_LOSS_RSV, 6, 3, 1, ES_RIGHT)
        .Label(-1, "未了责任准备金比例:", 6, 4)
        .Edit(IDC_EDT_UNEXP_RSV, 6, 5, 1, ES_RIGHT)
        .Group(-1, "合同核算", 7, 0, 1, 8)
        .Label(-1, "核算周期:", 7, 0)
        .Edit(IDC_EDT_ACCT_PERIOD, 7, 1, 1, ES_RIGHT)
        .Label(-1, "亏损滚转:", 7, 2)
        .Edit(IDC_EDT_LOSS_CARRY, 7, 3, 1, ES_RIGHT)
        .Label(-1, "纯益手续费率:", 7, 4)
        .Edit(IDC_EDT_PROFIT_COMM, 7, 5, 1, ES_RIGHT)
        .Group(-1, "其他", 8, 0, 2, 8)
        .Label(-1, "未满期保费比例:", 8, 0)
        .Edit(IDC_EDT_UNEARNED, 8, 1, 1, ES_RIGHT)
        .Label(-1, "地震保费比例:", 8, 2)
        .Edit(IDC_EDT_QUAKE_PREM, 8, 3, 1, ES_RIGHT)
        .Label(-1, "地震险手续费率:", 8, 4)
        .Edit(IDC_EDT_QUAKE_COMM, 8, 5, 1, ES_RIGHT)
        .Label(-1, "共保限额系数:", 9, 0)
        .Edit(IDC_EDT_COINS_COEF, 9, 1, 1, ES_RIGHT)
        .Label(-1, "[1表示使用共保比例]", 9, 2, 2)
        .Label(-1, "电厂工程费率:", 9, 4)
        .Edit(IDC_EDT_PLANT_RATE, 9, 5, 1, ES_RIGHT)
        .Group(-1, "再保公司参与比例", 10, 0, 2, 8)
        .Grid(IDC_GRID_REINS, 10, 0, 1, 8)
        .Size(880, 176)
        .Button(IDC_BTN_REINS_ADD, "新增...", 11, 5)
        .Button(IDC_BTN_REINS_MODIFY, "修改...", 11, 6)
        .Button(IDC_BTN_REINS_DELETE, "删除", 11, 7)
        .Group(-1, "险种合约份额", 12, 0, 2, 8)
        .Grid(IDC_GRID_RISK, 12, 0, 1, 8)
        .Size(880, 130)
        .Button(IDC_BTN_RISK_ADD, "新增...", 13, 4)
        .Button(IDC_BTN_RISK_COPY, "复制..", 13, 5)
        .Button(IDC_BTN_RISK_MODIFY, "修改...", 13, 6)
        .Button(IDC_BTN_RISK_DELETE, "删除", 13, 7)
        .Button(IDC_BTN_CLASS, "合约险类设置[&T]...", 14, 3)
        .Button(IDC_BTN_GENERATE, "生成合约[&B]", 14, 4)
        .Button(IDC_BTN_SECTION, "SECTION设置[N]...", 14, 5)
        .Button(IDOK, "确定[&S]", 14, 6, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "返回[&R]", 14, 7)
        .Register();
}

CS0000S70::CS0000S70(CWnd* pParent) : CBASEBASE(IDD, pParent), m_stContInfo{}, m_ContInfoMgr(this) {
    kel::screens::RegisterOnce<&CS0000S70::RegisterTemplate>();
}

BOOL CS0000S70::OnInitDialog() {
    m_GridReins.SubclassDlgItem(IDC_GRID_REINS, this);
    m_GridRisk.SubclassDlgItem(IDC_GRID_RISK, this);
    m_dteStart.SubclassDlgItem(IDC_DTE_START, this);
    m_dteEnd.SubclassDlgItem(IDC_DTE_END, this);
    m_dteCancel.SubclassDlgItem(IDC_DTE_CANCEL, this);
    m_edtNetPremTax.SubclassDlgItem(IDC_NUM_NET_PREM_TAX, this);
    m_nGridCbxCount = 0;
    SetGridCbx(&m_GridReins, kel::screens::REINS_NAME, kel::codelist::kReinsurer, 2);
    SetFieldRules();
    CBASEBASE::OnInitDialog();

    for (CQXDateTime* date : {&m_dteStart, &m_dteEnd, &m_dteCancel}) date->Format(CQXDateTime::kDateMask);
    for (int combo : {IDC_CBX_LEAD_RI, IDC_CBX_LIMIT_CURR, IDC_CBX_CONT_NAME}) SetCbxCtrl(combo, 2);
    m_edtNetPremTax.SetLimits(kNetPremTaxWidth, kNetPremTaxDecimals);
    kel::screens::SetUpReinsGrid(m_GridReins);
    kel::screens::SetUpRiskGrid(m_GridRisk);
    InitGridCbx();

    if (m_bAdd) {
        for (int button : {IDC_BTN_CLASS, IDC_BTN_SECTION, IDC_BTN_GENERATE}) GetDlgItem(button)->EnableWindow(FALSE);
        ShowAddDefaults();
        kel::screens::RebuildReinsTotal(m_GridReins, "0.00");
        return TRUE;
    }
    // A copy has no record of its own before its save: generating would generate
    // the original's details. The save enables it again.
    if (m_bCopy) GetDlgItem(IDC_BTN_GENERATE)->EnableWindow(FALSE);
    ShowHeldValues();
    LoadLists();
    return TRUE;
}

void CS0000S70::SetFieldRules() {
    kel::screens::ContInfoFields().RegisterRequired(*this);
    m_nLimitCount = 1;
    m_nLimitID[0] = IDC_EDT_CONT_NO;
    m_nLimitLen[0] = kContNoChars;
}

void CS0000S70::ShowAddDefaults() {
    kel::screens::ContInfoFields().ShowAddDefaults(*this);
    ResetNetPremiumTax(false);
}

void CS0000S70::ShowHeldValues() {
    kel::screens::ContInfoFields().LoadForm(*this, m_stContInfo);
    SetComboContent(IDC_CBX_CONT_NAME, CString(kel::text::GetField(m_stContInfo.szContCode)));
    m_edtNetPremTax.EnableWindow(m_stContInfo.cNetPremFlag == '1');
    if (m_bCopy)
        ApplyNetPremiumCodeRule(false);
    else
        ApplyNetPremiumTypeRule();
    if (!m_bCopy) GetDlgItem(IDC_EDT_CONT_CODE)->EnableWindow(FALSE);  // modify keeps the code
}

void CS0000S70::LoadLists() {
    m_ContInfoMgr.m_stContInfo.nContId = m_stContInfo.nContId;
    {
        CWaitCursor wait;
        m_bListsRead = m_ContInfoMgr.GetContSubList();
    }
    // Without the lists the grids stay empty and the save is refused: it would
    // replace the stored lists with nothing.
    kel::screens::FillReinsGrid(m_GridReins, m_ContInfoMgr.m_arrReins.Data(), m_ContInfoMgr.m_arrReins.Count());
    kel::screens::FillRiskGrid(m_GridRisk, m_ContInfoMgr.m_arrRisk.Data(), m_ContInfoMgr.m_arrRisk.Count());
}

// ---- the net-premium rule

bool CS0000S70::IsNetPremiumCode(const CString& code) {
    for (const char* excluded : kNoNetPremiumCodes)
        if (code == excluded) return false;
    return true;
}

void CS0000S70::ApplyNetPremiumCodeRule(bool reset) {
    CString code;
    GetItemValue(IDC_EDT_CONT_CODE, code);
    auto* box = static_cast<CButton*>(GetDlgItem(IDC_CHK_NET_PREM));
    box->EnableWindow(IsNetPremiumCode(code));
    if (!reset) return;
    box->SetCheck(BST_UNCHECKED);
    ResetNetPremiumTax(false);
}

void CS0000S70::ApplyNetPremiumTypeRule() {
    const std::string type = kel::text::GetField(m_stContInfo.szContTypeName);
    GetDlgItem(IDC_CHK_NET_PREM)->EnableWindow(type == kQuotaShareType);
}

void CS0000S70::ResetNetPremiumTax(bool enable) {
    m_edtNetPremTax.EnableWindow(enable);
    SetItemValue(IDC_NUM_NET_PREM_TAX, "0.00");
}

void CS0000S70::OnChangeContCode() { ApplyNetPremiumCodeRule(true); }

void CS0000S70::OnKillFocusContCode() {
    CString code;
    GetItemValue(IDC_EDT_CONT_CODE, code);
    SetComboContent(IDC_CBX_CONT_NAME, code);
}

void CS0000S70::OnNetPremClicked() {
    auto* box = static_cast<CButton*>(GetDlgItem(IDC_CHK_NET_PREM));
    ResetNetPremiumTax(box->GetCheck() == BST_CHECKED);
}

// ---- save

bool CS0000S70::CheckTreatyCodeKnown() {
    if (!m_bAdd && !m_bCopy) return true;  // a modify keeps the stored code
    auto* names = dynamic_cast<CComboBox*>(GetDlgItem(IDC_CBX_CONT_NAME));
    if (!names || names->GetCount() == 0) return true;  // no list to hold it against: the server decides
    CString code;
    GetItemValue(IDC_EDT_CONT_CODE, code);
    code.Trim();
    SetComboContent(IDC_CBX_CONT_NAME, code);
    if (names->GetCurSel() != CB_ERR) return true;
    MessageBox("合约代码" + code + "不存在，请先在合约代码设置中增加!", nullptr, MB_OK);
    GetDlgItem(IDC_EDT_CONT_CODE)->SetFocus();
    return false;
}

void CS0000S70::OnOK() {
    if (IsNeededEmpty()) return;
    if (!m_bListsRead) {
        MessageBox(kListsNotRead, nullptr, MB_OK);
        return;
    }
    if (!CheckParticipationTotal()) return;
    _ContInfoStruct record{};
    if (!ReadForm(record)) return;
    if (!CheckTreatyCodeKnown()) return;
    if (!BuildLists()) return;

    m_ContInfoMgr.SetContInfo(record);
    const bool insert = m_bAdd || m_bCopy;
    bool sent;
    {
        CWaitCursor wait;
        sent = insert ? m_ContInfoMgr.Insert() : m_ContInfoMgr.Update();
    }
    if (!sent) return;  // the framework has told the user; everything stays as typed

    if (insert) {
        // The record exists now: from here on this form changes it, it does not
        // add another one.
        if (!FindSavedId(record)) {
            EndDialog(IDOK);
            return;
        }
        BecomeModify();
        SetItemValue(IDC_EDT_CONT_TYPE, CString(kel::text::GetField(record.szContTypeName)));
    } else {
        std::memcpy(record.szContTypeName, m_stContInfo.szContTypeName, sizeof record.szContTypeName);
    }
    m_stContInfo = record;

    if (MessageBox("您已经修改的合约,是否现在生成合约明细?", nullptr, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) !=
        IDYES) {
        EndDialog(IDOK);
        return;
    }
    Generate();
}

bool CS0000S70::CheckParticipationTotal() {
    if (kel::screens::ReinsRowCount(m_GridReins) == 0) return true;
    const int total = m_GridReins.GetRowCount() - 1;
    CString text = m_GridReins.GetItemText(total, kel::screens::REINS_SHARE);
    text.Trim();
    if (text == "1.0000") return true;
    MessageBox("再保人份额不等于1 ！", nullptr, MB_OK);
    return false;
}

bool CS0000S70::ReadForm(_ContInfoStruct& record) {
    _ContInfoStruct read{};
    read.nContId = m_stContInfo.nContId;
    if (!kel::screens::ContInfoFields().SaveForm(*this, read)) return false;
    // Both dates are complete here (the table refuses a partial one): as stored
    // digits they compare as dates.
    if (read.szStartDate[0] && read.szEndDate[0] && std::strcmp(read.szEndDate, read.szStartDate) < 0)
        return kel::screens::RefuseInput(*this, IDC_DTE_END, "终止日期不能早于起始日期，请修改!");
    const char* user = m_stLoginUserInfo.szUserCode;
    kel::text::PutRawField(read.szUserCode, sizeof read.szUserCode, user);
    kel::text::PutRawField(read.szUserCode2, sizeof read.szUserCode2, user);
    record = read;
    return true;
}

bool CS0000S70::BuildLists() {
    std::vector<_ContReinsStruct> reins;
    for (int row = 1; row < m_GridReins.GetRowCount(); ++row) {
        if (!kel::screens::IsReinsRow(m_GridReins, row)) continue;
        _ContReinsStruct record;
        if (!kel::screens::ReadReinsRow(*this, m_GridReins, row, record)) return false;
        record.nExtraStart = record.nExtraCount = 0;  // the screen's own pointers
        reins.push_back(record);
    }
    std::vector<_ContRiskStruct> risk;
    for (int row = 1; row < m_GridRisk.GetRowCount(); ++row) {
        const auto texts = kel::screens::RiskRowTexts(m_GridRisk, row);
        // A row copied without its product (the share form allows it) cannot be stored.
        CString product = texts[kel::screens::RISK_PRODUCT];
        if (product.Trim().IsEmpty()) {
            CString message;
            message.Format("合约份额第%d行没有险种(险类)，请修改该行后再保存!", row);
            MessageBox(message, nullptr, MB_OK);
            return false;
        }
        _ContRiskStruct record;
        if (!kel::screens::RiskFromTexts(*this, texts, record)) return false;
        risk.push_back(record);
    }
    // The broker sub-reinsurer records go as the screen holds them.
    if (!m_ContInfoMgr.SetReinsList(reins.data(), static_cast<int>(reins.size())) ||
        !m_ContInfoMgr.SetRiskList(risk.data(), static_cast<int>(risk.size()))) {
        MessageBox("分配内存失败！", nullptr, MB_OK);
        return false;
    }
    return true;
}

bool CS0000S70::FindSavedId(_ContInfoStruct& record) {
    // The treaty code and start date name one record: the server keeps no second.
    CContInfoMgr mgr(this);
    std::memcpy(mgr.m_stContInfo.szStartDate, record.szStartDate, sizeof record.szStartDate);
    char* answer = nullptr;
    int count = 0;
    bool ok;
    {
        CWaitCursor wait;
        ok = mgr.GetContInfoList(&answer, &count);
    }
    if (!ok) return false;  // the framework has told the user
    bool found = false;
    for (int i = 0; i < count && !found; ++i) {
        _ContInfoStruct stored;
        std::memcpy(&stored, answer + i * sizeof stored, sizeof stored);
        if (std::strncmp(stored.szContCode, record.szContCode, sizeof stored.szContCode) == 0 &&
            std::strncmp(stored.szStartDate, record.szStartDate, sizeof stored.szStartDate) == 0) {
            record = stored;
            found = true;
        }
    }
    std::free(answer);
    if (!found) MessageBox("合约资料已保存，但没有读到保存后的记录，请重新检索!", nullptr, MB_OK);
    return found;
}

void CS0000S70::BecomeModify() {
    m_bAdd = false;
    m_bCopy = false;
    GetDlgItem(IDC_EDT_CONT_CODE)->EnableWindow(FALSE);
    for (int button : {IDC_BTN_CLASS, IDC_BTN_SECTION, IDC_BTN_GENERATE}) GetDlgItem(button)->EnableWindow(TRUE);
}

// ---- generation and the screens of the record

void CS0000S70::OnBtnGenerate() { Generate(); }

void CS0000S70::Generate() {
    if (MessageBox("是否确认生成合约?", "注意", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    // The record as loaded or last saved: its id names it even when several
    // periods share the contract number.
    _ContInfoStruct key{};
    key.nContId = m_stContInfo.nContId;
    std::memcpy(key.szContCode, m_stContInfo.szContCode, sizeof key.szContCode);
    std::string contNo = kel::text::GetRawField(m_stContInfo.szContNo, sizeof m_stContInfo.szContNo);
    contNo.erase(contNo.find_last_not_of(' ') + 1);
    kel::text::PutRawField(key.szContNo, sizeof key.szContNo, contNo);
    CContInfoMgr mgr(this);
    mgr.SetContInfo(key);
    bool generated;
    {
        CWaitCursor wait;
        generated = mgr.GenerateCont();
    }
    MessageBox(generated ? "合约生成成功！" : "合约生成失败！", nullptr, MB_OK);
}

void CS0000S70::OnBtnSection() {
    CS0000S702 screen(this);
    screen.m_bAdd = m_bAdd || m_bCopy;  // a copy has no id of its own before its save
    screen.m_nContId = m_stContInfo.nContId;
    screen.m_strContCode = kel::text::GetField(m_stContInfo.szContCode);
    screen.m_strContName = TreatyName();
    screen.DoModal();
}

void CS0000S70::OnBtnClass() {
    CS0000S705 screen(this);
    screen.m_bAdd = m_bAdd || m_bCopy;
    screen.m_nContId = m_stContInfo.nContId;
    screen.m_strContCode = kel::text::GetField(m_stContInfo.szContCode);
    screen.m_strContName = TreatyName();
    screen.DoModal();
}
