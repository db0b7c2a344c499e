#include "screens/S0000S71.h"

#include <cstdlib>
#include <cstring>

#include "data/ContDetailInfo.h"
#include "host/win/DialogTemplate.h"
#include "screens/DetailFields.h"
#include "screens/RegisterOnce.h"
#include "screens/S0000S710.h"
#include "screens/S0000S711.h"
#include "screens/ScreenCommon.h"
#include "screens/WorkedRow.h"

namespace {

constexpr const char* kTooManyLines = "本合约明细过多，无法一次列出，请按险种、承保公司或风险等级缩小检索范围!";

CString Trimmed(CString text) {
    text.Trim();
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CS0000S71, CBASEBASE)
ON_BN_CLICKED(IDC_BTN_SEARCH, OnBtnSearch)
ON_BN_CLICKED(IDC_BTN_COMMISSION, OnBtnCommission)
ON_BN_CLICKED(IDC_BTN_DELETE, OnBtnDelete)
ON_BN_CLICKED(IDC_BTN_MODIFY, OnBtnModify)
ON_NOTIFY(GVN_DBLCLICK, IDC_GRID, OnDblClickGrid)
END_MESSAGE_MAP()

void CS0000S71::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约资料设置[合约细节检索]")
        .Label(-1, "合约代码:", 0, 0)
        .Edit(IDC_EDT_CONT_CODE, 0, 1, 1, WS_DISABLED)
        .Label(-1, "合约名称:", 0, 2)
        .Combo(IDC_CBX_CONT_NAME, 0, 3, 3, CBS_DROPDOWNLIST | WS_DISABLED)
        .Label(-1, "起始日期:", 1, 0)
        .Edit(IDC_EDT_START_DATE, 1, 1, 1, WS_DISABLED)
        .Label(-1, "终止日期:", 1, 2)
        .Edit(IDC_EDT_END_DATE, 1, 3, 1, WS_DISABLED)
        .Label(-1, "合约类型:", 1, 4)
        .Edit(IDC_EDT_CONT_TYPE, 1, 5, 1, WS_DISABLED)
        .Group(-1, "检索条件", 2, 0, 1, 7)
        .Label(-1, "险    种:", 2, 0)
        .Combo(IDC_CBX_PRODUCT, 2, 1)
        .Size(160, 0)
        .Label(-1, "承保公司:", 2, 2)
        .Combo(IDC_CBX_COMPANY, 2, 3)
        .Size(160, 0)
        .Label(-1, "风险等级:", 2, 4)
        .Combo(IDC_CBX_RISK_LEVEL, 2, 5)
        .Size(160, 0)
        .Button(IDC_BTN_SEARCH, "检索[&S]", 2, 6, BS_DEFPUSHBUTTON)
        .Grid(IDC_GRID, 3, 0, 1, 7)
        .Size(960, 380)
        .Button(IDC_BTN_COMMISSION, "手续费调整[&F]", 4, 2)
        .Button(IDC_BTN_MODIFY, "修改[&M]...", 4, 3)
        .Button(IDC_BTN_DELETE, "删除[&D]", 4, 4)
        .Button(IDCANCEL, "返回[&R]", 4, 5)
        .Register();
}

CS0000S71::CS0000S71(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S71::RegisterTemplate>();
}

BOOL CS0000S71::OnInitDialog() {
    m_Grid.SubclassDlgItem(IDC_GRID, this);
    SetCbxCtrl(IDC_CBX_PRODUCT, 2);
    SetCbxCtrl(IDC_CBX_COMPANY, 2);
    SetCbxCtrl(IDC_CBX_RISK_LEVEL, 2);
    CBASEBASE::OnInitDialog();
    SetComboContent(IDC_CBX_CONT_NAME, m_strContNameCode);
    SetItemValue(IDC_EDT_CONT_CODE, m_strContCode);
    SetItemValue(IDC_EDT_START_DATE, FormatDate(m_strStartDate, 1));
    SetItemValue(IDC_EDT_END_DATE, FormatDate(m_strEndDate, 1));
    SetItemValue(IDC_EDT_CONT_TYPE, m_strContType);
    SetUpGrid();
    return TRUE;
}

void CS0000S71::SetUpGrid() {
    kel::screens::SetUpListGrid(m_Grid, {{"险种", 60},
                                         {"风险等级", 100},
                                         {"承保公司", 100},
                                         {"再保公司", 100},
                                         {"成数比例", 100},
                                         {"合约限额", 130},
                                         {"参与比例", 100},
                                         {"再保公司限额", 130},
                                         {"手续费率", 100},
                                         {"", 0, false}});
    for (int col = COL_QUOTA; col <= COL_COMM_RATE; ++col) m_Grid.SetNonFixedFormat(col, CQXGrid::kAlignRight);
}

void CS0000S71::OnBtnSearch() { Search(); }

bool CS0000S71::Search() {
    CContDetailInfo mgr(this);
    mgr.m_stContDetail.nContId = m_nContId;
    // Each empty combo leaves its condition out; the codes are the lists' own.
    if (!kel::screens::PutFieldText(*this, IDC_CBX_PRODUCT, "险种", Trimmed(GetCbxCode(IDC_CBX_PRODUCT)),
                                    mgr.m_stContDetail.szProdCode) ||
        !kel::screens::PutFieldText(*this, IDC_CBX_COMPANY, "承保公司", Trimmed(GetCbxCode(IDC_CBX_COMPANY)),
                                    mgr.m_stContDetail.szCompCode) ||
        !kel::screens::PutFieldText(*this, IDC_CBX_RISK_LEVEL, "风险等级", Trimmed(GetCbxCode(IDC_CBX_RISK_LEVEL)),
                                    mgr.m_stContDetail.szRiskLevel))
        return false;
    char* answer = nullptr;
    int count = 0;
    bool tooMany = false;
    bool ok;
    {
        CWaitCursor wait;
        ok = mgr.GetContDetailList(&answer, &count, &tooMany);
    }
    if (!ok) {
        // A treaty may have more lines than one answer carries; a narrower search lists them.
        if (tooMany) MessageBox(kTooManyLines, nullptr, MB_OK);
        return false;  // otherwise the framework has told the user; the rows stay
    }

    SetUpGrid();
    if (count <= 0) {
        std::free(answer);
        m_Grid.Refresh();
        MessageBox("记录没有找到!", nullptr, MB_OK);
        return false;
    }
    const auto& fields = kel::screens::DetailFields();
    for (int i = 0; i < count; ++i) {
        _ContDetailStruct line;
        std::memcpy(&line, answer + static_cast<std::size_t>(i) * sizeof line, sizeof line);
        const int row = kel::screens::AppendGridRow(m_Grid);
        fields.FillRow(m_Grid, row, line);
    }
    std::free(answer);
    for (int col = COL_PRODUCT; col <= COL_COMM_RATE; ++col) m_Grid.SetColumnType(col, CQXGrid::kColumnText);
    m_Grid.Refresh();
    m_Grid.SelectRow(1, TRUE);
    return true;
}

void CS0000S71::OnBtnCommission() {
    const int row = kel::screens::SelectedRow(*this, m_Grid, "请选择要调整的数据");
    if (row == 0) return;
    _ContDetailStruct line{};
    if (!kel::screens::DetailFields().ReadRow(*this, m_Grid, row, line)) return;
    CS0000S711 form(this);
    form.m_nContId = line.nContId;
    form.DoModal();  // the user searches again to see the new rates
}

void CS0000S71::OnBtnDelete() {
    const int row = kel::screens::SelectedRow(*this, m_Grid, "请选择要删除的数据");
    if (row == 0) return;
    if (!kel::screens::ConfirmDelete(*this)) return;
    _ContDetailStruct line{};
    if (!kel::screens::DetailFields().ReadRow(*this, m_Grid, row, line)) return;
    // A delete names the line by its keys only.
    CContDetailInfo mgr(this);
    mgr.m_stContDetail.nContId = line.nContId;
    std::memcpy(mgr.m_stContDetail.szProdCode, line.szProdCode, sizeof line.szProdCode);
    std::memcpy(mgr.m_stContDetail.szRiskLevel, line.szRiskLevel, sizeof line.szRiskLevel);
    std::memcpy(mgr.m_stContDetail.szCompCode, line.szCompCode, sizeof line.szCompCode);
    std::memcpy(mgr.m_stContDetail.szRICode, line.szRICode, sizeof line.szRICode);
    bool deleted;
    {
        CWaitCursor wait;
        deleted = mgr.Delete();
    }
    if (!deleted) return;  // the framework has told the user; the row stays
    m_Grid.DeleteRow(row);
    kel::screens::SelectNeighbourOf(m_Grid, row);
    MessageBox("处理成功!", nullptr, MB_OK);
}

void CS0000S71::OnBtnModify() {
    const int row = kel::screens::SelectedRow(*this, m_Grid, "请选择要修改的数据");
    if (row == 0) return;
    _ContDetailStruct line{};
    if (!kel::screens::DetailFields().ReadRow(*this, m_Grid, row, line)) return;
    CS0000S710 form(this);
    form.m_stDetail = line;
    // The form closes only when the line was stored: nothing typed is lost.
    form.m_fnSave = [this](const _ContDetailStruct& changed) {
        CContDetailInfo mgr(this);
        mgr.SetContDetail(changed);
        CWaitCursor wait;
        return mgr.Update();
    };
    if (form.DoModal() != IDOK) return;
    // A line is named by its product, risk level, company and reinsurer.
    const auto worked =
        kel::screens::RowKey::OfRow(m_Grid, row, {COL_PRODUCT, COL_RISK_LEVEL, COL_COMPANY, COL_REINSURER});
    if (Search()) kel::screens::SelectKeyRow(m_Grid, worked);
}

void CS0000S71::OnDblClickGrid(NMHDR* pNotifyStruct, LRESULT* pResult) {
    if (kel::screens::DoubleClickedRow(pNotifyStruct, pResult)) OnBtnModify();
}
