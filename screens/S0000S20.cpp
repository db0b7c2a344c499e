#include "screens/S0000S20.h"

#include <cstring>

#include "data/ContInfoMgr.h"
#include "host/win/DialogTemplate.h"
#include "screens/ContCodeFields.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"

namespace {

// The treaty types; the type stored is the item's first character. The blanks are
// as the users know them: one after D and G, two after the others.
constexpr const char* kTypeItems[] = {
    "", "A  成数合约", "C  临分合约", "D 自留合约", "E  第一溢额合约", "F  第二溢额合约", "G 剩余合约", "H  非比例合约",
};

constexpr int kCodeChars = sizeof(_ContCodeStruct::szContCode) - 1;  // 2
constexpr int kNameBytes = sizeof(_ContCodeStruct::szChnName) - 1;   // 60

}  // namespace

BEGIN_MESSAGE_MAP(CS0000S20, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S20::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约代码设置[编辑]")
        .Label(-1, "代    码:", 0, 0)
        .Edit(IDC_EDT_CODE, 0, 1, 1, ES_UPPERCASE, kCodeChars)
        .Label(-1, "中文名称:", 1, 0)
        .Edit(IDC_EDT_CHN_NAME, 1, 1, 2, 0, kNameBytes)
        .Size(360, 0)
        .Label(-1, "英文名称:", 2, 0)
        .Edit(IDC_EDT_ENG_NAME, 2, 1, 2, 0, kNameBytes)
        .Size(360, 0)
        .Label(-1, "类    型:", 3, 0)
        .Combo(IDC_CBX_TYPE, 3, 1)
        .Button(IDOK, "确定[&O]", 4, 1, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "返回", 4, 2)
        .Register();
}

CS0000S20::CS0000S20(CWnd* pParent) : CBASEBASE(IDD, pParent), m_stContCode{} {
    kel::screens::RegisterOnce<&CS0000S20::RegisterTemplate>();
}

BOOL CS0000S20::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    kel::screens::ContCodeFields().RegisterRequired(*this);
    SetWindowText(m_bAdd ? "合约代码-新增" : "合约代码-修改");

    auto* type = static_cast<CComboBox*>(GetDlgItem(IDC_CBX_TYPE));
    type->ResetContent();
    for (const char* item : kTypeItems) type->AddString(item);
    if (m_bAdd) return TRUE;

    kel::screens::ContCodeFields().LoadForm(*this, m_stContCode);
    GetDlgItem(IDC_EDT_CODE)->EnableWindow(FALSE);
    type->EnableWindow(FALSE);
    // A type this list does not know is shown as it is: the names stay changeable
    // and the type goes back unchanged.
    CString letter = kel::screens::LetterText(m_stContCode.cContType);
    if (type->GetCurSel() == CB_ERR && !letter.IsEmpty()) type->SetCurSel(type->AddString(letter));
    return TRUE;
}

void CS0000S20::OnOK() {
    if (IsNeededEmpty()) return;

    // The code's rule (two upper-case letters or digits) is checked where it is typed.
    _ContCodeStruct record{};
    if (!kel::screens::ContCodeFields().SaveForm(*this, record)) return;

    CContCodeMgr mgr(this);
    mgr.SetContCode(record);
    bool sent;
    {
        CWaitCursor wait;
        sent = m_bAdd ? mgr.Insert() : mgr.Update();
    }
    if (!sent) return;  // the form stays open with what the user typed
    m_stContCode = record;
    EndDialog(IDOK);
}
