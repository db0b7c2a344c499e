#include "screens/S0000SE.h"

#include "common/records/Records.h"
#include "common/text/GbkText.h"
#include "host/fac/FacBooking.h"
#include "host/win/DialogTemplate.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"
#include "screens/ScreenTransaction.h"

using kel::screens::Outcome;

BEGIN_MESSAGE_MAP(CS0000SE, CBASEBASE)
ON_NOTIFY(NM_CLICK, IDC_LIST, OnClickList)
END_MESSAGE_MAP()

void CS0000SE::RegisterTemplate() {
    win::TemplateBuilder(IDD, "详细信息")
        .ReportList(IDC_LIST, 0, 0, 1, 3)
        .Size(520, 300)
        .Button(IDOK, "转处理画面", 1, 1, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "退出", 1, 2)
        .Register();
}

CS0000SE::CS0000SE(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000SE::RegisterTemplate>();
}

int CS0000SE::GetUserInfoCount() {
    _UserCodeBody body{};
    kel::screens::PutUserCode(body.szUserCode);
    kel::screens::ScreenAnswer answer = kel::screens::Transact<165>(*this, body);
    switch (answer.outcome) {
        case Outcome::Ok: return answer.count;  // the head's count; the body is not read
        case Outcome::SendFailed:
        case Outcome::ReceiveFailed: kel::screens::ShowTransportFailure(*this, answer); return 0;
        case Outcome::Refused: MessageBox("检索用户信息数目失败!", nullptr, MB_OK); return 0;
    }
    return 0;
}

BOOL CS0000SE::OnInitDialog() {
    m_ctlList.SubclassDlgItem(IDC_LIST, this);
    CBASEBASE::OnInitDialog();
    m_ctlList.DeleteAllItems();
    m_ctlList.SetExtendedStyle(m_ctlList.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES |
                               LVS_EX_FULLROWSELECT);
    for (int col = 5; col >= 0; --col) m_ctlList.DeleteColumn(col);
    m_ctlList.InsertColumn(COL_DOC_NO, "单据号", LVCFMT_LEFT, 200);
    m_ctlList.InsertColumn(COL_DOC_TYPE, "单据类型", LVCFMT_LEFT, 100);
    m_ctlList.InsertColumn(COL_PROMPT_TYPE, "提示类型", LVCFMT_LEFT, 90);
    m_ctlList.InsertColumn(COL_DESCRIPTION, "说明", LVCFMT_LEFT, 100);
    m_ctlList.InsertColumn(COL_ITEM_KEY, "", LVCFMT_LEFT, 0);
    LoadItems();  // after a failure the list opens empty
    return TRUE;
}

bool CS0000SE::LoadItems() {
    _UserCodeBody body{};
    kel::screens::PutUserCode(body.szUserCode);
    kel::screens::ScreenAnswer answer;
    {
        CWaitCursor wait;
        answer = kel::screens::Transact<166>(*this, body);
    }
    switch (answer.outcome) {
        case Outcome::Ok: break;
        case Outcome::SendFailed:
        case Outcome::ReceiveFailed: kel::screens::ShowTransportFailure(*this, answer); return false;
        case Outcome::Refused: MessageBox("检索用户信息失败!", nullptr, MB_OK); return false;
    }
    using kel::screens::LetterText;
    using kel::text::GetField;
    for (int i = 0; i < answer.count; ++i) {
        const auto item = answer.Record<_DetailInfoStruct>(i);
        int row = m_ctlList.InsertItem(i, CString(GetField(item.szDocNo)));
        m_ctlList.SetItemText(row, COL_DOC_TYPE, LetterText(item.cDocType));
        m_ctlList.SetItemText(row, COL_PROMPT_TYPE, LetterText(item.cPromptType));
        m_ctlList.SetItemText(row, COL_DESCRIPTION, CString(GetField(item.szDescription)));
        m_ctlList.SetItemText(row, COL_ITEM_KEY, CString(GetField(item.szItemKey)));
    }
    return true;
}

// A click selects the row and leaves the ticks alone: the check box the click
// toggled has already changed when the click arrives, so clearing ticks here would
// leave the mouse no way to tick a row.
void CS0000SE::OnClickList(NMHDR*, LRESULT* pResult) { *pResult = 0; }

CS0000SE::ItemResult CS0000SE::ProcessItem(int row, CString& reason) {
    _DetailActBody body{};
    kel::text::PutField(body.szItemKey, m_ctlList.GetItemText(row, COL_ITEM_KEY).str());
    kel::screens::PutUserCode(body.szUserCode);
    kel::screens::ScreenAnswer answer;
    {
        CWaitCursor wait;
        answer = kel::screens::Transact<167>(*this, body);
    }
    switch (answer.outcome) {
        case Outcome::Ok: return ItemResult::Done;
        case Outcome::SendFailed:
        case Outcome::ReceiveFailed: kel::screens::ShowTransportFailure(*this, answer); return ItemResult::Broken;
        case Outcome::Refused: reason = RefusalReason(); return ItemResult::Refused;
    }
    return ItemResult::Broken;
}

void CS0000SE::OnOK() {
    // A refused item (another session handled it, say) is unticked and named with
    // the server's reason; the rest are processed in the same press. A failed
    // channel stops the walk: the list stays open with what is left.
    CString refused;
    for (int row = 0; row < m_ctlList.GetItemCount();) {
        if (!m_ctlList.GetCheck(row)) {
            ++row;
            continue;
        }
        const CString docNo = m_ctlList.GetItemText(row, COL_DOC_NO);
        const CString docType = m_ctlList.GetItemText(row, COL_DOC_TYPE);
        const CString promptType = m_ctlList.GetItemText(row, COL_PROMPT_TYPE);
        CString reason;
        const ItemResult result = ProcessItem(row, reason);
        if (result == ItemResult::Broken) break;
        if (result == ItemResult::Refused) {
            m_ctlList.SetCheck(row, FALSE);
            refused += "\n单证" + docNo + (reason.IsEmpty() ? CString() : "：" + reason);
            ++row;
            continue;
        }
        // A processed item leaves the list, so that pressing again goes on with the
        // rest instead of sending it a second time.
        m_ctlList.DeleteItem(row);
        if (promptType.GetAt(0) == kFacultative) Call_Fac_Booking(docNo.GetString(), docType.GetAt(0));
    }
    if (!refused.IsEmpty()) MessageBox("检索用户信息失败!" + refused, nullptr, MB_OK);
    for (int row = 0; row < m_ctlList.GetItemCount(); ++row)
        if (m_ctlList.GetCheck(row)) return;  // a failed channel left work undone
    if (refused.IsEmpty()) CBASEBASE::OnOK();
}
