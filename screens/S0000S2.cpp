#include "screens/S0000S2.h"

#include <cstdlib>
#include <cstring>

#include "common/text/GbkText.h"
#include "data/ContInfoMgr.h"
#include "host/win/DialogTemplate.h"
#include "screens/ContCodeFields.h"
#include "screens/RegisterOnce.h"
#include "screens/S0000S20.h"
#include "screens/ScreenCommon.h"
#include "screens/WorkedRow.h"

BEGIN_MESSAGE_MAP(CS0000S2, CBASEBASE)
ON_BN_CLICKED(IDC_BTN_ADD, OnBtnAdd)
ON_BN_CLICKED(IDC_BTN_MODIFY, OnBtnModify)
ON_BN_CLICKED(IDC_BTN_DELETE, OnBtnDelete)
ON_NOTIFY(GVN_DBLCLICK, IDC_GRID, OnDblClickGrid)
END_MESSAGE_MAP()

void CS0000S2::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约代码设置[检索]")
        .Grid(IDC_GRID, 0, 0, 1, 4)
        .Size(950, 420)
        .Button(IDC_BTN_ADD, "新增[&A]...", 1, 0)
        .Button(IDC_BTN_MODIFY, "修改[&M]...", 1, 1)
        .Button(IDC_BTN_DELETE, "删除[&D]", 1, 2)
        .Button(IDCANCEL, "返回[&R]", 1, 3)
        .Register();
}

CS0000S2::CS0000S2(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S2::RegisterTemplate>();
}

BOOL CS0000S2::OnInitDialog() {
    m_Grid.SubclassDlgItem(IDC_GRID, this);
    CBASEBASE::OnInitDialog();
    LoadContCodeList();
    return TRUE;
}

bool CS0000S2::LoadContCodeList() {
    CContCodeMgr mgr(this);
    char* answer = nullptr;
    int count = 0;
    bool ok;
    {
        CWaitCursor wait;
        ok = mgr.GetContCodeList(&answer, &count);
    }
    if (!ok) return false;  // the framework has told the user

    using kel::screens::GridColumn;
    kel::screens::SetUpListGrid(m_Grid,
                                {GridColumn{"代码", 53}, GridColumn{"中文名称", 400}, GridColumn{"英文名称", 400},
                                 GridColumn{"类型", 73}, GridColumn{"", 0, false}});
    InitGridCbx();
    FillGrid(reinterpret_cast<const _ContCodeStruct*>(answer), count);
    std::free(answer);
    return true;
}

void CS0000S2::FillGrid(const _ContCodeStruct* records, int count) {
    const auto& fields = kel::screens::ContCodeFields();
    for (int i = 0; i < count; ++i) {
        _ContCodeStruct record;
        std::memcpy(&record, &records[i], sizeof record);  // the answer buffer is not aligned for us
        int row = kel::screens::AppendGridRow(m_Grid);
        for (int col = COL_CODE; col <= COL_TYPE; ++col) m_Grid.SetColumnType(col, CQXGrid::kColumnText);
        fields.FillRow(m_Grid, row, record);
        if (record.cMarkFlag == 'Y')
            for (int col = 0; col < COL_COUNT; ++col) m_Grid.SetItemBkColour(row, col, kel::screens::kMarkColour);
    }
    m_Grid.Refresh();
    if (count > 0) m_Grid.SelectRow(1, TRUE);
}

void CS0000S2::RunForm(bool bAdd, const _ContCodeStruct& record) {
    // The list read anew keeps the row worked on: the code stored, else the row
    // that was current.
    using kel::screens::RowKey;
    RowKey worked = RowKey::OfRow(m_Grid, m_Grid.GetRow(), {COL_CODE});
    {
        CS0000S20 form(this);
        form.m_bAdd = bAdd;
        form.m_stContCode = record;
        if (form.DoModal() == IDOK) worked = RowKey().With(COL_CODE, kel::text::GetField(form.m_stContCode.szContCode));
    }
    // With no server the form has said so: reading would only say it again.
    if (!ServerAway() && LoadContCodeList()) kel::screens::SelectKeyRow(m_Grid, worked);
}

void CS0000S2::OnBtnAdd() { RunForm(true, _ContCodeStruct{}); }

void CS0000S2::OnBtnModify() {
    int row = kel::screens::SelectedRow(*this, m_Grid, "请选择要修改的数据");
    if (row == 0) return;

    // The marker is the server's: it is not taken and goes back as 0.
    _ContCodeStruct record{};
    if (!kel::screens::ContCodeFields().ReadRow(*this, m_Grid, row, record)) return;
    RunForm(false, record);
}

void CS0000S2::OnDblClickGrid(NMHDR* pNotifyStruct, LRESULT* pResult) {
    if (kel::screens::DoubleClickedRow(pNotifyStruct, pResult)) OnBtnModify();
}

void CS0000S2::OnBtnDelete() {
    int row = kel::screens::SelectedRow(*this, m_Grid, "请选择要删除的数据");
    if (row == 0) return;
    if (!kel::screens::ConfirmDelete(*this)) return;

    _ContCodeStruct record{};  // the delete sends only the code
    if (!kel::screens::ContCodeFields().ReadRow(*this, m_Grid, row, record)) return;
    CContCodeMgr mgr(this);
    mgr.SetContCode(record);
    bool deleted;
    {
        CWaitCursor wait;
        deleted = mgr.Delete();
    }
    if (!deleted) return;  // the grid stays as it was
    m_Grid.DeleteRow(row);
    kel::screens::SelectNeighbourOf(m_Grid, row);
    MessageBox("处理成功!", nullptr, MB_OK);
}
