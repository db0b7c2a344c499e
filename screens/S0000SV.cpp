#include "screens/S0000SV.h"

#include <cstdlib>
#include <cstring>

#include "common/text/GbkText.h"
#include "data/RIAgentCom.h"
#include "host/win/DialogTemplate.h"
#include "screens/BrokerFields.h"
#include "screens/RegisterOnce.h"
#include "screens/S0000SV0.h"
#include "screens/ScreenCommon.h"
#include "screens/WorkedRow.h"

BEGIN_MESSAGE_MAP(CS0000SV, CBASEBASE)
ON_BN_CLICKED(IDC_BTN_ADD, OnBtnAdd)
ON_BN_CLICKED(IDC_BTN_MODIFY, OnBtnModify)
ON_BN_CLICKED(IDC_BTN_DELETE, OnBtnDelete)
ON_NOTIFY(GVN_DBLCLICK, IDC_GRID, OnDblClickGrid)
END_MESSAGE_MAP()

void CS0000SV::RegisterTemplate() {
    win::TemplateBuilder(IDD, "经纪公司设置---检索")
        .Grid(IDC_GRID, 0, 0, 1, 4)
        .Size(900, 380)
        .Button(IDC_BTN_ADD, "新  增", 1, 0, BS_DEFPUSHBUTTON)
        .Button(IDC_BTN_MODIFY, "修  改", 1, 1)
        .Button(IDC_BTN_DELETE, "删  除", 1, 2)
        .Button(IDCANCEL, "返  回", 1, 3)
        .Register();
}

CS0000SV::CS0000SV(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000SV::RegisterTemplate>();
}

BOOL CS0000SV::OnInitDialog() {
    m_Grid.SubclassDlgItem(IDC_GRID, this);
    CBASEBASE::OnInitDialog();
    LoadEntries();
    return TRUE;
}

bool CS0000SV::LoadEntries() {
    using kel::screens::GridColumn;
    kel::screens::SetUpListGrid(m_Grid, {
                                            GridColumn{"经纪公司代码", 100},
                                            GridColumn{"再保公司代码", 100},
                                            GridColumn{"再保公司中文名称", 215},
                                            GridColumn{"再保公司英文名称", 215},
                                            GridColumn{"再保公司缩写", 150},
                                            GridColumn{"性质", 100},
                                            GridColumn{"", 0},
                                            GridColumn{nullptr, 0, false},
                                            GridColumn{nullptr, 0, false},
                                            GridColumn{nullptr, 0, false},
                                            GridColumn{nullptr, 0, false},
                                            GridColumn{nullptr, 0, false},
                                        });

    CRIAgentCom mgr(this);
    if (!kel::screens::PutFieldText(*this, 0, "经纪公司代码", m_strBrokerCode, mgr.m_stRIAgent.szBrokerCode))
        return false;
    char* answer = nullptr;
    int count = 0;
    bool ok;
    {
        CWaitCursor wait;
        ok = mgr.GetRIAgentList(&answer, &count);
    }
    if (!ok) return false;  // the framework has told the user; the header stays alone
    const auto& fields = kel::screens::RIAgentFields();
    for (int i = 0; i < count; ++i) {
        _RIAgentStruct record;
        std::memcpy(&record, answer + static_cast<std::size_t>(i) * sizeof record, sizeof record);
        int row = kel::screens::AppendGridRow(m_Grid);
        for (int col = 0; col < COL_COUNT; ++col) m_Grid.SetColumnType(col, CQXGrid::kColumnText);
        fields.FillRow(m_Grid, row, record);
        // Every row shows the screen's broker, whatever the record says.
        m_Grid.SetItemText(row, COL_BROKER_CODE, m_strBrokerCode, 1);
    }
    if (count > 0) {
        m_Grid.Refresh();
        m_Grid.SetFocus();
        m_Grid.SelectRow(1, TRUE);
    }
    std::free(answer);
    return true;
}

void CS0000SV::RunForm(bool bAdd, const _RIAgentStruct& record) {
    using kel::screens::RowKey;
    RowKey worked = RowKey::OfRow(m_Grid, m_Grid.GetRow(), {COL_RI_CODE});
    {
        CS0000SV0 form(this);
        form.m_bAdd = bAdd;
        form.m_stRIAgent = record;
        if (!bAdd) form.m_strBrokerName = m_strBrokerChnName;
        if (form.DoModal() == IDOK) worked = RowKey().With(COL_RI_CODE, kel::text::GetField(form.m_stRIAgent.szRICode));
    }
    // However the form was closed; the row worked on stays the current one. With no
    // server the form has said so, and reading would only say it again.
    if (!ServerAway() && LoadEntries()) kel::screens::SelectKeyRow(m_Grid, worked);
}

bool CS0000SV::HasBroker() const {
    CString code = m_strBrokerCode;
    code.Trim();
    return !code.IsEmpty();
}

void CS0000SV::OnBtnAdd() {
    if (!HasBroker()) {
        MessageBox(kNoBroker, nullptr, MB_OK);
        return;
    }
    _RIAgentStruct record{};
    if (!kel::screens::PutFieldText(*this, 0, "经纪公司代码", m_strBrokerCode, record.szBrokerCode)) return;
    RunForm(true, record);
}

void CS0000SV::OnBtnModify() {
    int row = kel::screens::SelectedRow(*this, m_Grid, "请选择要修改的数据");
    if (row == 0) return;
    _RIAgentStruct record{};
    if (!kel::screens::RIAgentFields().ReadRow(*this, m_Grid, row, record)) return;
    RunForm(false, record);
}

void CS0000SV::OnDblClickGrid(NMHDR* pNotifyStruct, LRESULT* pResult) {
    if (kel::screens::DoubleClickedRow(pNotifyStruct, pResult)) OnBtnModify();
}

void CS0000SV::OnBtnDelete() {
    int row = kel::screens::SelectedRow(*this, m_Grid, "请选择要删除的数据");
    if (row == 0) return;
    if (!kel::screens::ConfirmDelete(*this)) return;

    CRIAgentCom mgr(this);  // the entry's two codes, the rest zero
    using kel::screens::PutFieldText;
    if (!PutFieldText(*this, 0, "经纪公司代码", m_strBrokerCode, mgr.m_stRIAgent.szBrokerCode) ||
        !PutFieldText(*this, 0, "再保公司代码", m_Grid.GetItemText(row, COL_RI_CODE), mgr.m_stRIAgent.szRICode))
        return;
    bool deleted;
    {
        CWaitCursor wait;
        deleted = mgr.Delete();
    }
    if (!deleted) return;  // the framework has said why; the row stays
    m_Grid.DeleteRow(row);
    kel::screens::SelectNeighbourOf(m_Grid, row);
    MessageBox("处理成功!", nullptr, MB_OK);
}
