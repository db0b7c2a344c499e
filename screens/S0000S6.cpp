#include "screens/S0000S6.h"

#include <utility>

#include "common/records/Records.h"
#include "common/text/GbkText.h"
#include "host/win/DialogTemplate.h"
#include "screens/OrderMonth.h"
#include "screens/RegisterOnce.h"
#include "screens/S0000S60.h"
#include "screens/S0000S61.h"
#include "screens/ScreenCommon.h"
#include "screens/ScreenTransaction.h"
#include "screens/WorkedRow.h"

using kel::screens::MonthRead;

BEGIN_MESSAGE_MAP(CS0000S6, CBASEBASE)
ON_BN_CLICKED(IDC_BTN_SEARCH, OnBtnSearch)
ON_BN_CLICKED(IDC_BTN_UP, OnBtnUp)
ON_BN_CLICKED(IDC_BTN_DOWN, OnBtnDown)
ON_BN_CLICKED(IDC_BTN_DELETE, OnBtnDelete)
ON_BN_CLICKED(IDC_BTN_BATCH_ADD, OnBtnBatchAdd)
ON_BN_CLICKED(IDC_BTN_SINGLE_ADD, OnBtnSingleAdd)
END_MESSAGE_MAP()

void CS0000S6::RegisterTemplate() {
    // Enter in the month field searches: the search is the default button.
    win::TemplateBuilder(IDD, "合约次序设置[检索]")
        .Label(-1, "年度:", 0, 0)
        .Date(IDC_DATE_MONTH, 0, 1)
        .Button(IDC_BTN_SEARCH, "检索[&Q]", 0, 2, BS_DEFPUSHBUTTON)
        .Grid(IDC_GRID, 1, 0, 1, 6)
        .Size(960, 400)
        .Button(IDC_BTN_UP, "上移", 2, 0)
        .Button(IDC_BTN_DOWN, "下移", 2, 1)
        .Button(IDC_BTN_DELETE, "删除[&D]", 2, 2)
        .Button(IDC_BTN_BATCH_ADD, "批量新增[&A]...", 2, 3)
        .Button(IDC_BTN_SINGLE_ADD, "单条新增[&I]...", 2, 4)
        .Button(IDCANCEL, "返回[&R]", 2, 5)
        .Register();
}

CS0000S6::CS0000S6(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S6::RegisterTemplate>();
}

BOOL CS0000S6::OnInitDialog() {
    m_ctlGrid.SubclassDlgItem(IDC_GRID, this);
    m_ctlYearMonth.SubclassDlgItem(IDC_DATE_MONTH, this);
    CBASEBASE::OnInitDialog();
    m_ctlYearMonth.Format(CQXDateTime::kYearMonthMask);
    SetUpGrid();  // nothing is read before the user searches
    return TRUE;
}

void CS0000S6::SetUpGrid() {
    using kel::screens::GridColumn;
    kel::screens::SetUpListGrid(m_ctlGrid,
                                {GridColumn{"优先级", 110}, GridColumn{"合约代码", 116}, GridColumn{"合约名称", 300},
                                 GridColumn{"合约类型", 400}, GridColumn{"", 0}});
    // A move swaps two neighbours on screen as the server swaps two priorities:
    // a list sorted by a header click would no longer show the server's order.
    m_ctlGrid.SetHeaderSort(FALSE);
    m_ctlGrid.SetRowResize(FALSE);
    m_ctlGrid.EnableSelection(TRUE);
    m_ctlGrid.SetColumnSortType(COL_PRIORITY, CQXGrid::kSortNumeric);
    for (int col = 0; col < COL_COUNT; ++col) m_ctlGrid.SetColumnType(col, CQXGrid::kColumnText);
}

bool CS0000S6::ReadMonth(CString& month) {
    switch (kel::screens::ReadOrderMonth(*this, IDC_DATE_MONTH, month)) {
        case MonthRead::Ok: return true;
        case MonthRead::Empty: kel::screens::OrderNotice(*this, "请先输入合约年月,而后检索!"); return false;
        case MonthRead::Invalid: return false;  // told already
    }
    return false;
}

void CS0000S6::OnBtnSearch() {
    CWaitCursor wait;
    Search();
}

void CS0000S6::Search() {
    CString month;
    if (!ReadMonth(month)) return;
    SetUpGrid();

    _OrderMonthBody body{};
    kel::text::PutRawField(body.szYearMonth, sizeof body.szYearMonth, month.str());
    kel::screens::ScreenAnswer answer = kel::screens::Transact<134>(*this, body);
    m_bSearchFailed = !answer.Ok();
    if (m_bSearchFailed) {
        // A failed search is not an empty month: say so.
        kel::screens::ShowFailure(*this, 134, answer);
        return;
    }
    using kel::text::GetField;
    for (int i = 0; i < answer.count; ++i) {
        const auto record = answer.Record<_ContOrderStruct>(i);
        int row = kel::screens::AppendGridRow(m_ctlGrid);
        CString priority;
        priority.Format("%d", record.nPriority);
        m_ctlGrid.SetItemText(row, COL_PRIORITY, priority, 1);
        m_ctlGrid.SetItemText(row, COL_CODE, CString(GetField(record.szContCode)), 1);
        m_ctlGrid.SetItemText(row, COL_NAME, CString(GetField(record.szContName)), 1);
        m_ctlGrid.SetItemText(row, COL_TYPE, CString(GetField(record.szContTypeName)), 1);
        m_ctlGrid.SetItemText(row, COL_MONTH, month, 1);
    }
    m_ctlGrid.Refresh();
    if (answer.count > 0) m_ctlGrid.SelectRow(1, TRUE);
}

bool CS0000S6::CheckListMonth(CString& month) {
    if (m_ctlGrid.GetRowCount() <= 1) {
        // An empty list after a failed search is no month without treaties.
        MessageBox(m_bSearchFailed ? "合约次序未能读取，请重新检索！" : "检索无记录，不能进行该操作！", nullptr, MB_OK);
        return false;
    }
    if (!ReadMonth(month)) return false;
    CString listed = m_ctlGrid.GetItemText(1, COL_MONTH);
    listed.Trim();
    if (listed != month) {
        MessageBox("输入框中年月与检索结果不相符，请查证！", nullptr, MB_OK);
        return false;
    }
    return true;
}

bool CS0000S6::RowCode(int row, char (&field)[3]) {
    CString code = m_ctlGrid.GetItemText(row, COL_CODE);
    code.Trim();
    if (kel::text::PutField(field, code.str()) == kel::text::PutResult::Ok) return true;
    // Never written past the field; and a code cut short would name another treaty.
    CString message;
    message.Format("合约代码“%s”超出代码长度,不能处理!", code.GetString());
    MessageBox(message, nullptr, MB_OK);
    return false;
}

void CS0000S6::OnBtnDelete() {
    CWaitCursor wait;
    CString month;
    if (!CheckListMonth(month)) return;
    int row = m_ctlGrid.GetRow();
    if (row <= 0) {
        MessageBox("请选择一条记录！", nullptr, MB_OK);
        return;
    }
    if (MessageBox("是否删除选择的记录?", "合约次序设置", MB_YESNO | MB_ICONQUESTION) != IDYES) return;

    _OrderDeleteBody body{};
    if (!RowCode(row, body.szContCode)) return;
    kel::text::PutRawField(body.szYearMonth, sizeof body.szYearMonth, month.str());
    kel::screens::ScreenAnswer answer = kel::screens::Transact<135>(*this, body);
    if (!answer.Ok()) {
        kel::screens::ShowFailure(*this, 135, answer);
        return;
    }
    Search();  // the priorities as the server renumbered them
    kel::screens::SelectNeighbourOf(m_ctlGrid, row);
}

void CS0000S6::OnBtnUp() {
    CString month;
    if (!CheckListMonth(month)) return;
    if (m_ctlGrid.GetRow() == 1) {
        MessageBox("已经是第一条记录，不能上移！", nullptr, MB_OK);
        return;
    }
    Move(kMoveUp, month);
}

void CS0000S6::OnBtnDown() {
    CString month;
    if (!CheckListMonth(month)) return;
    if (m_ctlGrid.GetRow() + 1 == m_ctlGrid.GetRowCount()) {
        MessageBox("已经是最后一条记录，不能下移！", nullptr, MB_OK);
        return;
    }
    Move(kMoveDown, month);
}

void CS0000S6::Move(char direction, const CString& month) {
    const int row = m_ctlGrid.GetRow();
    if (row <= 0) {
        MessageBox("请选择一条记录！", nullptr, MB_OK);
        return;
    }
    _OrderMoveBody body{};
    if (!RowCode(row, body.szContCode)) return;
    kel::text::PutRawField(body.szYearMonth, sizeof body.szYearMonth, month.str());
    body.cDirection = direction;
    kel::screens::ScreenAnswer answer = kel::screens::Transact<136>(*this, body);
    if (!answer.Ok()) kel::screens::ShowFailure(*this, 136, answer);
    // No server reached: the list stays as it was, without a second message.
    if (kel::screens::ServerUnreached(answer)) return;
    // Another session may have changed the month meanwhile: show the order the
    // server holds now, with the moved treaty still selected.
    const CString moved = m_ctlGrid.GetItemText(row, COL_CODE);
    Search();
    for (int r = 1; r < m_ctlGrid.GetRowCount(); ++r) {
        if (m_ctlGrid.GetItemText(r, COL_CODE) != moved) continue;
        m_ctlGrid.SelectRow(1, FALSE);
        m_ctlGrid.SetFocusCell(r, COL_CODE);
        m_ctlGrid.SelectRow(r, TRUE);
        m_ctlGrid.Refresh();
        break;
    }
}

void CS0000S6::OnBtnBatchAdd() {
    CWaitCursor wait;  // held while the batch-add screen is open, too
    CString month;
    if (!CheckListMonth(month)) return;
    CS0000S60 batch(this);
    batch.m_strSrcMonth = month;
    if (batch.DoModal() == IDOK) Search();  // the source month, still in the field
}

void CS0000S6::OnBtnSingleAdd() {
    CWaitCursor wait;  // held while the single-add screen is open, too
    CString month;
    // Without a month there is nothing to add to: stop after the message.
    if (!ReadMonth(month)) return;
    CS0000S61 single(this);
    single.m_strYearMonth = month;
    if (single.DoModal() == IDOK) Search();
}

void CS0000S6::OnCancel() {
    CWaitCursor wait;
    CBASEBASE::OnCancel();
}
