#include "screens/S0000S704.h"

#include "host/win/DialogTemplate.h"
#include "screens/RegisterOnce.h"

BEGIN_MESSAGE_MAP(CS0000S704, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S704::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约代码设置[险种风险复制]")
        .Label(-1, "源险种:", 0, 0)
        .Edit(IDC_EDT_SRC_PRODUCT, 0, 1, 2)
        .Label(-1, "目的险种:", 1, 0)
        .Combo(IDC_CBX_DST_PRODUCT, 1, 1, 2)
        .Size(240, 0)
        .Button(IDOK, "确定(D)", 2, 1, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "取消(&C)", 2, 2)
        .Register();
}

CS0000S704::CS0000S704(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S704::RegisterTemplate>();
}

BOOL CS0000S704::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    SetItemValue(IDC_EDT_SRC_PRODUCT, m_strSrcProduct);
    GetDlgItem(IDC_EDT_SRC_PRODUCT)->EnableWindow(FALSE);
    m_nNeedCount = 1;
    m_nNeedID[0] = IDC_CBX_DST_PRODUCT;
    return TRUE;
}

void CS0000S704::OnOK() {
    // Without a target there is nothing to copy to: the base names the field.
    if (IsNeededEmpty()) return;
    CString value;
    GetItemValue(IDC_CBX_DST_PRODUCT, value);
    // The item reads "code  name"; the product column takes the code.
    m_strDstProduct = CodeOfItem(value);
    EndDialog(IDOK);
}
