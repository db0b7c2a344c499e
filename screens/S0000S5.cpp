#include "screens/S0000S5.h"

#include <cstdlib>
#include <cstring>

#include "common/text/GbkText.h"
#include "data/ExchRateMgr.h"
#include "host/win/DialogTemplate.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"

BEGIN_MESSAGE_MAP(CS0000S5, CBASEBASE)
ON_BN_CLICKED(IDC_BTN_ADD, OnBtnAdd)
ON_BN_CLICKED(IDC_BTN_MODIFY, OnBtnModify)
ON_BN_CLICKED(IDC_BTN_DELETE, OnBtnDelete)
END_MESSAGE_MAP()

void CS0000S5::RegisterTemplate() {
    win::TemplateBuilder(IDD, "兑换率设置[检索]")
        .Grid(IDC_GRID, 0, 0, 1, 4)
        .Size(720, 400)
        .Button(IDC_BTN_ADD, "新增[&A]...", 1, 0, WS_INVISIBLE)
        .Button(IDC_BTN_MODIFY, "修改[&M]...", 1, 1, WS_INVISIBLE)
        .Button(IDC_BTN_DELETE, "删除[&D]", 1, 2, WS_INVISIBLE)
        .Button(IDCANCEL, "返回[&R]", 1, 3)
        .Register();
}

CS0000S5::CS0000S5(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S5::RegisterTemplate>();
}

BOOL CS0000S5::OnInitDialog() {
    m_Grid.SubclassDlgItem(IDC_GRID, this);
    CBASEBASE::OnInitDialog();

    CExchRateMgr mgr(this);
    char* answer = nullptr;
    int count = 0;
    bool ok;
    {
        CWaitCursor wait;
        ok = mgr.GetExchRateList(&answer, &count);
    }
    if (!ok) return TRUE;  // reported by the framework; the grid stays empty

    for (int id : {IDC_BTN_ADD, IDC_BTN_MODIFY, IDC_BTN_DELETE}) GetDlgItem(id)->ShowWindow(SW_HIDE);
    using kel::screens::GridColumn;
    kel::screens::SetUpListGrid(m_Grid,
                                {GridColumn{"原币种", 175}, GridColumn{"兑换币种", 175}, GridColumn{"兑换率", 150},
                                 GridColumn{"起始日期", 100}, GridColumn{"终止日期", 100}});
    m_Grid.SetNonFixedFormat(COL_RATE, CQXGrid::kAlignRight);
    FillGrid(reinterpret_cast<const _ExchRateStruct*>(answer), count);
    std::free(answer);
    return TRUE;
}

void CS0000S5::FillGrid(const _ExchRateStruct* records, int count) {
    using kel::text::GetField;
    for (int i = 0; i < count; ++i) {
        _ExchRateStruct record;
        std::memcpy(&record, &records[i], sizeof record);
        int row = kel::screens::AppendGridRow(m_Grid);
        for (int col = 0; col < COL_COUNT; ++col) m_Grid.SetColumnType(col, CQXGrid::kColumnText);
        CString rate;
        rate.Format("%f", record.dExchRate);
        m_Grid.SetItemText(row, COL_SRC_CURR, CString(GetField(record.szSrcCurr)), 1);
        m_Grid.SetItemText(row, COL_DST_CURR, CString(GetField(record.szDstCurr)), 1);
        m_Grid.SetItemText(row, COL_RATE, rate, 1);
        m_Grid.SetItemText(row, COL_START_DATE, CString(GetField(record.szStartDate)), 1);
        m_Grid.SetItemText(row, COL_END_DATE, CString(GetField(record.szEndDate)), 1);
    }
    if (count > 0) {
        m_Grid.SetFocus();
        m_Grid.SelectRow(1, TRUE);
    }
}
