#include "screens/S0000S402.h"

#include "host/win/DialogTemplate.h"
#include "screens/RegisterOnce.h"

BEGIN_MESSAGE_MAP(CS0000S402, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S402::RegisterTemplate() {
    win::TemplateBuilder(IDD, "通用编辑框")
        .Edit(IDC_EDT_TEXT, 0, 0, 2, ES_MULTILINE)
        .Size(360, 120)
        .Button(IDOK, "确定[&E]", 1, 0, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "取消[&C]", 1, 1)
        .Register();
}

CS0000S402::CS0000S402(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S402::RegisterTemplate>();
}

BOOL CS0000S402::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    m_nLimitCount = 1;
    m_nLimitID[0] = IDC_EDT_TEXT;
    m_nLimitLen[0] = kMaxChars;
    SetItemValue(IDC_EDT_TEXT, m_strText);
    return TRUE;
}

void CS0000S402::OnOK() {
    GetItemValue(IDC_EDT_TEXT, m_strText);
    EndDialog(IDOK);
}
