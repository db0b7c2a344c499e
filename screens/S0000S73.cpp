#include "screens/S0000S73.h"

#include <cstdlib>
#include <cstring>

#include "data/ContInfoMgr.h"
#include "host/win/DialogTemplate.h"
#include "screens/GridPrint.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"

BEGIN_MESSAGE_MAP(CS0000S73, CBASEBASE)
ON_BN_CLICKED(IDC_BTN_PRINT, OnBtnPrint)
END_MESSAGE_MAP()

void CS0000S73::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约资料设置[合约检查结果]")
        .Grid(IDC_GRID, 0, 0, 1, 4)
        .Size(540, 320)
        .Button(IDC_BTN_PRINT, "打印(&P)", 1, 2)
        .Button(IDCANCEL, "返回[&R]", 1, 3)
        .Register();
}

CS0000S73::CS0000S73(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S73::RegisterTemplate>();
}

BOOL CS0000S73::OnInitDialog() {
    m_Grid.SubclassDlgItem(IDC_GRID, this);
    CBASEBASE::OnInitDialog();
    kel::screens::SetUpListGrid(m_Grid, {{"合约代码", 80}, {"起始日期", 100}, {"终止日期", 100}, {"检查结果", 234}});
    LoadResult();
    return TRUE;
}

void CS0000S73::LoadResult() {
    CContInfoMgr mgr(this);
    mgr.m_stContInfo.nContId = m_nContId;
    char* answer = nullptr;
    int count = 0;
    bool ok;
    {
        CWaitCursor wait;
        ok = mgr.GetCheckResult(&answer, &count);
    }
    if (!ok) return;  // the framework has told the user; the list stays empty
    for (int i = 0; i < count; ++i) {
        _CheckResultStruct line;
        std::memcpy(&line, answer + static_cast<std::size_t>(i) * sizeof line, sizeof line);
        const int row = kel::screens::AppendGridRow(m_Grid);
        m_Grid.SetItemText(row, COL_CONT_CODE, m_strContCode);
        m_Grid.SetItemText(row, COL_START_DATE, m_strStartDate);
        m_Grid.SetItemText(row, COL_END_DATE, m_strEndDate);
        m_Grid.SetItemText(row, COL_RESULT, CString(CContInfoMgr::CheckLineText(line)));
    }
    std::free(answer);
    if (count <= 0) return;
    m_Grid.SetColumnType(COL_CONT_CODE, CQXGrid::kColumnText);
    m_Grid.SetColumnType(COL_START_DATE, CQXGrid::kColumnText);
    m_Grid.Refresh();
    m_Grid.SelectRow(1, TRUE);
}

void CS0000S73::OnBtnPrint() {
    if (m_Grid.GetRowCount() <= 1) {
        MessageBox("没有可打印的检查结果!", nullptr, MB_OK);
        return;
    }
    CString title;
    title.Format("合约检查结果 %s %s-%s", m_strContCode.GetString(), m_strStartDate.GetString(),
                 m_strEndDate.GetString());
    kel::screens::PrintGrid(this, m_Grid, title);
}
