#include "screens/S0000S7051.h"

#include "data/InsrClassDtlMgr.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"

void CS0000S7051::RegisterTemplate() {
    win::TemplateBuilder t(IDD, "合约资料设置[险类设置]");
    t.Label(-1, "险类代码:", 0, 0).Edit(IDC_EDT_CLASS_CODE, 0, 1, 1, WS_DISABLED);
    AddChoiceControls(t, 1);
    t.Register();
}

CS0000S7051::CS0000S7051(CWnd* pParent) : CProductChoice(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S7051::RegisterTemplate>();
}

BOOL CS0000S7051::OnInitDialog() {
    CProductChoice::OnInitDialog();
    SetItemValue(IDC_EDT_CLASS_CODE, m_strClassCode);
    return TRUE;
}

bool CS0000S7051::SaveProducts(const std::vector<CString>& codes) {
    _InsrClassDtlStruct key{};
    key.nContId = m_nContId;
    if (!kel::screens::PutFieldText(*this, 0, "险类代码", m_strClassCode, key.szClassCode)) return false;
    std::vector<_InsrClassDtlStruct> records;
    for (const CString& code : codes) {
        _InsrClassDtlStruct r = key;
        if (!kel::screens::PutFieldText(*this, IDC_LST_PRODUCTS, "险种代码", code, r.szProdCode)) return false;
        records.push_back(r);
    }
    CInsrClassDtlMgr mgr(this);
    if (!mgr.SetClassDtlList(records.data(), static_cast<int>(records.size()))) {
        MessageBox("分配内存失败！", nullptr, MB_OK);
        return false;
    }
    CWaitCursor wait;
    return mgr.Insert();
}
