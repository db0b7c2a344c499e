#include "screens/S0000SD.h"

#include "common/records/Records.h"
#include "host/win/DialogTemplate.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenTransaction.h"

namespace {

constexpr const char* kBoxTexts[CS0000SD::kPromptTypes] = {
    "超限额业务申报提示", "需要临分业务提示", "现金赔款业务提示", "拆分业务提示", "批改业务提示",
};

char LetterOf(int index) { return static_cast<char>('A' + index); }

}  // namespace

BEGIN_MESSAGE_MAP(CS0000SD, CBASEBASE)
ON_BN_CLICKED(IDC_CHK_A, OnChkA)
ON_BN_CLICKED(IDC_CHK_B, OnChkB)
ON_BN_CLICKED(IDC_CHK_C, OnChkC)
ON_BN_CLICKED(IDC_CHK_D, OnChkD)
ON_BN_CLICKED(IDC_CHK_E, OnChkE)
END_MESSAGE_MAP()

void CS0000SD::RegisterTemplate() {
    win::TemplateBuilder builder(IDD, "提示信息定制");
    for (int i = 0; i < kPromptTypes; ++i) builder.Check(IDC_CHK_A + i, kBoxTexts[i], i, 0, 2);
    builder.Button(IDCANCEL, "返回[&R]", kPromptTypes, 1).Register();
}

CS0000SD::CS0000SD(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000SD::RegisterTemplate>();
}

CButton* CS0000SD::Box(int index) const { return static_cast<CButton*>(GetDlgItem(IDC_CHK_A + index)); }

BOOL CS0000SD::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    // Boxes cleared after a failure would claim that no prompt is on: they are
    // greyed instead, the failure told; the screen opened again reads them again.
    if (!LoadSettings())
        for (int i = 0; i < kPromptTypes; ++i) Box(i)->EnableWindow(FALSE);
    return TRUE;
}

bool CS0000SD::LoadSettings() {
    _UserCodeBody body{};
    kel::screens::PutUserCode(body.szUserCode);
    kel::screens::ScreenAnswer answer;
    {
        CWaitCursor wait;
        answer = kel::screens::Transact<163>(*this, body);
    }
    switch (answer.outcome) {
        case kel::screens::Outcome::Ok: break;
        case kel::screens::Outcome::SendFailed:
        case kel::screens::Outcome::ReceiveFailed: kel::screens::ShowTransportFailure(*this, answer); return false;
        case kel::screens::Outcome::Refused: MessageBox("检索用户定义信息失败!", nullptr, MB_OK); return false;
    }
    // A record of a type means the type is on; letters outside A to E are not ours.
    bool on[kPromptTypes] = {};
    for (int i = 0; i < answer.count; ++i) {
        const char letter = answer.Record<_PromptSetStruct>(i).cPromptType;
        if (letter >= 'A' && letter < LetterOf(kPromptTypes)) on[letter - 'A'] = true;
    }
    for (int i = 0; i < kPromptTypes; ++i) Box(i)->SetCheck(on[i] ? BST_CHECKED : BST_UNCHECKED);
    return true;
}

void CS0000SD::OnSwitch(int index) {
    CButton* box = Box(index);
    const bool on = box->GetCheck() == BST_CHECKED;
    _PromptSetStruct body{};
    kel::screens::PutUserCode(body.szUserCode);
    body.cPromptType = LetterOf(index);
    body.cAction = on ? kPromptOn : kPromptOff;
    kel::screens::ScreenAnswer answer;
    {
        CWaitCursor wait;
        answer = kel::screens::Transact<164>(*this, body);
    }
    switch (answer.outcome) {
        case kel::screens::Outcome::Ok: return;
        case kel::screens::Outcome::SendFailed:
            kel::screens::ShowTransportFailure(*this, answer);
            break;  // nothing reached the server
        case kel::screens::Outcome::ReceiveFailed:
            kel::screens::ShowTransportFailure(*this, answer);
            // The line dropped with the answer: the boxes show what the server holds,
            // read again once it is back, else what it said last.
            if (kel::screens::AnswerLost(answer)) {
                if (answer.result == kel::kChannelAnswerLost && LoadSettings()) return;
                break;
            }
            return;  // whether the server stored it is unknown: the box keeps what was asked
        case kel::screens::Outcome::Refused:
            DispRefusal(164, kel::records::kOpInsert, answer.head.cStatus);
            break;  // the server holds the former state
    }
    box->SetCheck(on ? BST_UNCHECKED : BST_CHECKED);
}
