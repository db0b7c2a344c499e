#include "screens/S0000S701.h"

#include "host/win/DialogTemplate.h"

BEGIN_MESSAGE_MAP(CS0000S701, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S701::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约资料设置[合约份额编辑]")
        .Button(IDOK, "确定[&O]", 0, 0, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "取消[&C]", 0, 1)
        .Register();
}

CS0000S701::CS0000S701(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    static const bool registered = (RegisterTemplate(), true);
    (void)registered;
}

BOOL CS0000S701::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    return TRUE;
}

void CS0000S701::OnOK() { EndDialog(IDOK); }
void CS0000S701::OnProductRadio() {}
void CS0000S701::OnClassRadio() {}
void CS0000S701::OnCopyClicked() {}
void CS0000S701::OnKillFocusProduct() {}
void CS0000S701::OnKillFocusRiskLevel() {}
void CS0000S701::OnKillFocusLines() {}
void CS0000S701::OnKillFocusVipLines() {}
LRESULT CS0000S701::OnCondition(WPARAM, LPARAM) { return 0; }
bool CS0000S701::LoadRiskCodes() { return false; }
