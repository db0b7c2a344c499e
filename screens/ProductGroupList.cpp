#include "screens/ProductGroupList.h"

#include "host/win/DialogTemplate.h"

BEGIN_MESSAGE_MAP(CProductGroupList, CBASEBASE)
ON_BN_CLICKED(IDC_BTN_ADD, OnBtnAdd)
ON_BN_CLICKED(IDC_BTN_MODIFY, OnBtnModify)
ON_BN_CLICKED(IDC_BTN_DELETE, OnBtnDelete)
ON_BN_CLICKED(IDC_BTN_PRODUCTS, OnBtnProducts)
ON_NOTIFY(GVN_CLICK, IDC_GRID_GROUP, OnClickGroupGrid)
ON_NOTIFY(GVN_DBLCLICK, IDC_GRID_GROUP, OnDblClickGroupGrid)
END_MESSAGE_MAP()

void CProductGroupList::RegisterTemplate(UINT nIDTemplate, const char* caption, bool withPrint) {
    win::TemplateBuilder t(static_cast<int>(nIDTemplate), caption);
    t.Label(-1, "合约代码:", 0, 0)
        .Edit(IDC_EDT_CONT_CODE, 0, 1, 1, WS_DISABLED)
        .Label(-1, "合约名称:", 0, 2)
        .Edit(IDC_EDT_CONT_NAME, 0, 3, 3, WS_DISABLED)
        .Grid(IDC_GRID_GROUP, 1, 0, 1, 3)
        .Size(200, 300)
        .Grid(IDC_GRID_PRODUCT, 1, 3, 1, 3)
        .Size(360, 300)
        .Button(IDC_BTN_ADD, "新增...", 2, 0)
        .Button(IDC_BTN_MODIFY, "修改...", 2, 1)
        .Button(IDC_BTN_DELETE, "删除", 2, 2)
        .Button(IDC_BTN_PRODUCTS, "选择险种...", 2, 3);
    if (withPrint) t.Button(IDC_BTN_PRINT, "打印[&P]", 2, 4, WS_INVISIBLE);
    t.Button(IDCANCEL, "返回[&R]", 2, 5).Register();
}

CProductGroupList::CProductGroupList(UINT nIDTemplate, const Look& look, CWnd* pParent)
    : CBASEBASE(nIDTemplate, pParent), m_look(look) {}

BOOL CProductGroupList::OnInitDialog() {
    m_GridGroup.SubclassDlgItem(IDC_GRID_GROUP, this);
    m_GridProduct.SubclassDlgItem(IDC_GRID_PRODUCT, this);
    CBASEBASE::OnInitDialog();
    SetItemValue(IDC_EDT_CONT_CODE, m_strContCode);
    SetItemValue(IDC_EDT_CONT_NAME, m_strContName);
    if (m_bAdd)
        for (int button : {IDC_BTN_ADD, IDC_BTN_MODIFY, IDC_BTN_DELETE, IDC_BTN_PRODUCTS})
            GetDlgItem(button)->EnableWindow(FALSE);
    Reload();
    return TRUE;
}

void CProductGroupList::SetUpGrids() {
    const auto& c = m_look.groupColumns;
    kel::screens::SetUpListGrid(m_GridGroup, {c[0], c[1], c[2]});
    kel::screens::SetUpListGrid(m_GridProduct, {{m_look.productCodeHeader, 120}, {"险种名称", 217}});
}

void CProductGroupList::Reload() {
    SetUpGrids();
    if (m_bAdd || !LoadGroups()) return;
    m_GridGroup.Refresh();
    if (m_GridGroup.GetRowCount() > 1) m_GridGroup.SelectRow(1, TRUE);
}

int CProductGroupList::CurrentRow(const char* message) {
    const int row = m_GridGroup.GetRow();
    if (row > 0 && row < m_GridGroup.GetRowCount()) return row;
    MessageBox(message, nullptr, MB_OK);
    return 0;
}

std::vector<CString> CProductGroupList::ProductCodes() const {
    std::vector<CString> codes;
    for (int row = 1; row < m_GridProduct.GetRowCount(); ++row) {
        CString code = m_GridProduct.GetItemText(row, PROD_CODE);
        code.Trim();
        codes.push_back(code);
    }
    return codes;
}

void CProductGroupList::OnBtnAdd() {
    const int row = AddGroup();
    if (row <= 0) return;
    // The new group is the current one, so that its products can be chosen next;
    // it has none yet.
    m_GridGroup.SelectRow(row, TRUE);
    ClearProducts();
}

void CProductGroupList::OnBtnModify() {
    const int row = CurrentRow("请选择要修改的数据");
    if (row != 0) ModifyGroup(row);
}

void CProductGroupList::OnBtnDelete() {
    const int row = CurrentRow("请选择要删除的数据");
    if (row == 0) return;
    if (!kel::screens::ConfirmDelete(*this)) return;
    if (!DeleteGroup(row)) return;  // the grids stay as they were
    m_GridGroup.DeleteRow(row);
    MessageBox("处理成功!", nullptr, MB_OK);
    ClearProducts();
}

void CProductGroupList::OnBtnProducts() {
    const int row = CurrentRow(m_look.noGroupForProducts);
    if (row == 0) return;
    // The ticks must be this group's products, whichever group the product grid
    // showed (keys move the current row without a click).
    if (!LoadProducts(row)) return;
    if (ChooseProducts(row, ProductCodes())) LoadProducts(row);
}

void CProductGroupList::OnClickGroupGrid(NMHDR* pNotifyStruct, LRESULT* pResult) {
    const auto* item = reinterpret_cast<NM_GRIDVIEW*>(pNotifyStruct);
    if (item->iRow > 0) LoadProducts(item->iRow);  // 0 is the header, -1 outside the rows
    *pResult = 0;
}

void CProductGroupList::OnDblClickGroupGrid(NMHDR* pNotifyStruct, LRESULT* pResult) {
    if (const int row = kel::screens::DoubleClickedRow(pNotifyStruct, pResult)) ModifyGroup(row);
}
