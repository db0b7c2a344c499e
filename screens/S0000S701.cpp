#include "screens/S0000S701.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/qxcommon/StaticDatabase.h"
#include "host/win/DialogTemplate.h"
#include "screens/NumberText.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"
#include "screens/TreatyListFields.h"

using enum kel::screens::RiskColumn;

namespace {

constexpr int kLinesChars = 9;      // lines fit a 32-bit integer
constexpr int kVipLimitBytes = 19;  // the record's VIP limit text: 20 bytes with its terminator
constexpr int kRiskLevelChars = 7;

bool IsDigits(const CString& text) {
    if (text.IsEmpty()) return false;
    for (char c : text.str())
        if (c < '0' || c > '9') return false;
    return true;
}

bool IsLettersAndDigits(const CString& text) {
    if (text.IsEmpty()) return false;
    for (char c : text.str())
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    return true;
}

CString Trimmed(CString text) {
    text.Trim();
    return text;
}

// An amount as the form writes it: two decimals at least, every digit the value has.
CString AmountText(double value) { return CString(kel::screens::FormatNumber(value, {2, 0})); }

bool IsUnlimited(const CString& text) {
    if (Trimmed(text) == kel::screens::kUnlimitedAmount) return true;
    auto value = kel::screens::ParseDouble(Trimmed(text).str());
    auto unlimited = kel::screens::ParseDouble(kel::screens::kUnlimitedAmount);
    return value && *value == *unlimited;
}

}  // namespace

BEGIN_MESSAGE_MAP(CS0000S701, CBASEBASE)
ON_BN_CLICKED(IDC_RAD_PRODUCT, OnProductRadio)
ON_BN_CLICKED(IDC_RAD_CLASS, OnClassRadio)
ON_BN_CLICKED(IDC_CHK_COPY, OnCopyClicked)
ON_CBN_KILLFOCUS(IDC_CBX_PRODUCT, OnKillFocusProduct)
ON_CBN_KILLFOCUS(IDC_CBX_RISK_LEVEL, OnKillFocusRiskLevel)
ON_EN_KILLFOCUS(IDC_EDT_LINES, OnKillFocusLines)
ON_EN_KILLFOCUS(IDC_EDT_VIP_LINES, OnKillFocusVipLines)
ON_MESSAGE(WM_CODELIST_CONDITION, OnCondition)
ON_MESSAGE(WM_CODELIST_CONDITION2, OnCondition)
END_MESSAGE_MAP()

void CS0000S701::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约资料设置[合约份额编辑]")
        .Label(-1, "合约代码:", 0, 0)
        .Edit(IDC_EDT_CONT_CODE, 0, 1)
        .Label(-1, "合约名称:", 0, 2)
        .Edit(IDC_EDT_CONT_NAME, 0, 3)
        .Size(200, 0)
        .Label(-1, "设置类型:", 1, 0)
        .Radio(IDC_RAD_PRODUCT, "险种", 1, 1, 1, WS_GROUP)
        .Radio(IDC_RAD_CLASS, "险类", 1, 2)
        .Label(-1, "险    种:", 2, 0)
        .Combo(IDC_CBX_PRODUCT, 2, 1)
        .Size(200, 0)
        .Label(-1, "险    类:", 2, 2)
        .Combo(IDC_CBX_CLASS, 2, 3)
        .Size(200, 0)
        .Label(-1, "风险等级:", 3, 0)
        .Combo(IDC_CBX_RISK_LEVEL, 3, 1)
        .Size(200, 0)
        .Check(IDC_CHK_COPY, "复制业务数据", 3, 3)
        .Label(-1, "自留限额:", 4, 0)
        .Edit(IDC_EDT_RETENTION, 4, 1, 1, ES_RIGHT)
        .Label(-1, "线数：", 4, 2)
        .Edit(IDC_EDT_LINES, 4, 3, 1, ES_NUMBER | ES_RIGHT, kLinesChars)
        .Label(-1, "合约限额:", 5, 0)
        .Edit(IDC_EDT_CONT_LIMIT, 5, 1, 1, ES_RIGHT)
        .Label(-1, "VIP线数:", 5, 2)
        .Edit(IDC_EDT_VIP_LINES, 5, 3, 1, ES_NUMBER | ES_RIGHT, kLinesChars)
        .Label(-1, "VIP限额:", 6, 0)
        .Edit(IDC_EDT_VIP_LIMIT, 6, 1, 1, ES_RIGHT, kVipLimitBytes)
        .Edit(IDC_EDT_QUOTA, 6, 2, 1, WS_INVISIBLE)
        .Edit(IDC_EDT_COINS_COEF, 6, 3, 1, WS_INVISIBLE)
        .Button(IDOK, "确定[&O]", 7, 2, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "取消[&C]", 7, 3)
        .Register();
}

CS0000S701::CS0000S701(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S701::RegisterTemplate>();
}

// The limits show "无限额" for no limit, as the list does, and read it back as the
// no-limit amount (typed too); the held texts keep the amount.
void CS0000S701::ShowValues() {
    SetItemValue(IDC_EDT_CONT_CODE, m_strContCode);
    SetItemValue(IDC_EDT_CONT_NAME, m_strContName);
    for (const kel::screens::Field& f : kel::screens::ContRiskFields().Fields()) {
        if (f.control == 0) continue;
        const CString& text = m_texts[f.column];
        SetItemValue(f.control, f.unlimited && IsUnlimited(text) ? CString(kel::screens::kUnlimitedWord) : text);
    }
}

void CS0000S701::TakeValues() {
    for (const kel::screens::Field& f : kel::screens::ContRiskFields().Fields()) {
        if (f.control == 0) continue;
        GetItemValue(f.control, m_texts[f.column]);
        if (f.unlimited) m_texts[f.column] = kel::screens::FormAmountText(m_texts[f.column]);
    }
}

BOOL CS0000S701::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    ShowValues();
    GetDlgItem(IDC_EDT_CONT_CODE)->EnableWindow(FALSE);
    GetDlgItem(IDC_EDT_CONT_NAME)->EnableWindow(FALSE);

    bool product = Trimmed(m_texts[RISK_SET_TYPE]) == "T";
    m_texts[RISK_SET_TYPE] = product ? "T" : "S";  // goes back with the code it names
    static_cast<CButton*>(GetDlgItem(IDC_RAD_PRODUCT))->SetCheck(product ? BST_CHECKED : BST_UNCHECKED);
    static_cast<CButton*>(GetDlgItem(IDC_RAD_CLASS))->SetCheck(product ? BST_UNCHECKED : BST_CHECKED);
    GetDlgItem(IDC_CBX_PRODUCT)->EnableWindow(product);
    GetDlgItem(IDC_CBX_CLASS)->EnableWindow(!product);
    SetNeeded(product ? IDC_CBX_PRODUCT : IDC_CBX_CLASS);

    if (!m_bAdd) GetDlgItem(IDC_CHK_COPY)->EnableWindow(FALSE);
    m_texts[RISK_COPY_FLAG] = "N";
    static_cast<CButton*>(GetDlgItem(IDC_CHK_COPY))->SetCheck(BST_UNCHECKED);

    // The row's code is a product or a class as its setting type says; the other
    // combo stays empty.
    SetItemValue(product ? IDC_CBX_PRODUCT : IDC_CBX_CLASS, m_texts[RISK_PRODUCT]);
    SetItemValue(IDC_CBX_RISK_LEVEL, m_texts[RISK_LEVEL]);

    LoadRiskCodes();  // without the rows the form still works; it computes nothing
    return TRUE;
}

void CS0000S701::SetNeeded(int codeCombo) {
    m_nNeedCount = 2;
    m_nNeedID[0] = codeCombo;
    m_nNeedID[1] = IDC_CBX_RISK_LEVEL;
}

bool CS0000S701::LoadRiskCodes() {
    // Only a year of four digits can name rows; anything else names none.
    CString year = Trimmed(m_strYear);
    if (year.GetLength() != 4 || !IsDigits(year)) return false;

    kel::db::Connection* db = GetStaticDatabase();
    std::optional<kel::db::ResultSet> result;
    if (db)
        result =
            db->Query("select c_risk_lvl_cde,n_keep_amt,n_max_fac_amt from t_risk_cde where c_year = ?", {year.str()});
    if (!result) {
        MessageBox("读取风险编码表的记录信息出错！", nullptr, MB_OK);
        return false;
    }
    if (result->rows.empty()) return true;

    int codeCol = result->ColumnIndex("c_risk_lvl_cde");
    int keepCol = result->ColumnIndex("n_keep_amt");
    int facCol = result->ColumnIndex("n_max_fac_amt");
    if (codeCol < 0 || keepCol < 0 || facCol < 0) {
        MessageBox("读取风险编码表的记录信息出错！", nullptr, MB_OK);
        return false;
    }
    m_arrRiskCode.clear();
    for (const kel::db::Row& row : result->rows) {
        CString code, keep, fac;
        OleVar2Str(&code, row[codeCol]);
        OleVar2Str(&keep, row[keepCol]);
        OleVar2Str(&fac, row[facCol]);
        code.TrimRight();
        RiskCodeRow risk;
        risk.riskLevel = code.str().substr(0, kRiskLevelChars);
        // A level without a retention is listed but computes nothing.
        auto keepAmount = kel::screens::ParseDouble(Trimmed(keep).str());
        risk.hasKeepAmount = !Trimmed(keep).IsEmpty() && keepAmount && std::isfinite(*keepAmount);
        risk.keepAmount = risk.hasKeepAmount ? *keepAmount : 0;
        risk.maxFacAmount = kel::screens::ParseDouble(Trimmed(fac).str()).value_or(0);
        m_arrRiskCode.push_back(std::move(risk));
    }
    return true;
}

void CS0000S701::OnProductRadio() { OnSetTypeChanged(); }

void CS0000S701::OnClassRadio() { OnSetTypeChanged(); }

void CS0000S701::OnSetTypeChanged() {
    bool product = static_cast<CButton*>(GetDlgItem(IDC_RAD_PRODUCT))->GetCheck() == BST_CHECKED;
    int on = product ? IDC_CBX_PRODUCT : IDC_CBX_CLASS;
    int off = product ? IDC_CBX_CLASS : IDC_CBX_PRODUCT;
    SetNeeded(on);
    m_texts[RISK_SET_TYPE] = product ? "T" : "S";
    GetDlgItem(off)->EnableWindow(FALSE);
    static_cast<CComboBox*>(GetDlgItem(off))->SetCurSel(CB_ERR);
    GetDlgItem(on)->EnableWindow(TRUE);
    if (!product) m_texts[RISK_PRODUCT].Empty();
}

void CS0000S701::OnCopyClicked() {
    bool on = static_cast<CButton*>(GetDlgItem(IDC_CHK_COPY))->GetCheck() == BST_CHECKED;
    m_texts[RISK_COPY_FLAG] = on ? "Y" : "N";
}

void CS0000S701::OnKillFocusProduct() {
    m_texts[RISK_PRODUCT] = GetCbxCode(IDC_CBX_PRODUCT);
    // The risk levels that apply to the product; the level picked stays when it is one.
    CString level = GetCbxCode(IDC_CBX_RISK_LEVEL);
    DropdownCombo(IDC_CBX_RISK_LEVEL);
    SetComboContent(IDC_CBX_RISK_LEVEL, level);
}

void CS0000S701::OnKillFocusRiskLevel() {
    m_texts[RISK_LEVEL] = GetCbxCode(IDC_CBX_RISK_LEVEL);
    for (const RiskCodeRow& risk : m_arrRiskCode) {
        if (CString(risk.riskLevel) != m_texts[RISK_LEVEL] || !risk.hasKeepAmount) continue;
        TakeValues();
        // Lines that are not a number leave the limits as they are; OK names the field.
        auto lines = kel::screens::ParseDouble(Trimmed(m_texts[RISK_LINES]).str());
        auto vipLines = kel::screens::ParseDouble(Trimmed(m_texts[RISK_VIP_LINES]).str());
        m_texts[RISK_RETENTION] = AmountText(risk.keepAmount);
        if (lines) m_texts[RISK_CONT_LIMIT] = AmountText(*lines * risk.keepAmount);
        if (vipLines) m_texts[RISK_VIP_LIMIT] = AmountText(*vipLines * risk.keepAmount);
        ShowValues();
    }
}

void CS0000S701::RecomputeLimit(int linesColumn, int limitColumn) {
    TakeValues();
    if (m_texts[RISK_COPY_FLAG] == "Y" || IsUnlimited(m_texts[RISK_RETENTION])) return;  // the values stay as typed
    auto retention = kel::screens::ParseDouble(Trimmed(m_texts[RISK_RETENTION]).str());
    auto count = kel::screens::ParseDouble(Trimmed(m_texts[linesColumn]).str());
    if (!retention || !count) return;  // OK names the field that is not a number
    m_texts[limitColumn] = AmountText(*retention * *count);
    ShowValues();
}

void CS0000S701::OnKillFocusLines() { RecomputeLimit(RISK_LINES, RISK_CONT_LIMIT); }

void CS0000S701::OnKillFocusVipLines() { RecomputeLimit(RISK_VIP_LINES, RISK_VIP_LIMIT); }

LRESULT CS0000S701::OnCondition(WPARAM wParam, LPARAM lParam) {
    auto* buffer = reinterpret_cast<char*>(wParam);
    if (!buffer) return 0;
    if (static_cast<int>(lParam) != IDC_CBX_RISK_LEVEL) {
        buffer[0] = '\0';
        return 0;
    }
    // Only a year of four digits and a product code of letters and digits go into
    // the condition: it is SQL text.
    CString year = Trimmed(m_strYear);
    if (year.GetLength() != 4 || !IsDigits(year)) return 0;
    CString condition = "c_year = '" + year + "'";
    // The product the combo shows now. Not kept: the list is first loaded before
    // the held product is shown, and would wipe it.
    CString product = Trimmed(GetCbxCode(IDC_CBX_PRODUCT));
    if (product.GetLength() >= 2 && IsLettersAndDigits(product))
        condition +=
            "and c_risk_lvl_cde in (select c_risk_lvl_cde from t_risk_lvl where c_prod_no = '" + product + "')";
    int length = condition.GetLength();
    if (length >= kConditionBufferSize) return 0;
    std::memcpy(buffer, condition.GetString(), static_cast<std::size_t>(length) + 1);
    return length;
}

bool CS0000S701::CheckAmount(int nID, const char* label, const CString& text, kel::records::NumberBound bound) {
    CString value = Trimmed(text);
    if (value.IsEmpty()) return true;  // the list reads an empty amount as 0
    auto amount = kel::screens::ParseDouble(value.str());
    CString message;
    if (!amount || !std::isfinite(*amount)) {
        message.Format("%s不是有效的数字，请修改!", label);
        return kel::screens::RefuseInput(*this, nID, message);
    }
    return kel::screens::CheckBound(*this, nID, label, *amount, bound);
}

void CS0000S701::OnOK() {
    bool copy = m_texts[RISK_COPY_FLAG] == "Y";
    if (!copy && IsNeededEmpty()) return;
    TakeValues();

    if (!CheckAmount(IDC_EDT_RETENTION, "自留限额", m_texts[RISK_RETENTION]) ||
        !CheckAmount(IDC_EDT_CONT_LIMIT, "合约限额", m_texts[RISK_CONT_LIMIT]) ||
        !CheckAmount(IDC_EDT_VIP_LIMIT, "VIP限额", m_texts[RISK_VIP_LIMIT]) ||
        !CheckAmount(IDC_EDT_QUOTA, "成数比例", m_texts[RISK_QUOTA], kel::records::kFractionBound) ||
        !CheckAmount(IDC_EDT_COINS_COEF, "共保限额系数", m_texts[RISK_COINS_COEF], kel::records::kCoefficientBound))
        return;
    // The VIP limit travels as text in a 20-byte field: a product of lines and
    // retention can outgrow it.
    if (Trimmed(m_texts[RISK_VIP_LIMIT]).GetLength() > kVipLimitBytes) {
        CString message;
        message.Format("VIP限额超出范围(最多%d位)，请修改!", kVipLimitBytes);
        kel::screens::RefuseInput(*this, IDC_EDT_VIP_LIMIT, message);
        return;
    }
    if (!kel::screens::ParseInt(Trimmed(m_texts[RISK_LINES]).str()) || Trimmed(m_texts[RISK_LINES]).Find('-') >= 0) {
        kel::screens::RefuseInput(*this, IDC_EDT_LINES, "线数不是有效的整数，请修改!");
        return;
    }
    if (!kel::screens::ParseInt(Trimmed(m_texts[RISK_VIP_LINES]).str()) ||
        Trimmed(m_texts[RISK_VIP_LINES]).Find('-') >= 0) {
        kel::screens::RefuseInput(*this, IDC_EDT_VIP_LINES, "VIP线数不是有效的整数，请修改!");
        return;
    }

    m_texts[RISK_PRODUCT] = GetCbxCode(m_texts[RISK_SET_TYPE] == "T" ? IDC_CBX_PRODUCT : IDC_CBX_CLASS);
    if (!copy) m_texts[RISK_LEVEL] = GetCbxCode(IDC_CBX_RISK_LEVEL);
    EndDialog(IDOK);
}
