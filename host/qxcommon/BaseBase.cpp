#include "host/qxcommon/BaseBase.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "common/net/Channel.h"
#include "common/records/TransactionCodes.h"
#include "common/text/GbkText.h"
#include "host/qxcommon/DateFormat.h"
#include "host/qxcommon/NumericField.h"
#include "host/qxcommon/RefusalText.h"

_LoginUserInfo CBASEBASE::m_stLoginUserInfo = {};

BEGIN_MESSAGE_MAP(CBASEBASE, CDialog)
END_MESSAGE_MAP()

CBASEBASE::CBASEBASE(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}

CBASEBASE::~CBASEBASE() = default;

void CBASEBASE::SetLoginUser(const char* userCode, const char* userName) {
    std::memset(&m_stLoginUserInfo, 0, sizeof m_stLoginUserInfo);
    kel::text::PutRawField(m_stLoginUserInfo.szUserCode, sizeof m_stLoginUserInfo.szUserCode, userCode ? userCode : "");
    kel::text::PutRawField(m_stLoginUserInfo.szUserName, sizeof m_stLoginUserInfo.szUserName, userName ? userName : "");
}

BOOL CBASEBASE::OnInitDialog() {
    CDialog::OnInitDialog();
    for (CWnd* c : Controls())
        if (auto* combo = dynamic_cast<CComboBox*>(c); combo && IsCodeListCombo(combo->GetDlgCtrlID()))
            LoadCodeListCombo(*combo, WM_CODELIST_CONDITION);
    ApplyFieldRules();
    return TRUE;
}

void CBASEBASE::OnShowing() { ApplyFieldRules(); }

void CBASEBASE::OnOK() { CDialog::OnOK(); }

void CBASEBASE::OnCancel() { CDialog::OnCancel(); }

BOOL CBASEBASE::OnCommand(WPARAM wParam, LPARAM lParam) { return CDialog::OnCommand(wParam, lParam); }

// Length limits and number shapes, read from the lists as the screen left them.
void CBASEBASE::ApplyFieldRules() {
    for (int i = 0; i < m_nLimitCount && i < kMaxLimit; ++i)
        if (auto* edit = dynamic_cast<CEdit*>(GetDlgItem(m_nLimitID[i]))) edit->LimitText(m_nLimitLen[i]);
    for (int i = 0; i < m_cNumFlag && i < kMaxNum; ++i) {
        auto* edit = dynamic_cast<CEdit*>(GetDlgItem(m_nNumID[i]));
        if (!edit) continue;
        int width = m_cNumLen[i];
        int decimals = m_cNumDec[i];
        edit->SetInputFilter(
            [width, decimals](const CString& text) { return CString(kel::FitNumber(text.str(), width, decimals)); });
    }
}

// ---- required fields

CString CBASEBASE::FieldName(int nID) const {
    // The label in front of the field names it: the nearest label before it in the
    // template, preferring one on the same row.
    const auto& all = Controls();
    CWnd* field = GetDlgItem(nID);
    CString name;
    for (CWnd* c : all) {
        if (c == field) break;
        if (c->GetKind() == win::ControlKind::Label) {
            if (!field || c->GetLayout().row == field->GetLayout().row || name.IsEmpty()) name = c->GetText();
        }
    }
    if (field && (field->GetKind() == win::ControlKind::CheckBox || name.IsEmpty())) name = field->GetText();
    name.Remove(' ');
    name.TrimRight(":：");
    name.Replace("&", "");
    return name;
}

int CBASEBASE::IsNeededEmpty() {
    for (int i = 0; i < m_nNeedCount && i < kMaxNeed; ++i) {
        CWnd* field = GetDlgItem(m_nNeedID[i]);
        if (!field) continue;  // an ID that names no control is skipped
        CString value;
        GetItemValue(m_nNeedID[i], value);
        value.Trim();
        if (!value.IsEmpty()) continue;
        CString text = FieldName(m_nNeedID[i]);
        text += "不能为空，请输入！";
        MessageBox(text, "提示", MB_OK | MB_ICONEXCLAMATION);
        field->SetFocus();
        return 1;
    }
    return 0;
}

// ---- field values

void CBASEBASE::GetItemValue(int nID, CString& value) {
    CWnd* item = GetDlgItem(nID);
    value.Empty();
    if (!item) return;
    switch (item->GetKind()) {
        case win::ControlKind::CheckBox:
        case win::ControlKind::Radio: value = static_cast<CButton*>(item)->GetCheck() == BST_CHECKED ? "1" : "0"; break;
        default: item->GetWindowText(value); break;
    }
}

void CBASEBASE::GetItemValue(int nID, char* value, int size) {
    if (!value || size <= 0) return;
    CString text;
    GetItemValue(nID, text);
    // Cut to the buffer at a character boundary (UTF-8 continuation bytes are 10xxxxxx).
    size_t n = std::min(static_cast<size_t>(size - 1), text.str().size());
    while (n > 0 && n < text.str().size() && (static_cast<unsigned char>(text.str()[n]) & 0xC0) == 0x80) --n;
    std::memcpy(value, text.GetString(), n);
    value[n] = '\0';
}

void CBASEBASE::SetItemValue(int nID, const CString& value) {
    CWnd* item = GetDlgItem(nID);
    if (!item) return;
    switch (item->GetKind()) {
        case win::ControlKind::Combo: SetComboContent(nID, value, 0); break;
        case win::ControlKind::CheckBox:
        case win::ControlKind::Radio: {
            CString v = value;
            v.Trim();
            bool on = v == "1" || v == "Y" || v == "y";
            static_cast<CButton*>(item)->SetCheck(on ? BST_CHECKED : BST_UNCHECKED);
            break;
        }
        default: item->SetWindowText(value); break;
    }
}

// ---- combos

CString MakeCodeItemText(const CString& code, const CString& name) { return code + "  " + name; }

CString CodeOfItem(const CString& itemText) {
    int blank = itemText.Find(' ');
    return blank < 0 ? itemText : itemText.Left(blank);
}

CString NameOfItem(const CString& itemText) {
    int blank = itemText.Find(' ');
    if (blank < 0) return CString();
    CString rest = itemText.Mid(blank);
    rest.TrimLeft(" ");
    return rest;
}

CString CBASEBASE::GetCbxCode(int nID) {
    auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(nID));
    if (!combo) return CString();
    CString text;
    combo->GetLBText(combo->GetCurSel(), text);
    return CodeOfItem(text);
}

CString CBASEBASE::GetCurrCode(int nID) {
    CWnd* item = GetDlgItem(nID);
    if (!item) return CString();
    CString text = item->GetText();  // the current item, or what was typed into an editable combo
    text.TrimLeft(" ");
    return CodeOfItem(text);
}

CString CBASEBASE::GetCbxValue(int nID) {
    auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(nID));
    if (!combo) return CString();
    CString text;
    combo->GetLBText(combo->GetCurSel(), text);
    return NameOfItem(text);
}

void CBASEBASE::SetComboContent(int nID, const CString& code, int) {
    auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(nID));
    if (!combo) return;
    CString wanted = code;
    wanted.Trim();
    for (int i = 0; i < combo->GetCount(); ++i) {
        CString text;
        combo->GetLBText(i, text);
        if (CodeOfItem(text) == wanted) {
            combo->SetCurSel(i);
            return;
        }
    }
    combo->SetCurSel(CB_ERR);
}

void CBASEBASE::SetCbxCtrl(int nID, int) {
    // Every code-list combo reads "code  name", whatever the mode.
    auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(nID));
    if (combo && combo->GetCount() == 0 && IsCodeListCombo(nID)) LoadCodeListCombo(*combo, WM_CODELIST_CONDITION);
}

void CBASEBASE::DropdownCombo(int nID) {
    if (auto* combo = dynamic_cast<CComboBox*>(GetDlgItem(nID))) LoadCodeListCombo(*combo, WM_CODELIST_CONDITION2);
}

void CBASEBASE::SetGridCbx(CQXGrid* grid, int col, int codeListID, int mode) {
    if (!grid || m_nGridCbxCount >= kMaxGridCbx) return;
    m_stGridCbx[m_nGridCbxCount++] = _GridCbxInfo{grid, col, codeListID, mode};
}

// ---- dates

CString CBASEBASE::FormatDate(const CString& date, int mode) { return CString(kel::FormatDate(date.str(), mode)); }

// ---- packets

int CBASEBASE::SendPacket(_PacketHead* head, const char* body, int length) {
    auto channel = kel::InstalledChannel();
    if (!channel) return kel::kChannelNotConnected;
    if (!head || length < 0 || (length > 0 && !body)) return kel::kChannelSendFailed;
    return channel->Send(*head, body, static_cast<size_t>(length));
}

bool CBASEBASE::ServerAway() const {
    auto channel = kel::InstalledChannel();
    return channel && channel->Away();
}

int CBASEBASE::RecvPacket(_PacketHead* head) {
    auto channel = kel::InstalledChannel();
    if (!channel) return kel::kChannelNotConnected;
    if (!head) return kel::kChannelReceiveFailed;
    std::vector<char> body;
    return channel->Receive(*head, body);
}

int CBASEBASE::RecvPacket(_PacketHead* head, char** body) {
    if (body) *body = nullptr;
    auto channel = kel::InstalledChannel();
    if (!channel) return kel::kChannelNotConnected;
    if (!head || !body) return kel::kChannelReceiveFailed;
    std::vector<char> data;
    if (int r = channel->Receive(*head, data)) return r;
    char* copy = static_cast<char*>(std::malloc(data.empty() ? 1 : data.size()));
    if (!copy) return kel::kChannelNoMemory;
    if (!data.empty()) std::memcpy(copy, data.data(), data.size());
    *body = copy;
    return 0;
}

int CBASEBASE::RecvPacket(_PacketHead* head, char** body, int* length) {
    if (body) *body = nullptr;
    if (length) *length = 0;
    auto channel = kel::InstalledChannel();
    if (!channel) return kel::kChannelNotConnected;
    if (!head || !body || !length) return kel::kChannelReceiveFailed;
    std::vector<char> data;
    if (int r = channel->Receive(*head, data)) return r;
    if (data.size() > static_cast<size_t>(INT_MAX)) return kel::kChannelFrameTooLarge;
    char* copy = static_cast<char*>(std::malloc(data.empty() ? 1 : data.size()));
    if (!copy) return kel::kChannelNoMemory;
    if (!data.empty()) std::memcpy(copy, data.data(), data.size());
    *body = copy;
    *length = static_cast<int>(data.size());
    return 0;
}

void CBASEBASE::DispErrBox(int errorCode) {
    CString message;
    if (errorCode == 0)  // the channel worked; the server refused
        message = WithReason("服务器处理失败!", RefusalReason());
    else if (errorCode == kel::kChannelReceiveFailed)  // the screens' own wording for it
        message = kel::ChannelErrorText(errorCode);
    else if (errorCode == kel::kChannelNoMemory)
        message = "分配内存失败！";
    else if (const char* text = kel::ChannelErrorText(errorCode))
        message = CString(text) + "!";
    else
        message.Format("通讯错误(错误代码 %d)!", errorCode);
    MessageBox(message, "错误", MB_OK | MB_ICONERROR);
}

void CBASEBASE::DispRefusal(int code, int operation, int status) {
    MessageBox(WithReason(kel::RefusalText(code, operation, status), RefusalReason()), nullptr, MB_OK);
}

CString CBASEBASE::RefusalReason() {
    auto channel = kel::InstalledChannel();
    if (!channel) return {};
    _PacketHead head;
    std::memset(&head, 0, sizeof head);
    head.nTransCode = kel::records::kRefusalReasonCode;
    head.nSubSystem = kSubSystemDefault;
    if (channel->Send(head, nullptr, 0) != 0) return {};
    std::vector<char> body;
    if (channel->Receive(head, body) != 0) return {};
    // An old server answers status 4; a stray answer or a short body says nothing.
    if (head.nTransCode != kel::records::kRefusalReasonCode || head.cStatus != 0 || head.nCount != 1 ||
        body.size() < kel::records::kRefusalReasonBytes)
        return {};
    return CString(kel::text::GetField(body.data(), kel::records::kRefusalReasonBytes).c_str());
}

CString CBASEBASE::WithReason(const CString& message, const CString& reason) {
    if (reason.IsEmpty()) return message;
    return message + "\n" + reason;
}
