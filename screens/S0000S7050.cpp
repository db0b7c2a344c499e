#include "screens/S0000S7050.h"

#include "host/win/DialogTemplate.h"
#include "screens/ClassFields.h"
#include "screens/RegisterOnce.h"

namespace {

constexpr int kCodeChars = sizeof(_InsrncSectStruct::szClassCode) - 1;  // 2
constexpr int kNameBytes = sizeof(_InsrncSectStruct::szClassName) - 1;  // 112

}  // namespace

BEGIN_MESSAGE_MAP(CS0000S7050, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S7050::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约资料设置[险类设置]")
        .Label(-1, "险类代码:", 0, 0)
        .Edit(IDC_EDT_CLASS_CODE, 0, 1, 1, 0, kCodeChars)
        .Label(-1, "险类名称:", 1, 0)
        .Edit(IDC_EDT_CLASS_NAME, 1, 1, 3, 0, kNameBytes)
        .Size(300, 0)
        .Label(-1, "合约代码:", 2, 0)
        .Edit(IDC_EDT_CONT_CODE, 2, 1, 1, WS_DISABLED)
        .Label(-1, "合约名称:", 3, 0)
        .Edit(IDC_EDT_CONT_NAME, 3, 1, 3, WS_DISABLED)
        .Button(IDOK, "确定[&O]", 4, 2, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "取消[&C]", 4, 3)
        .Register();
}

CS0000S7050::CS0000S7050(CWnd* pParent) : CBASEBASE(IDD, pParent), m_stClass{} {
    kel::screens::RegisterOnce<&CS0000S7050::RegisterTemplate>();
}

BOOL CS0000S7050::OnInitDialog() {
    // An empty code would name every class of the treaty to the product query.
    m_nNeedCount = 2;
    m_nNeedID[0] = IDC_EDT_CLASS_CODE;
    m_nNeedID[1] = IDC_EDT_CLASS_NAME;
    m_nLimitCount = 1;
    m_nLimitID[0] = IDC_EDT_CLASS_CODE;
    m_nLimitLen[0] = kCodeChars;
    CBASEBASE::OnInitDialog();
    kel::screens::ClassFields().LoadForm(*this, m_stClass);
    SetItemValue(IDC_EDT_CONT_CODE, m_strContCode);
    SetItemValue(IDC_EDT_CONT_NAME, m_strContName);
    // The code is the class's key: a changed one would store over another class.
    if (!m_bAdd) GetDlgItem(IDC_EDT_CLASS_CODE)->EnableWindow(FALSE);
    return TRUE;
}

void CS0000S7050::OnOK() {
    if (IsNeededEmpty()) return;
    _InsrncSectStruct record = m_stClass;
    if (!kel::screens::ClassFields().SaveForm(*this, record)) return;
    if (m_fnSave && !m_fnSave(record)) return;  // told; the form keeps what was typed
    m_stClass = record;
    EndDialog(IDOK);
}
