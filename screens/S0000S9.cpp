#include "screens/S0000S9.h"

#include "host/win/DialogTemplate.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"

BEGIN_MESSAGE_MAP(CS0000S9, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S9::RegisterTemplate() {
    win::TemplateBuilder(IDD, "当前期间设置[检索]")
        .Group(-1, "", 0, 0, 1, 3)
        .Grid(IDC_GRID, 0, 0, 1, 3)
        .Size(775, 360)
        .Button(IDC_BTN_MODIFY, "修改[&M]...", 1, 1, WS_DISABLED)
        .Button(IDCANCEL, "返回[&R]", 1, 2)
        .Register();
}

CS0000S9::CS0000S9(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S9::RegisterTemplate>();
}

BOOL CS0000S9::OnInitDialog() {
    m_Grid.SubclassDlgItem(IDC_GRID, this);
    CBASEBASE::OnInitDialog();
    using kel::screens::GridColumn;
    kel::screens::SetUpListGrid(
        m_Grid, {GridColumn{"承保公司", 450}, GridColumn{"上次确定年月", 150}, GridColumn{"当前期间", 150}});
    return TRUE;
}
