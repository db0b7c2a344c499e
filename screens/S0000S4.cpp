#include "screens/S0000S4.h"

#include <cstdlib>
#include <cstring>

#include "common/text/GbkText.h"
#include "data/RICompanyMgr.h"
#include "host/win/DialogTemplate.h"
#include "screens/RegisterOnce.h"
#include "screens/ReinsurerFields.h"
#include "screens/S0000S40.h"
#include "screens/S0000SV.h"
#include "screens/ScreenCommon.h"
#include "screens/WorkedRow.h"

BEGIN_MESSAGE_MAP(CS0000S4, CBASEBASE)
ON_BN_CLICKED(IDC_BTN_ADD, OnBtnAdd)
ON_BN_CLICKED(IDC_BTN_MODIFY, OnBtnModify)
ON_BN_CLICKED(IDC_BTN_DELETE, OnBtnDelete)
ON_NOTIFY(GVN_DBLCLICK, IDC_GRID, OnDblClickGrid)
END_MESSAGE_MAP()

void CS0000S4::RegisterTemplate() {
    win::TemplateBuilder(IDD, "再保公司设置[检索]")
        .Grid(IDC_GRID, 0, 0, 1, 4)
        .Size(860, 420)
        .Button(IDC_BTN_ADD, "新增[&A]...", 1, 0)
        .Button(IDC_BTN_MODIFY, "修改[&M]...", 1, 1)
        .Button(IDC_BTN_DELETE, "删除[&D]", 1, 2)
        .Button(IDCANCEL, "返回[&R]", 1, 3)
        .Register();
}

CS0000S4::CS0000S4(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S4::RegisterTemplate>();
}

BOOL CS0000S4::OnInitDialog() {
    m_Grid.SubclassDlgItem(IDC_GRID, this);
    // The code columns are registered before the base initialisation, once.
    if (m_nGridCbxCount == 0) kel::screens::RICompanyFields().RegisterCodeColumns(*this, m_Grid);
    CBASEBASE::OnInitDialog();
    SetUpGrid();
    InitGridCbx();
    LoadRICompanyList();
    return TRUE;
}

void CS0000S4::SetUpGrid() {
    using kel::screens::GridColumn;
    kel::screens::SetUpListGrid(m_Grid, {
                                            GridColumn{"代码", 40},
                                            GridColumn{"再保公司中文名称", 200},
                                            GridColumn{"再保公司英文名称", 300},
                                            GridColumn{"再保公司缩写", 90},
                                            GridColumn{"地址", 0},
                                            GridColumn{"电话号码", 0, false},
                                            GridColumn{"传真", 0, false},
                                            GridColumn{"业务类型", 0, false},
                                            GridColumn{"公司属性", 100},
                                            GridColumn{"账单类型", 0, false},
                                            GridColumn{"付款方式", 0, false},
                                            GridColumn{"业务来源性质", 100},
                                            GridColumn{"联系人", 0, false},
                                            GridColumn{"国家地区", 100},
                                            GridColumn{"信用等级", 0, false},
                                            GridColumn{"S&P评级", 0, false},
                                            GridColumn{"A.M.Best评级", 0, false},
                                            GridColumn{"偿付能力", 0, false},
                                            GridColumn{"关联方关系", 0, false},
                                            GridColumn{"公积金", 0, false},
                                            GridColumn{"资本金", 0, false},
                                            GridColumn{"失效标志", 0, false},
                                        });
    m_Grid.SetHeaderSort(FALSE);  // this list stays in the server's order
}

bool CS0000S4::LoadRICompanyList() {
    CRICompanyMgr mgr(this);
    char* answer = nullptr;
    int count = 0;
    bool ok;
    {
        CWaitCursor wait;
        ok = mgr.GetRICompanyList(&answer, &count);
    }
    if (!ok) return false;  // the framework has told the user; the grid stays as it was
    SetUpGrid();
    if (count > 0) FillGrid(reinterpret_cast<const _RICompanyStruct*>(answer), count);
    std::free(answer);
    return true;
}

void CS0000S4::FillGrid(const _RICompanyStruct* records, int count) {
    const auto& fields = kel::screens::RICompanyFields();
    for (int i = 0; i < count; ++i) {
        _RICompanyStruct record;
        std::memcpy(&record, &records[i], sizeof record);  // the answer buffer is not aligned for us
        int row = kel::screens::AppendGridRow(m_Grid);
        for (int col = COL_CODE; col <= COL_CAPITAL; ++col) m_Grid.SetColumnType(col, CQXGrid::kColumnText);
        fields.FillRow(m_Grid, row, record);  // the two code columns become code columns again
    }
    m_Grid.Refresh();
    m_Grid.SetFocus();
    m_Grid.SelectRow(1, TRUE);
}

void CS0000S4::OnBtnAdd() {
    CS0000S40 form(this);
    form.m_bAdd = true;
    if (form.DoModal() != IDOK) return;
    ReloadAt(kel::screens::RowKey().With(COL_CODE, kel::text::GetField(form.m_stRICompany.szRICode)));
}

void CS0000S4::ReloadAt(const kel::screens::RowKey& worked) {
    if (LoadRICompanyList()) kel::screens::SelectKeyRow(m_Grid, worked);
}

void CS0000S4::OnBtnModify() {
    int row = kel::screens::SelectedRow(*this, m_Grid, "请选择要修改的数据");
    if (row == 0) return;

    CS0000S40 form(this);
    form.m_bAdd = false;
    if (!kel::screens::RICompanyFields().ReadRow(*this, m_Grid, row, form.m_stRICompany)) return;
    if (form.DoModal() != IDOK) return;  // nothing was stored, nothing changes
    if (form.m_stRICompany.cCompKind != kCompKindReinsurer) OfferBrokerList(form.m_stRICompany);
    ReloadAt(kel::screens::RowKey().With(COL_CODE, kel::text::GetField(form.m_stRICompany.szRICode)));
}

void CS0000S4::OfferBrokerList(const _RICompanyStruct& broker) {
    if (MessageBox("你更改了经纪公司信息，要更改下面的再保公司信息吗?", "注意", MB_OKCANCEL | MB_ICONEXCLAMATION) !=
        IDOK)
        return;
    using kel::text::GetField;
    CS0000SV list(this);
    list.m_strBrokerCode = GetField(broker.szRICode);
    list.m_strBrokerChnName = GetField(broker.szChnName);
    list.m_strBrokerEngName = GetField(broker.szEngName);
    list.DoModal();
}

void CS0000S4::OnDblClickGrid(NMHDR* pNotifyStruct, LRESULT* pResult) {
    if (kel::screens::DoubleClickedRow(pNotifyStruct, pResult)) OnBtnModify();
}

void CS0000S4::OnBtnDelete() {
    int row = kel::screens::SelectedRow(*this, m_Grid, "请选择要删除的数据");
    if (row == 0) return;
    if (!kel::screens::ConfirmDelete(*this)) return;

    CRICompanyMgr mgr(this);  // the delete sends only the code
    if (!kel::screens::RICompanyFields().ReadRow(*this, m_Grid, row, mgr.m_stRICompany)) return;
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
