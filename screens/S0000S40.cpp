#include "screens/S0000S40.h"

#include <cstring>
#include <span>
#include <vector>

#include "common/text/GbkText.h"
#include "data/RICompanyMgr.h"
#include "host/win/DialogTemplate.h"
#include "screens/RegisterOnce.h"
#include "screens/ReinsurerFields.h"
#include "screens/S0000S400.h"
#include "screens/S0000S402.h"
#include "screens/ScreenCommon.h"
#include "screens/WorkedRow.h"

namespace {

// The form's own lists; the letter stored is the item's code, its first letter.
constexpr const char* kBillTypeItems[] = {"", "C  中文", "E  英文"};
constexpr const char* kPayModeItems[] = {"", "C  支票", "T  电汇"};
constexpr const char* kCompKindItems[] = {"", "A  再保公司", "B  经纪公司"};
constexpr const char* kRelationItems[] = {"",          "A  股东",    "B  股东的控制方", "C  受同一第三方控制",
                                          "D  子公司", "E  非关联方"};

// Edits and their longest texts: the record's field less its terminator. The fax
// field holds 20 characters, the credit rating 110.
struct Limit {
    int id;
    int chars;
};
constexpr Limit kLimits[] = {
    {CS0000S40::IDC_EDT_CODE, 4},        {CS0000S40::IDC_EDT_ENG_NAME, 60},  {CS0000S40::IDC_EDT_CHN_NAME, 60},
    {CS0000S40::IDC_EDT_SHORT_NAME, 10}, {CS0000S40::IDC_EDT_ADDRESS, 500},  {CS0000S40::IDC_EDT_PHONE, 30},
    {CS0000S40::IDC_EDT_FAX, 20},        {CS0000S40::IDC_EDT_CONTACT, 60},   {CS0000S40::IDC_EDT_SP_RATING, 10},
    {CS0000S40::IDC_EDT_AMBEST, 10},     {CS0000S40::IDC_EDT_SOLVENCY, 100}, {CS0000S40::IDC_EDT_CREDIT, 110},
};

void FillCombo(CWnd* item, std::span<const char* const> items) {
    auto* combo = dynamic_cast<CComboBox*>(item);
    if (!combo) return;
    combo->ResetContent();
    for (const char* text : items) combo->AddString(text);
}

}  // namespace

void CUnsignedNumEdit::OnChar(unsigned ch) {
    if (ch == '+' || ch == '-') return;
    CNumEdit::OnChar(ch);
}

BEGIN_MESSAGE_MAP(CS0000S40, CBASEBASE)
ON_BN_CLICKED(IDC_BTN_ACC_ADD, OnBtnAccountAdd)
ON_BN_CLICKED(IDC_BTN_ACC_MODIFY, OnBtnAccountModify)
ON_BN_CLICKED(IDC_BTN_ACC_DELETE, OnBtnAccountDelete)
ON_BN_CLICKED(IDC_BTN_SOLVENCY, OnBtnSolvency)
END_MESSAGE_MAP()

void CS0000S40::RegisterTemplate() {
    win::TemplateBuilder(IDD, "再保公司设置[编辑]")
        .Label(-1, "代    码:", 0, 0)
        .Edit(IDC_EDT_CODE, 0, 1)
        .Label(-1, "业务来源性质:", 0, 2)
        .Combo(IDC_CBX_COMP_KIND, 0, 3)
        .Label(-1, "中文名称:", 1, 0)
        .Edit(IDC_EDT_CHN_NAME, 1, 1)
        .Size(260, 0)
        .Label(-1, "英文名称:", 1, 2)
        .Edit(IDC_EDT_ENG_NAME, 1, 3, 2)
        .Size(300, 0)
        .Label(-1, "缩    写:", 2, 0)
        .Edit(IDC_EDT_SHORT_NAME, 2, 1)
        .Label(-1, "国家地区:", 2, 2)
        .Combo(IDC_CBX_COUNTRY, 2, 3)
        .Label(-1, "公司属性:", 3, 0)
        .Combo(IDC_CBX_COMP_PROP, 3, 1)
        .Label(-1, "业务类型:", 3, 2)
        .Combo(IDC_CBX_BUSI_TYPE, 3, 3)
        .Label(-1, "账单类型:", 4, 0)
        .Combo(IDC_CBX_BILL_TYPE, 4, 1)
        .Label(-1, "付款方式:", 4, 2)
        .Combo(IDC_CBX_PAY_MODE, 4, 3)
        .Label(-1, "关联方关系:", 5, 0)
        .Combo(IDC_CBX_RELATION, 5, 1)
        .Label(-1, "信用等级:", 5, 2)
        .Edit(IDC_EDT_CREDIT, 5, 3, 2)
        .Label(-1, "S&&P 评级:", 6, 0)
        .Edit(IDC_EDT_SP_RATING, 6, 1)
        .Label(-1, "A.M.Best评级:", 6, 2)
        .Edit(IDC_EDT_AMBEST, 6, 3)
        .Label(-1, "公积金(亿元人民币):", 7, 0)
        .Number(IDC_NUM_RESERVE, 7, 1)
        .Label(-1, "资本金(亿元人民币):", 7, 2)
        .Number(IDC_NUM_CAPITAL, 7, 3)
        .Label(-1, "偿付能力:", 8, 0)
        .Edit(IDC_EDT_SOLVENCY, 8, 1, 3)
        .Button(IDC_BTN_SOLVENCY, "...", 8, 4)
        .Label(-1, "地    址:", 9, 0)
        .Edit(IDC_EDT_ADDRESS, 9, 1, 4)
        .Label(-1, "电话号码:", 10, 0)
        .Edit(IDC_EDT_PHONE, 10, 1)
        .Label(-1, "传真号码:", 10, 2)
        .Edit(IDC_EDT_FAX, 10, 3)
        .Label(-1, "联 系 人:", 11, 0)
        .Edit(IDC_EDT_CONTACT, 11, 1)
        .Check(IDC_CHK_LAPSED, "是否失效", 11, 3)
        .Group(-1, "再保人帐户资料", 12, 0, 2, 5)
        .Grid(IDC_GRID_ACCOUNT, 12, 0, 1, 5)
        .Size(860, 160)
        .Button(IDC_BTN_ACC_ADD, "增加[&A]", 13, 2)
        .Button(IDC_BTN_ACC_MODIFY, "修改[&M]", 13, 3)
        .Button(IDC_BTN_ACC_DELETE, "删除[&D]", 13, 4)
        .Button(IDOK, "确定[&O]", 14, 3, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "返回", 14, 4)
        .Register();
}

CS0000S40::CS0000S40(CWnd* pParent) : CBASEBASE(IDD, pParent), m_stRICompany{} {
    kel::screens::RegisterOnce<&CS0000S40::RegisterTemplate>();
}

BOOL CS0000S40::OnInitDialog() {
    m_GridAccount.SubclassDlgItem(IDC_GRID_ACCOUNT, this);
    m_edtReserve.SubclassDlgItem(IDC_NUM_RESERVE, this);
    m_edtCapital.SubclassDlgItem(IDC_NUM_CAPITAL, this);
    CBASEBASE::OnInitDialog();

    kel::screens::RICompanyFields().RegisterRequired(*this);
    m_nLimitCount = 0;
    for (const Limit& l : kLimits) {
        m_nLimitID[m_nLimitCount] = l.id;
        m_nLimitLen[m_nLimitCount++] = static_cast<uint16_t>(l.chars);
    }
    m_edtReserve.SetLimits(kAmountWidth, kAmountDecimals);
    m_edtCapital.SetLimits(kAmountWidth, kAmountDecimals);

    using kel::screens::GridColumn;
    kel::screens::SetUpListGrid(m_GridAccount,
                                {GridColumn{"", 0}, GridColumn{"币种", 60}, GridColumn{"开户银行", 250},
                                 GridColumn{"银行帐户", 223}, GridColumn{"收款人", 67}, GridColumn{"开户行地址", 250}});
    FillCombos();
    SetWindowText(m_bAdd ? "再保公司[新增]" : "再保公司[修改]");
    if (m_bAdd) return TRUE;  // every field empty and open, no accounts

    kel::screens::RICompanyFields().LoadForm(*this, m_stRICompany);
    GetDlgItem(IDC_EDT_CODE)->EnableWindow(FALSE);  // the key of the record
    m_bAccountsRead = LoadAccounts();
    return TRUE;
}

void CS0000S40::FillCombos() {
    FillCombo(GetDlgItem(IDC_CBX_BILL_TYPE), kBillTypeItems);
    FillCombo(GetDlgItem(IDC_CBX_PAY_MODE), kPayModeItems);
    FillCombo(GetDlgItem(IDC_CBX_COMP_KIND), kCompKindItems);
    FillCombo(GetDlgItem(IDC_CBX_BUSI_TYPE), kBusiTypeItems);
    FillCombo(GetDlgItem(IDC_CBX_RELATION), kRelationItems);
}

bool CS0000S40::LoadAccounts() {
    CRICompanyMgr mgr(this);
    mgr.SetRICompany(m_stRICompany);
    bool ok;
    {
        CWaitCursor wait;
        ok = mgr.GetRIAccountList();
    }
    if (!ok) return false;  // the framework has told the user; the grid stays empty
    const auto& fields = kel::screens::RIAccountFields();
    for (int i = 0; i < mgr.m_arrAccount.Count(); ++i) {
        int row = kel::screens::AppendGridRow(m_GridAccount);
        for (int col = ACC_BUSI_TYPE; col <= ACC_ACCOUNT_NO; ++col)
            m_GridAccount.SetColumnType(col, CQXGrid::kColumnText);
        fields.FillRow(m_GridAccount, row, mgr.m_arrAccount[i]);
    }
    m_GridAccount.Refresh();
    return true;
}

int CS0000S40::SelectedAccountRow(const char* message) {
    int row = m_GridAccount.GetRow();
    if (row == 0 || row == -1) {
        MessageBox(message, nullptr, MB_OK);
        return 0;
    }
    return row;
}

void CS0000S40::OnBtnAccountAdd() {
    // A new account takes the business type the reinsurer shows now; the account
    // form cannot change it, so it must be there.
    CString busiType = GetCurrCode(IDC_CBX_BUSI_TYPE);
    if (busiType.IsEmpty()) {
        kel::screens::RefuseInput(*this, IDC_CBX_BUSI_TYPE, "业务类型不能为空，请输入！");
        return;
    }
    CS0000S400 form(this);
    form.m_bAdd = true;
    GetItemValue(IDC_EDT_CODE, form.m_strRICode);
    form.m_stAccount.cBusiType = busiType.GetString()[0];
    if (form.DoModal() != IDOK) return;
    int row = kel::screens::AppendGridRow(m_GridAccount);
    kel::screens::RIAccountFields().FillRow(m_GridAccount, row, form.m_stAccount);
    m_GridAccount.Refresh();
    m_GridAccount.SelectRow(row, TRUE);
}

void CS0000S40::OnBtnAccountModify() {
    int row = SelectedAccountRow("请选择要修改的数据");
    if (row == 0) return;
    CS0000S400 form(this);
    form.m_bAdd = false;
    GetItemValue(IDC_EDT_CODE, form.m_strRICode);
    const auto& fields = kel::screens::RIAccountFields();
    if (!fields.ReadRow(*this, m_GridAccount, row, form.m_stAccount)) return;
    if (form.DoModal() != IDOK) return;
    fields.FillRow(m_GridAccount, row, form.m_stAccount);
    m_GridAccount.Refresh();
}

void CS0000S40::OnBtnAccountDelete() {
    int row = SelectedAccountRow("请选择要删除的数据");
    if (row == 0) return;
    if (!kel::screens::ConfirmDelete(*this)) return;
    m_GridAccount.DeleteRow(row);  // nothing is sent before the save
    kel::screens::SelectNeighbourOf(m_GridAccount, row);
}

void CS0000S40::OnBtnSolvency() {
    CS0000S402 editor(this);
    GetItemValue(IDC_EDT_SOLVENCY, editor.m_strText);
    editor.DoModal();
    SetItemValue(IDC_EDT_SOLVENCY, editor.m_strText);  // unchanged after a cancel
}

bool CS0000S40::PutAmount(int nID, const char* label, char* field, std::size_t width) {
    CString plain;
    static_cast<CNumEdit*>(GetDlgItem(nID))->GetPlainText(plain);
    plain.TrimRight();
    CString message;
    if (!plain.IsEmpty() && (plain.GetString()[0] == '-' || plain.GetString()[0] == '+')) {
        message.Format("%s不能带正负号，请修改!", label);
        return kel::screens::RefuseInput(*this, nID, message);
    }
    int points = 0;
    for (char c : plain.str())
        if (c == '.' ? ++points > 1 : (c < '0' || c > '9')) {
            message.Format("%s不是有效的数字，请修改!", label);
            return kel::screens::RefuseInput(*this, nID, message);
        }
    return kel::screens::PutFieldText(*this, nID, label, plain, field, width);
}

void CS0000S40::OnOK() {
    if (!m_bAccountsRead) {
        // Saving now would replace the stored accounts with an empty list.
        MessageBox("再保人帐户资料未能读取，不能保存，请返回后重新打开!", "提示", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (IsNeededEmpty()) return;

    _RICompanyStruct record{};
    if (!kel::screens::RICompanyFields().SaveForm(*this, record) ||
        !PutAmount(IDC_NUM_RESERVE, "公积金", record.szReserveFund, sizeof record.szReserveFund) ||
        !PutAmount(IDC_NUM_CAPITAL, "资本金", record.szCapital, sizeof record.szCapital))
        return;

    // The whole account list, in the grid's order.
    std::vector<_RIAccountStruct> accounts;
    const auto& fields = kel::screens::RIAccountFields();
    for (int row = 1; row < m_GridAccount.GetRowCount(); ++row) {
        _RIAccountStruct account{};
        if (!fields.ReadRow(*this, m_GridAccount, row, account)) return;
        accounts.push_back(account);
    }

    CRICompanyMgr mgr(this);
    mgr.SetRICompany(record);
    if (!mgr.SetAccountList(accounts.data(), static_cast<int>(accounts.size()))) {
        MessageBox("分配内存失败！", nullptr, MB_OK);
        return;
    }
    bool sent;
    {
        CWaitCursor wait;
        sent = m_bAdd ? mgr.Insert() : mgr.Update();
    }
    if (!sent) return;  // the form stays open with everything kept
    m_stRICompany = record;
    EndDialog(IDOK);
}
