#include "screens/S0000S700.h"

#include "host/win/DialogTemplate.h"

BEGIN_MESSAGE_MAP(CS0000S700, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S700::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约资料设置[再保公司参与比例编辑]")
        .Button(IDOK, "确定[&O]", 0, 0, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "取消[&C]", 0, 1)
        .Register();
}

CS0000S700::CS0000S700(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    static const bool registered = (RegisterTemplate(), true);
    (void)registered;
}

BOOL CS0000S700::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    return TRUE;
}

void CS0000S700::OnOK() { EndDialog(IDOK); }
void CS0000S700::OnKillFocusReinsurer() {}
void CS0000S700::OnAddSub() {}
void CS0000S700::OnModifySub() {}
void CS0000S700::OnDeleteSub() {}
