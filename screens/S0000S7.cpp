#include "screens/S0000S7.h"

#include <cstdlib>
#include <cstring>

#include "common/text/GbkText.h"
#include "data/ContInfoMgr.h"
#include "host/win/DialogTemplate.h"
#include "screens/ContInfoFields.h"
#include "screens/RegisterOnce.h"
#include "screens/S0000S70.h"
#include "screens/ScreenCommon.h"
#include "screens/TreatyDetailOpen.h"
#include "screens/WorkedRow.h"

namespace {

constexpr int kYearDigits = 4;

bool IsYear(const CString& text) {
    if (text.GetLength() != kYearDigits) return false;
    for (char c : text.str())
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

BEGIN_MESSAGE_MAP(CS0000S7, CBASEBASE)
ON_BN_CLICKED(IDC_BTN_SEARCH, OnBtnSearch)
ON_BN_CLICKED(IDC_BTN_ADD, OnBtnAdd)
ON_BN_CLICKED(IDC_BTN_MODIFY, OnBtnModify)
ON_BN_CLICKED(IDC_BTN_COPY, OnBtnCopy)
ON_BN_CLICKED(IDC_BTN_DELETE, OnBtnDelete)
ON_BN_CLICKED(IDC_BTN_DETAIL, OnBtnDetail)
ON_BN_CLICKED(IDC_BTN_CHECK, OnBtnCheck)
ON_NOTIFY(GVN_DBLCLICK, IDC_GRID, OnDblClickGrid)
END_MESSAGE_MAP()

void CS0000S7::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约资料设置[检索]")
        .Group(-1, "检索条件", 0, 0, 1, 3)
        .Label(-1, "合约年份:", 0, 0)
        .Edit(IDC_EDT_YEAR, 0, 1, 1, ES_NUMBER, kYearDigits)
        .Button(IDC_BTN_SEARCH, "检索[&S]", 0, 2, BS_DEFPUSHBUTTON)
        .Grid(IDC_GRID, 1, 0, 1, 8)
        .Size(1000, 420)
        .Button(IDC_BTN_ADD, "新增[&A]...", 2, 1)
        .Button(IDC_BTN_MODIFY, "修改[&M]...", 2, 2)
        .Button(IDC_BTN_COPY, "复制[&C]...", 2, 3)
        .Button(IDC_BTN_DELETE, "删除[&D]", 2, 4)
        .Button(IDC_BTN_DETAIL, "明细[&Q]", 2, 5)
        .Button(IDC_BTN_CHECK, "检查[&K]", 2, 6)
        .Button(IDCANCEL, "返回[&R]", 2, 7)
        .Register();
}

CS0000S7::CS0000S7(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S7::RegisterTemplate>();
}

BOOL CS0000S7::OnInitDialog() {
    m_Grid.SubclassDlgItem(IDC_GRID, this);
    m_nNeedCount = 1;
    m_nNeedID[0] = IDC_EDT_YEAR;
    m_nGridCbxCount = 0;
    kel::screens::ContInfoFields().RegisterCodeColumns(*this, m_Grid);  // columns 3 and 4
    m_records.Attach(m_Grid);
    CBASEBASE::OnInitDialog();
    SetUpGrid(m_Grid);
    InitGridCbx();
    return TRUE;
}

void CS0000S7::SetUpGrid(CQXGrid& grid) {
    using kel::screens::GridColumn;
    // The five shown columns, then the record's other fields in hidden ones;
    // headers 0 to 14 are centred.
    static const GridColumn kShown[] = {
        {"合约代码", 120}, {"起始日期", 120}, {"终止日期", 120}, {"合约名称", 290}, {"首席再保人", 270}};
    kel::screens::SetUpListGrid(grid, {kShown[0], kShown[1], kShown[2], kShown[3], kShown[4]});
    grid.SetColumnCount(COL_COUNT);
    for (int col = COL_ATTRIBUTE; col < COL_COUNT; ++col) {
        grid.SetColumnWidth(col, 0);
        grid.SetItemText(0, col, "");
        grid.SetFixedFormat(col, col <= COL_COMM_RATE ? CQXGrid::kAlignCenter : CQXGrid::kAlignLeft);
    }
}

void CS0000S7::OnBtnSearch() { Search(); }

bool CS0000S7::Search() {
    if (IsNeededEmpty()) return false;
    CString year;
    GetItemValue(IDC_EDT_YEAR, year);
    year.Trim();
    // The key is the start date's beginning: a year is its four digits.
    if (!IsYear(year)) {
        kel::screens::RefuseInput(*this, IDC_EDT_YEAR, "合约年份必须是四位数字，请修改!");
        return false;
    }

    CContInfoMgr mgr(this);
    kel::text::PutRawField(mgr.m_stContInfo.szStartDate, sizeof mgr.m_stContInfo.szStartDate, year.str());
    char* answer = nullptr;
    int count = 0;
    bool ok;
    {
        CWaitCursor wait;
        ok = mgr.GetContInfoList(&answer, &count);
    }
    if (!ok) return false;  // the framework has told the user; the rows stay

    SetUpGrid(m_Grid);
    if (count <= 0) {
        std::free(answer);
        m_records.Clear();
        m_Grid.Refresh();
        MessageBox("记录没有找到!", nullptr, MB_OK);
        return false;
    }
    FillGrid(answer, count);  // the rows keep the answer
    return true;
}

void CS0000S7::FillGrid(char* answer, int count) {
    for (int col = COL_CONT_CODE; col <= COL_CONT_NAME; ++col) m_Grid.SetColumnType(col, CQXGrid::kColumnText);
    m_records.Fill(m_Grid, answer, count);  // columns 3 and 4 become code columns
    m_Grid.Refresh();
    m_Grid.SetFocus();
    m_Grid.SelectRow(1, TRUE);
}

bool CS0000S7::RecordOfRow(int row, _ContInfoStruct& record) {
    record = _ContInfoStruct{};
    return kel::screens::ContInfoFields().ReadRow(*this, m_Grid, row, record);
}

void CS0000S7::RunForm(bool bAdd, bool bCopy, const _ContInfoStruct& record) {
    // A treaty code and a start date name one record: the row worked on is found
    // again by them, the one stored or else the one that was current.
    using kel::screens::RowKey;
    RowKey worked = RowKey::OfRow(m_Grid, m_Grid.GetRow(), {COL_CONT_CODE, COL_START_DATE});
    {
        CS0000S70 form(this);
        form.m_bAdd = bAdd;
        form.m_bCopy = bCopy;
        form.m_stContInfo = record;
        form.DoModal();
        const _ContInfoStruct& stored = form.m_stContInfo;
        if (stored.szContCode[0] && stored.szStartDate[0])
            worked = RowKey()
                         .With(COL_CONT_CODE, kel::text::GetField(stored.szContCode))
                         .With(COL_START_DATE, kel::text::GetField(stored.szStartDate));
    }
    // With no server the form has said so: searching would only say it again.
    if (!ServerAway() && Search()) kel::screens::SelectKeyRow(m_Grid, worked);
}

void CS0000S7::OnBtnAdd() { RunForm(true, false, _ContInfoStruct{}); }

void CS0000S7::OnBtnModify() {
    int row = kel::screens::SelectedRow(*this, m_Grid, "请选择要修改的数据");
    if (row == 0) return;
    _ContInfoStruct record;
    if (!RecordOfRow(row, record)) return;
    RunForm(false, false, record);
}

void CS0000S7::OnDblClickGrid(NMHDR* pNotifyStruct, LRESULT* pResult) {
    if (kel::screens::DoubleClickedRow(pNotifyStruct, pResult)) OnBtnModify();
}

void CS0000S7::OnBtnCopy() {
    int row = kel::screens::SelectedRow(*this, m_Grid, "请选择要复制的数据");
    if (row == 0) return;
    _ContInfoStruct record;
    if (!RecordOfRow(row, record)) return;
    // The copy is a new record: the server's attribute and type text, and the
    // co-insurance coefficient, are not carried over. The id stays so that the
    // form reads the copied record's lists.
    record.cAttribute = '\0';
    std::memset(record.szContTypeName, 0, sizeof record.szContTypeName);
    record.dCoinsLimitCoef = 0;
    RunForm(false, true, record);
}

void CS0000S7::OnBtnDelete() {
    int row = kel::screens::SelectedRow(*this, m_Grid, "请选择要删除的数据");
    if (row == 0) return;
    if (!kel::screens::ConfirmDelete(*this)) return;

    _ContInfoStruct record;
    if (!RecordOfRow(row, record)) return;
    CContInfoMgr mgr(this);
    mgr.SetContInfo(record);
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

void CS0000S7::OnBtnDetail() {
    const int row = kel::screens::SelectedRow(*this, m_Grid, "请选择一条记录!");
    if (row == 0) return;
    kel::screens::RunDetailSearch(*this, m_Grid, row);
}

void CS0000S7::OnBtnCheck() {
    const int row = kel::screens::SelectedRow(*this, m_Grid, "请选择要检查的数据");
    if (row == 0) return;
    kel::screens::RunCheckResult(*this, m_Grid, row);
}
