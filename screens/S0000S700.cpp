#include "screens/S0000S700.h"

#include <cmath>
#include <vector>

#include "INCLUDE/NumEdit.h"
#include "host/qxcommon/StaticDatabase.h"
#include "host/win/DialogTemplate.h"
#include "screens/NumberText.h"
#include "screens/ParticipationShare.h"
#include "screens/RegisterOnce.h"
#include "screens/S0000S7000.h"
#include "screens/ScreenCommon.h"
#include "screens/TreatyListFields.h"
#include "screens/TreatyLists.h"

namespace {

constexpr int kShareWidth = 6;
constexpr int kShareDecimals = 4;
constexpr int kLimitWidth = 20;
constexpr int kLimitDecimals = 2;

CString CellText(const CQXGrid& grid, int row, int col) {
    CString text = grid.GetItemText(row, col);
    text.Trim();
    return text;
}

// The value of a share text; what is not a number counts as nothing.
double ShareOf(const CString& text) { return kel::screens::ParseDouble(text.str()).value_or(0.0); }

// A share as its column shows shares: four decimals at least and every digit the
// text has beyond them ("0.2", loaded or typed, reads 0.2000 beside 0.1500); a
// text that is no number stays as it is.
CString ShareText(const CString& text) {
    const auto share = kel::screens::ParseDouble(CString(text).Trim().str());
    return share ? CString(kel::screens::FormatNumber(*share, {kShareDecimals, 0})) : text;
}

// 'A' for a reinsurer, another letter for a broker, "" when the host database
// does not tell (no connection, no such code).
CString CompanyKind(const CString& code) {
    kel::db::Connection* db = GetStaticDatabase();
    if (!db || code.IsEmpty()) return CString();
    auto result = db->Query("SELECT c_com_kind FROM t_ri_company WHERE c_ri_cde = ?", {code.str()});
    if (!result || result->rows.empty() || result->rows.front().empty()) return CString();
    CString kind;
    OleVar2Str(&kind, result->rows.front().front());
    kind.Trim();
    return kind;
}

bool IsReinsurer(const CString& code) { return CompanyKind(code) == CString(std::string(1, kCompKindReinsurer)); }

}  // namespace

BEGIN_MESSAGE_MAP(CS0000S700, CBASEBASE)
ON_CBN_KILLFOCUS(IDC_CBX_REINSURER, OnKillFocusReinsurer)
ON_BN_CLICKED(IDC_BTN_ADD, OnAddSub)
ON_BN_CLICKED(IDC_BTN_MODIFY, OnModifySub)
ON_BN_CLICKED(IDC_BTN_DELETE, OnDeleteSub)
END_MESSAGE_MAP()

void CS0000S700::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约资料设置[再保公司参与比例编辑]")
        .Label(-1, "合约代码:", 0, 0)
        .Edit(IDC_EDT_CONT_CODE, 0, 1)
        .Label(-1, "合约名称:", 0, 2)
        .Edit(IDC_EDT_CONT_NAME, 0, 3, 2)
        .Size(240, 0)
        .Label(-1, "再保公司:", 1, 0)
        .Combo(IDC_CBX_REINSURER, 1, 1, 4)
        .Size(360, 0)
        .Label(-1, "参与比例:", 2, 0)
        .Number(IDC_EDT_SHARE, 2, 1)
        .Label(-1, "接受限额:", 2, 2)
        .Number(IDC_EDT_LIMIT, 2, 3, 2)
        .Group(-1, "经纪公司所属再保公司资料", 3, 0, 2, 5)
        .Grid(IDC_GRID, 3, 0, 1, 5)
        .Size(500, 180)
        .Button(IDC_BTN_ADD, "增加[&A]", 4, 2)
        .Button(IDC_BTN_MODIFY, "修改[&M]", 4, 3)
        .Button(IDC_BTN_DELETE, "删除", 4, 4)
        .Button(IDOK, "确定[&O]", 5, 3, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "取消[&C]", 5, 4)
        .Register();
}

CS0000S700::CS0000S700(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S700::RegisterTemplate>();
}

BOOL CS0000S700::OnInitDialog() {
    m_Grid.SubclassDlgItem(IDC_GRID, this);
    m_edtShare.SubclassDlgItem(IDC_EDT_SHARE, this);
    m_edtLimit.SubclassDlgItem(IDC_EDT_LIMIT, this);
    // The names of the sub-reinsurers come from the list they are picked from.
    m_nGridCbxCount = 0;
    SetGridCbx(&m_Grid, COL_NAME, kel::codelist::kReinsurer, 2);
    m_pOwner = dynamic_cast<CReinsListOwner*>(GetParent());
    CBASEBASE::OnInitDialog();

    m_edtShare.SetLimits(kShareWidth, kShareDecimals);
    m_edtLimit.SetLimits(kLimitWidth, kLimitDecimals);
    SetItemValue(IDC_EDT_CONT_CODE, m_strContCode);
    SetItemValue(IDC_EDT_CONT_NAME, m_strContName);
    GetDlgItem(IDC_EDT_CONT_CODE)->EnableWindow(FALSE);
    GetDlgItem(IDC_EDT_CONT_NAME)->EnableWindow(FALSE);
    SetComboContent(IDC_CBX_REINSURER, m_strRICode);
    SetItemValue(IDC_EDT_SHARE, m_strShare);
    // No limit reads "无限额" here as in the list; the field gives the amount back.
    if (const auto limit = kel::screens::ParseAmount(m_strLimit); limit && kel::screens::IsUnlimitedAmount(*limit))
        m_edtLimit.ShowWord(kel::screens::kUnlimitedWord, kel::screens::kUnlimitedAmount);
    else
        SetItemValue(IDC_EDT_LIMIT, m_strLimit);

    m_nNeedCount = 2;
    m_nNeedID[0] = IDC_CBX_REINSURER;
    m_nNeedID[1] = IDC_EDT_SHARE;

    SetUpGrid();
    LoadSubReinsurers();
    return TRUE;
}

void CS0000S700::SetUpGrid() {
    using kel::screens::GridColumn;
    kel::screens::SetUpListGrid(
        m_Grid, {GridColumn{"下属再保公司代码", 170}, GridColumn{"公司名称", 217}, GridColumn{"参与比例", 100}});
    // The total row stays last: a sort by header would move it among the rows.
    m_Grid.SetHeaderSort(FALSE);
    m_Grid.SetColumnType(COL_CODE, CQXGrid::kColumnText);
    m_Grid.SetColumnType(COL_NAME, CQXGrid::kColumnCode);
    m_Grid.SetColumnType(COL_SHARE, CQXGrid::kColumnText);
    m_Grid.SetNonFixedFormat(COL_SHARE, CQXGrid::kAlignRight);
    InitGridCbx();
}

void CS0000S700::LoadSubReinsurers() {
    if (!m_pOwner || m_nExtraCount <= 0) return;
    const auto& records = m_pOwner->GetExtraArray();
    // The participant's records as the owner placed them; a range beyond the
    // array (a caller's mistake) shows what there is.
    for (int i = m_nExtraStart; i < m_nExtraStart + m_nExtraCount; ++i) {
        if (i < 0 || i >= records.Count()) continue;
        const int row = kel::screens::AppendGridRow(m_Grid);
        kel::screens::ContExtraFields().FillRow(m_Grid, row, records[i]);
        m_Grid.SetItemText(row, COL_SHARE, ShareText(CellText(m_Grid, row, COL_SHARE)), 1);
    }
    RebuildTotalRow();
}

int CS0000S700::SubRowCount() const {
    int count = 0;
    for (int row = 1; row < m_Grid.GetRowCount(); ++row)
        if (!kel::screens::IsTotalRow(m_Grid, row)) ++count;
    return count;
}

CString CS0000S700::SubTotalText() const {
    double total = 0;
    for (int row = 1; row < m_Grid.GetRowCount(); ++row)
        if (!kel::screens::IsTotalRow(m_Grid, row)) total += ShareOf(CellText(m_Grid, row, COL_SHARE));
    return kel::screens::FourDecimals(total);
}

int CS0000S700::AppendSubRow(const CString& code, const CString& share) {
    int row = kel::screens::AppendGridRow(m_Grid);
    WriteSubRow(row, code, share);
    return row;
}

void CS0000S700::WriteSubRow(int row, const CString& code, const CString& share) {
    m_Grid.SetItemText(row, COL_CODE, code, 1);
    m_Grid.SetItemText(row, COL_NAME, code, 1);
    m_Grid.SetItemText(row, COL_SHARE, ShareText(share), 1);
}

void CS0000S700::RebuildTotalRow() {
    for (int row = m_Grid.GetRowCount() - 1; row >= 1; --row)
        if (kel::screens::IsTotalRow(m_Grid, row)) m_Grid.DeleteRow(row);
    if (m_Grid.GetRowCount() > 1) {
        int row = kel::screens::AppendGridRow(m_Grid);
        m_Grid.SetItemText(row, COL_CODE, kel::screens::kTotalRowText, 1);
        m_Grid.SetItemText(row, COL_NAME, "", 1);
        m_Grid.SetItemText(row, COL_SHARE, SubTotalText(), 1);
        for (int col = 0; col < COL_COUNT; ++col) m_Grid.SetItemBkColour(row, col, kel::screens::kMarkColour);
    }
    m_Grid.Refresh();
}

void CS0000S700::OnKillFocusReinsurer() { m_strRICode = GetCbxCode(IDC_CBX_REINSURER); }

bool CS0000S700::RefuseSubsOfReinsurer(const CString& code) {
    if (!IsReinsurer(code)) return false;
    CString message;
    message.Format("再保公司%s不是经纪公司，不能有下属再保公司！", code.GetString());
    kel::screens::RefuseInput(*this, IDC_CBX_REINSURER, message);
    return true;
}

void CS0000S700::OnAddSub() {
    if (RefuseSubsOfReinsurer(GetCbxCode(IDC_CBX_REINSURER))) return;
    CS0000S7000 form(this);
    form.m_nRowNo = -1;
    form.m_strContCode = m_strContCode;
    form.m_strContName = m_strContName;
    if (form.DoModal() != IDOK) return;
    AppendSubRow(form.m_strSubRICode, form.m_strShare);
    RebuildTotalRow();
}

int CS0000S700::SelectedSubRow(const char* message) {
    int row = m_Grid.GetRow();
    if (row < 1 || row >= m_Grid.GetRowCount() || kel::screens::IsTotalRow(m_Grid, row)) {
        MessageBox(message, nullptr, MB_OK);
        return 0;
    }
    return row;
}

void CS0000S700::OnModifySub() {
    int row = SelectedSubRow("请选择要修改的记录！");
    if (row == 0) return;
    CS0000S7000 form(this);
    form.m_nRowNo = row;
    form.m_strContCode = m_strContCode;
    form.m_strContName = m_strContName;
    form.m_strSubRICode = CellText(m_Grid, row, COL_CODE);
    form.m_strShare = CellText(m_Grid, row, COL_SHARE);
    if (form.DoModal() != IDOK) return;
    WriteSubRow(row, form.m_strSubRICode, form.m_strShare);
    RebuildTotalRow();
}

void CS0000S700::OnDeleteSub() {
    int row = SelectedSubRow("请选择要删除的记录！");
    if (row == 0) return;
    if (MessageBox("是否删除选择的记录?", "再保公司设置", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    m_Grid.DeleteRow(row);
    // With the last sub-reinsurer gone the total row goes too.
    if (SubRowCount() == 0)
        for (int r = m_Grid.GetRowCount() - 1; r >= 1; --r) m_Grid.DeleteRow(r);
    RebuildTotalRow();
}

void CS0000S700::OnOK() {
    if (IsNeededEmpty()) return;

    // The participant as the combo shows it now.
    CString code = GetCbxCode(IDC_CBX_REINSURER);
    if (m_pOwner) {
        const CQXGrid& reins = m_pOwner->GetReinsGrid();
        for (int row = 1; row < reins.GetRowCount(); ++row) {
            if (row == m_nRowNo || kel::screens::IsTotalRow(reins, row)) continue;
            if (CellText(reins, row, 0) == code) {
                MessageBox("再保人号已存在！", nullptr, MB_OK);
                GetDlgItem(IDC_CBX_REINSURER)->SetFocus();
                return;
            }
        }
    }

    CString shareText, limitText;
    m_edtShare.GetPlainText(shareText);
    m_edtLimit.GetPlainText(limitText);
    shareText.Trim();
    limitText.Trim();
    std::optional<double> share = kel::screens::TakeShare(*this, IDC_EDT_SHARE, "参与比例", shareText);
    if (!share) return;
    if (!TakeLimit(limitText)) return;

    // Shares are compared as four-decimal texts; the held share keeps every digit
    // the value has beyond those, so an untouched share goes back as it came.
    CString heldShare(kel::screens::FormatNumber(*share, {kShareDecimals, 0}));
    if (SubRowCount() > 0) {
        if (RefuseSubsOfReinsurer(code)) return;
        if (SubTotalText() != kel::screens::FourDecimals(*share)) {
            MessageBox("经纪人下属再保人份额合计必须等于经纪人份额!", nullptr, MB_OK);
            return;
        }
    }
    if (!WriteExtraRecords(code, heldShare)) return;
    m_strRICode = code;
    m_strShare = heldShare;
    m_strLimit = limitText;
    EndDialog(IDOK);
}

bool CS0000S700::TakeLimit(const CString& text) {
    if (text.IsEmpty()) return true;  // no limit typed: the list reads it as 0
    std::optional<double> limit = kel::screens::ParseDouble(text.str());
    if (!limit || !std::isfinite(*limit))
        return kel::screens::RefuseInput(*this, IDC_EDT_LIMIT, "接受限额不是有效的数字，请修改!");
    return kel::screens::CheckBound(*this, IDC_EDT_LIMIT, "接受限额", *limit, kel::records::kAmountBound);
}

bool CS0000S700::WriteExtraRecords(const CString& code, const CString& share) {
    int start = m_pOwner ? m_pOwner->GetExtraArray().Count() : 0;
    int count = SubRowCount();
    if (!m_pOwner) {
        m_nExtraStart = start;
        m_nExtraCount = 0;
        return true;
    }
    auto& records = m_pOwner->GetExtraArray();
    // The whole new array is made first, so that the owner's records change
    // all at once or not at all.
    std::vector<_ContExtraStruct> grown(records.Data(), records.Data() + records.Count());
    for (int i = m_nExtraStart; i < m_nExtraStart + m_nExtraCount; ++i)
        if (i >= 0 && i < static_cast<int>(grown.size())) grown[i].cStatus = kExtraDeleted;
    for (int row = 1; row < m_Grid.GetRowCount(); ++row) {
        if (kel::screens::IsTotalRow(m_Grid, row)) continue;
        _ContExtraStruct record{};
        if (!kel::screens::PutFieldText(*this, IDC_CBX_REINSURER, "再保公司", code, record.szBrokerCode) ||
            !kel::screens::ContExtraFields().ReadCells(
                *this, [&](int col) { return CellText(m_Grid, row, col).str(); }, record) ||
            !kel::screens::PutFieldText(*this, IDC_EDT_SHARE, "参与比例", share, record.szBrokerShare))
            return false;
        record.cStatus = kExtraAdded;
        grown.push_back(record);
    }
    if (!records.Assign(grown.data(), static_cast<int>(grown.size()))) {
        MessageBox("分配内存失败！", nullptr, MB_OK);
        return false;
    }
    m_nExtraStart = start;
    m_nExtraCount = count;
    return true;
}
