#include "screens/S0000S7000.h"

#include "host/win/DialogTemplate.h"

BEGIN_MESSAGE_MAP(CS0000S7000, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S7000::RegisterTemplate() {
    win::TemplateBuilder(IDD, "经纪公司所属再保公司")
        .Button(IDOK, "确认[&O]", 0, 0, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "取消[&C]", 0, 1)
        .Register();
}

CS0000S7000::CS0000S7000(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    static const bool registered = (RegisterTemplate(), true);
    (void)registered;
}

BOOL CS0000S7000::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    return TRUE;
}

void CS0000S7000::OnOK() { EndDialog(IDOK); }
