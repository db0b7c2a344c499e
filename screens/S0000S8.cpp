#include "screens/S0000S8.h"

#include "host/win/DialogTemplate.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"

BEGIN_MESSAGE_MAP(CS0000S8, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S8::RegisterTemplate() {
    win::TemplateBuilder(IDD, "区间范围设置[检索]")
        .Group(-1, "险种大类列表", 0, 0, 1, 2)
        .Grid(IDC_GRID_CLASS, 0, 0, 1, 2)
        .Size(280, 360)
        .Group(-1, "区间范围设置", 0, 2, 1, 4)
        .Grid(IDC_GRID_RANGE, 0, 2, 1, 4)
        .Size(365, 360)
        .Button(IDC_BTN_CHECK, "检查[&C]", 1, 2, WS_INVISIBLE)
        .Button(IDC_BTN_ADD, "新增[&A]...", 1, 3)
        .Button(IDC_BTN_DELETE, "删除[&D]", 1, 4)
        .Button(IDCANCEL, "返回[&R]", 1, 5)
        .Register();
}

CS0000S8::CS0000S8(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S8::RegisterTemplate>();
}

BOOL CS0000S8::OnInitDialog() {
    m_GridClass.SubclassDlgItem(IDC_GRID_CLASS, this);
    m_GridRange.SubclassDlgItem(IDC_GRID_RANGE, this);
    CBASEBASE::OnInitDialog();
    GetDlgItem(IDC_BTN_CHECK)->ShowWindow(SW_HIDE);

    using kel::screens::GridColumn;
    kel::screens::SetUpListGrid(m_GridClass, {GridColumn{"类别代码", 100}, GridColumn{"险种大类名称", 155}});
    kel::screens::SetUpListGrid(
        m_GridRange, {GridColumn{"币种", 100}, GridColumn{"区间起始", 120, false}, GridColumn{"区间终止", 120, false}});
    return TRUE;
}
