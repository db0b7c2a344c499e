// The treaty data form's two lists: the buttons of the participation list and of
// the product share list, and the forms they open.
#include <cstring>

#include "common/text/GbkText.h"
#include "screens/NumberText.h"
#include "screens/S0000S70.h"
#include "screens/S0000S700.h"
#include "screens/S0000S701.h"
#include "screens/S0000S704.h"
#include "screens/ScreenCommon.h"
#include "screens/TreatyLists.h"
#include "screens/WorkedRow.h"

using namespace kel::screens;

namespace {

// The participant the participation form gives back; false after a message.
bool ParticipantOf(CDialog& owner, const CS0000S700& form, _ContReinsStruct& record) {
    _ContReinsStruct read{};
    CString code = form.m_strRICode;
    code.Trim();
    if (!PutFieldText(owner, 0, "再保公司", code, read.szRICode)) return false;
    const auto share = ParseDouble(CString(form.m_strShare).Trim().str());
    if (!share) return RefuseInput(owner, 0, "参与比例不是有效的数字，请修改!");
    const auto limit = ParseAmount(form.m_strLimit);
    if (!limit) return RefuseInput(owner, 0, "接受限额不是有效的数字，请修改!");
    read.dShare = *share;
    read.dLimit = *limit;
    read.nExtraStart = form.m_nExtraStart;
    read.nExtraCount = form.m_nExtraCount;
    record = read;
    return true;
}

}  // namespace

CString CS0000S70::TreatyName() { return GetCbxValue(IDC_CBX_CONT_NAME); }

bool CS0000S70::TreatyYear(CString& year) {
    CString start = m_dteStart.GetTime();
    start.Trim();
    year = start.Left(4);
    bool digits = year.GetLength() == 4;
    for (char c : year.str()) digits = digits && c >= '0' && c <= '9';
    // The product share form reads the risk codes of the treaty year.
    if (!digits) return RefuseInput(*this, IDC_DTE_START, "请先输入起始日期，险种合约份额按合约年份设置!");
    return true;
}

// ---- participation

void CS0000S70::OnReinsAdd() {
    CS0000S700 form(this);
    form.m_nRowNo = -1;
    GetItemValue(IDC_EDT_CONT_CODE, form.m_strContCode);
    form.m_strContName = TreatyName();
    form.m_strLimit = kUnlimitedAmount;
    // A new participant's sub-reinsurers go to the end of the array.
    form.m_nExtraStart = m_ContInfoMgr.m_arrExtra.Count();
    form.m_nExtraCount = 0;
    if (form.DoModal() != IDOK) return;
    _ContReinsStruct record;
    if (!ParticipantOf(*this, form, record)) return;
    const int row = InsertReinsRow(m_GridReins, record);
    RebuildReinsTotal(m_GridReins);
    m_GridReins.SelectRow(row, TRUE);
}

void CS0000S70::OnReinsModify() {
    int row = kel::screens::SelectedRow(*this, m_GridReins, "请选择要修改的数据");
    if (row == 0 || !IsReinsRow(m_GridReins, row)) return;  // the total row is no participant
    _ContReinsStruct current;
    if (!ReadReinsRow(*this, m_GridReins, row, current)) return;

    CS0000S700 form(this);
    form.m_nRowNo = row;
    GetItemValue(IDC_EDT_CONT_CODE, form.m_strContCode);
    form.m_strContName = TreatyName();
    form.m_strRICode = kel::text::GetField(current.szRICode);
    form.m_strShare = m_GridReins.GetItemText(row, REINS_SHARE);
    form.m_strLimit = FormAmountText(m_GridReins.GetItemText(row, REINS_LIMIT));
    form.m_nExtraStart = current.nExtraStart;
    form.m_nExtraCount = current.nExtraCount;
    if (form.DoModal() != IDOK) return;
    _ContReinsStruct record;
    if (!ParticipantOf(*this, form, record)) return;
    WriteReinsRow(m_GridReins, row, record);
    RebuildReinsTotal(m_GridReins);
}

void CS0000S70::OnReinsDelete() {
    int row = kel::screens::SelectedRow(*this, m_GridReins, "请选择要删除的数据");
    if (row == 0 || !IsReinsRow(m_GridReins, row)) return;
    if (!kel::screens::ConfirmDelete(*this)) return;
    _ContReinsStruct current;
    if (!ReadReinsRow(*this, m_GridReins, row, current)) return;
    // The participant's sub-reinsurers are retired with it; the server removes them.
    auto& extra = m_ContInfoMgr.m_arrExtra;
    for (int i = current.nExtraStart; i < current.nExtraStart + current.nExtraCount; ++i)
        if (i >= 0 && i < extra.Count()) extra[i].cStatus = kExtraDeleted;
    m_GridReins.DeleteRow(row);
    RebuildReinsTotal(m_GridReins);
    SelectNeighbourOf(m_GridReins, row, 1 + ReinsRowCount(m_GridReins));  // not the total row
}

// ---- product shares

void CS0000S70::OnRiskAdd() {
    CString year;
    if (!TreatyYear(year)) return;
    // The new row starts from the treaty's own quota share, lines and coefficient.
    CString quotaText;
    GetItemValue(IDC_EDT_QUOTA, quotaText);
    const auto quota = ParseDouble(quotaText.Trim().str(), 2);
    if (!quota) {
        RefuseInput(*this, IDC_EDT_QUOTA, "成数比例不是有效的数字，请修改!");
        return;
    }
    CS0000S701 form(this);
    form.m_bAdd = true;
    form.m_strYear = year;
    GetItemValue(IDC_EDT_CONT_CODE, form.m_strContCode);
    form.m_strContName = TreatyName();
    form.m_texts[RISK_QUOTA] = FormatNumber(*quota, {6, 0});
    GetItemValue(IDC_EDT_LINES, form.m_texts[RISK_LINES]);
    GetItemValue(IDC_EDT_VIP_LINES, form.m_texts[RISK_VIP_LINES]);
    GetItemValue(IDC_EDT_COINS_COEF, form.m_texts[RISK_COINS_COEF]);
    form.m_texts[RISK_RETENTION] = kUnlimitedAmount;
    form.m_texts[RISK_CONT_LIMIT] = kUnlimitedAmount;
    form.m_texts[RISK_VIP_LIMIT] = kUnlimitedAmount;
    form.m_texts[RISK_SET_TYPE] = "T";
    if (form.DoModal() != IDOK) return;
    _ContRiskStruct record;
    if (!RiskFromTexts(*this, form.m_texts, record)) return;
    m_GridRisk.SelectRow(AppendRiskRow(m_GridRisk, record), TRUE);
    m_GridRisk.Refresh();
}

void CS0000S70::OnRiskCopy() {
    int row = kel::screens::SelectedRow(*this, m_GridRisk, "请选择要复制的数据");
    if (row == 0) return;
    RiskTexts texts = RiskRowTexts(m_GridRisk, row);
    CS0000S704 picker(this);
    picker.m_strSrcProduct = texts[RISK_PRODUCT];
    if (picker.DoModal() != IDOK) return;
    texts[RISK_PRODUCT] = picker.m_strDstProduct;
    _ContRiskStruct record;
    if (!RiskFromTexts(*this, texts, record)) return;
    m_GridRisk.SelectRow(AppendRiskRow(m_GridRisk, record), TRUE);
    m_GridRisk.Refresh();
}

void CS0000S70::OnRiskModify() {
    int row = kel::screens::SelectedRow(*this, m_GridRisk, "请选择要修改的数据");
    if (row == 0) return;
    CString year;
    if (!TreatyYear(year)) return;
    CS0000S701 form(this);
    form.m_bAdd = false;
    form.m_strYear = year;
    GetItemValue(IDC_EDT_CONT_CODE, form.m_strContCode);
    form.m_strContName = TreatyName();
    form.m_texts = RiskRowTexts(m_GridRisk, row);
    if (form.DoModal() != IDOK) return;
    _ContRiskStruct record;
    if (!RiskFromTexts(*this, form.m_texts, record)) return;
    // The setting type goes back with the code: a class row stays a class row.
    WriteRiskRow(m_GridRisk, row, record);
    m_GridRisk.Refresh();
}

void CS0000S70::OnRiskDelete() {
    int row = kel::screens::SelectedRow(*this, m_GridRisk, "请选择要删除的数据");
    if (row == 0) return;
    if (!kel::screens::ConfirmDelete(*this)) return;
    m_GridRisk.DeleteRow(row);
    SelectNeighbourOf(m_GridRisk, row);
}
