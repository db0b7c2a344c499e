#include "screens/S0000SC.h"

#include "host/win/DialogTemplate.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"

BEGIN_MESSAGE_MAP(CS0000SC, CBASEBASE)
END_MESSAGE_MAP()

void CS0000SC::RegisterTemplate() {
    win::TemplateBuilder(IDD, "险种组合设置[检索]")
        .Group(-1, "险种组合", 0, 0, 2, 3)
        .Grid(IDC_GRID_COMB, 0, 0, 1, 3)
        .Size(310, 360)
        .Button(IDC_BTN_COMB_ADD, "新增...", 1, 0)
        .Button(IDC_BTN_COMB_MODIFY, "修改...", 1, 1, WS_DISABLED)
        .Button(IDC_BTN_COMB_DELETE, "删除", 1, 2, WS_DISABLED)
        .Group(-1, "细节", 0, 3, 2, 3)
        .Grid(IDC_GRID_DETAIL, 0, 3, 1, 3)
        .Size(425, 360)
        .Button(IDC_BTN_DETAIL_ADD, "新增...", 1, 3, WS_DISABLED)
        .Button(IDC_BTN_DETAIL_MODIFY, "修改...", 1, 4, WS_DISABLED)
        .Button(IDC_BTN_DETAIL_DELETE, "删除", 1, 5, WS_DISABLED)
        .Button(IDCANCEL, "返回[&R]", 2, 5)
        .Register();
}

CS0000SC::CS0000SC(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000SC::RegisterTemplate>();
}

BOOL CS0000SC::OnInitDialog() {
    m_GridComb.SubclassDlgItem(IDC_GRID_COMB, this);
    m_GridDetail.SubclassDlgItem(IDC_GRID_DETAIL, this);
    CBASEBASE::OnInitDialog();
    using kel::screens::GridColumn;
    kel::screens::SetUpListGrid(m_GridComb, {GridColumn{"险种", 285}});
    kel::screens::SetUpListGrid(m_GridDetail, {GridColumn{"代码", 100}, GridColumn{"名称", 300}});
    return TRUE;
}
