#include "screens/S0000SV0.h"

#include "common/text/GbkText.h"
#include "data/RIAgentCom.h"
#include "host/win/DialogTemplate.h"
#include "screens/BrokerFields.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"
#include "screens/ScreenTransaction.h"

namespace {

// The entry's kinds; a looked-up company property counts only when it is one of them.
constexpr const char* kKindItems[] = {"", "A  境内", "B  境外"};

bool IsKind(char letter) { return letter == 'A' || letter == 'B'; }

// The longest text a field of the entry holds.
#define FIELD_CHARS(member) static_cast<int>(sizeof(_RIAgentStruct::member) - 1)

}  // namespace

BEGIN_MESSAGE_MAP(CS0000SV0, CBASEBASE)
ON_EN_KILLFOCUS(IDC_EDT_RI_CODE, OnKillFocusRICode)
END_MESSAGE_MAP()

void CS0000SV0::RegisterTemplate() {
    // Every edit takes at most what its field of the entry holds.
    win::TemplateBuilder(IDD, "经纪公司设置---编辑")
        .Label(-1, "经纪公司代码:", 0, 0)
        .Edit(IDC_EDT_BROKER_CODE, 0, 1, 1, WS_DISABLED)
        .Size(180, 0)
        .Label(-1, "经纪公司中文名称:", 0, 2)
        .Edit(IDC_EDT_BROKER_NAME, 0, 3, 1, WS_DISABLED)
        .Size(260, 0)
        .Label(-1, "再保公司代码:", 1, 0)
        .Edit(IDC_EDT_RI_CODE, 1, 1, 1, 0, FIELD_CHARS(szRICode))
        .Label(-1, "再保公司中文名称:", 1, 2)
        .Edit(IDC_EDT_CHN_NAME, 1, 3, 1, 0, FIELD_CHARS(szChnName))
        .Label(-1, "再保公司英文名称:", 2, 0)
        .Edit(IDC_EDT_ENG_NAME, 2, 1, 3, 0, FIELD_CHARS(szEngName))
        .Label(-1, "再保公司缩写:", 3, 0)
        .Edit(IDC_EDT_SHORT_NAME, 3, 1, 1, 0, FIELD_CHARS(szShortName))
        .Label(-1, "再保公司信用等级:", 3, 2)
        .Edit(IDC_EDT_CREDIT, 3, 3, 1, 0, FIELD_CHARS(szCredit))
        .Label(-1, "国家或地区:", 4, 0)
        .Edit(IDC_EDT_COUNTRY, 4, 1, 1, 0, FIELD_CHARS(szCountry))
        .Label(-1, "性质:", 4, 2)
        .Combo(IDC_CBX_KIND, 4, 3)
        .Label(-1, "地址:", 5, 0)
        .Edit(IDC_EDT_ADDRESS, 5, 1, 3, 0, FIELD_CHARS(szAddress))
        .Label(-1, "电话号码:", 6, 0)
        .Edit(IDC_EDT_PHONE, 6, 1, 1, 0, FIELD_CHARS(szPhone))
        .Label(-1, "传真号码:", 6, 2)
        .Edit(IDC_EDT_FAX, 6, 3, 1, 0, FIELD_CHARS(szFax))
        .Label(-1, "联系人:", 7, 0)
        .Edit(IDC_EDT_CONTACT, 7, 1, 1, 0, FIELD_CHARS(szContact))
        .Button(IDOK, "确 认", 8, 2, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "返回", 8, 3)
        .Register();
}

CS0000SV0::CS0000SV0(CWnd* pParent) : CBASEBASE(IDD, pParent), m_stRIAgent{} {
    kel::screens::RegisterOnce<&CS0000SV0::RegisterTemplate>();
}

BOOL CS0000SV0::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    m_nNeedCount = 4;
    m_nNeedID[0] = IDC_EDT_RI_CODE;
    m_nNeedID[1] = IDC_EDT_SHORT_NAME;
    m_nNeedID[2] = IDC_EDT_ENG_NAME;
    m_nNeedID[3] = IDC_CBX_KIND;

    auto* kind = static_cast<CComboBox*>(GetDlgItem(IDC_CBX_KIND));
    kind->ResetContent();
    for (const char* item : kKindItems) kind->AddString(item);
    kel::screens::RIAgentFields().LoadForm(*this, m_stRIAgent);
    SetItemValue(IDC_EDT_BROKER_NAME, m_strBrokerName);
    // The reinsurer code is the entry's key: changing it would store over another entry.
    if (!m_bAdd) GetDlgItem(IDC_EDT_RI_CODE)->EnableWindow(FALSE);
    return TRUE;
}

void CS0000SV0::OnKillFocusRICode() {
    CString typed;
    GetItemValue(IDC_EDT_RI_CODE, typed);
    if (kel::text::GbkByteLength(typed.str()) != static_cast<std::size_t>(kLookupCodeChars)) return;

    _RILookupStruct request{};  // a reinsurer record that carries only its code
    kel::text::PutField(request.szRICode, typed.str());
    kel::screens::ScreenAnswer answer;
    {
        CWaitCursor wait;
        answer = kel::screens::Transact(*this, 3019, &request, sizeof request);
    }
    switch (answer.outcome) {
        case kel::screens::Outcome::SendFailed:
        case kel::screens::Outcome::ReceiveFailed: kel::screens::ShowTransportFailure(*this, answer); return;
        case kel::screens::Outcome::Refused: MessageBox("检索再保人信息失败!", nullptr, MB_OK); return;
        case kel::screens::Outcome::Ok: break;
    }
    if (answer.count < 1) {
        MessageBox("检索再保人信息失败!", nullptr, MB_OK);
        return;
    }
    ShowLookedUp(answer.Record<_RICompanyStruct>(0));
}

void CS0000SV0::ShowLookedUp(const _RICompanyStruct& found) {
    auto raw = [](const auto& field) { return kel::text::GetRawField(field, sizeof field); };
    auto put = [](auto& field, const std::string& bytes) { kel::text::PutRawField(field, sizeof field, bytes); };
    _RIAgentStruct entry{};
    put(entry.szBrokerCode, raw(m_stRIAgent.szBrokerCode));
    // The entry's code is the broker's code followed by the reinsurer's; it must
    // fit the field whole, a cut code would name another entry.
    const std::string code = raw(m_stRIAgent.szBrokerCode) + raw(found.szRICode);
    if (code.size() >= sizeof entry.szRICode) {
        MessageBox("经纪公司代码与再保公司代码合起来超过4位，请直接输入再保公司代码!", nullptr, MB_OK);
        return;
    }
    put(entry.szRICode, code);
    m_strLookedUpCode = code;
    // Texts go over as they are; the credit rating is wider in the reinsurer record
    // and is cut at a character boundary.
    put(entry.szChnName, raw(found.szChnName));
    put(entry.szEngName, raw(found.szEngName));
    put(entry.szShortName, raw(found.szShortName));
    put(entry.szAddress, raw(found.szAddress));
    put(entry.szPhone, raw(found.szPhone));
    put(entry.szFax, raw(found.szFax));
    put(entry.szContact, raw(found.szContact));
    put(entry.szCountry, raw(found.szCountry));
    put(entry.szCredit, raw(found.szCredit));
    // The company property is the kind only when it is one of the kind's letters.
    CString kind = GetCurrCode(IDC_CBX_KIND);
    entry.cKind = IsKind(found.cCompProp) ? found.cCompProp : (kind.IsEmpty() ? '\0' : kind.GetString()[0]);
    kel::screens::RIAgentFields().LoadForm(*this, entry);
}

void CS0000SV0::OnOK() {
    if (IsNeededEmpty()) return;
    _RIAgentStruct record{};
    if (!kel::screens::RIAgentFields().SaveForm(*this, record)) return;
    // A new entry names a reinsurer the server knows: its code is the one a look-up
    // made, not one typed past it.
    if (m_bAdd && (m_strLookedUpCode.empty() ||
                   kel::text::GetRawField(record.szRICode, sizeof record.szRICode) != m_strLookedUpCode)) {
        kel::screens::RefuseInput(*this, IDC_EDT_RI_CODE, "请输入两位再保公司代码，检索到再保公司后再保存!");
        return;
    }

    CRIAgentCom mgr(this);
    mgr.SetRIAgent(record);
    bool sent;
    {
        CWaitCursor wait;
        sent = m_bAdd ? mgr.Insert() : mgr.Update();
    }
    if (!sent) return;  // the form stays open with what the user typed
    m_stRIAgent = record;
    EndDialog(IDOK);
}
