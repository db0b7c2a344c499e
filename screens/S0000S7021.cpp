#include "screens/S0000S7021.h"

#include "data/SectDetailMgr.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"

void CS0000S7021::RegisterTemplate() {
    win::TemplateBuilder t(IDD, "合约资料设置[再保公司SECTION细节编辑]");
    t.Label(-1, "合约代码:", 0, 0)
        .Edit(IDC_EDT_CONT_CODE, 0, 1, 1, WS_DISABLED)
        .Label(-1, "合约名称:", 0, 2)
        .Edit(IDC_EDT_CONT_NAME, 0, 3, 1, WS_DISABLED)
        .Size(200, 0)
        .Label(-1, "SECTION:", 1, 0)
        .Edit(IDC_EDT_SECT_CODE, 1, 1, 1, WS_DISABLED);
    AddChoiceControls(t, 2);
    t.Register();
}

CS0000S7021::CS0000S7021(CWnd* pParent) : CProductChoice(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S7021::RegisterTemplate>();
}

BOOL CS0000S7021::OnInitDialog() {
    m_nNeedCount = 1;
    m_nNeedID[0] = IDC_EDT_SECT_CODE;
    CProductChoice::OnInitDialog();
    SetItemValue(IDC_EDT_CONT_CODE, m_strContCode);
    SetItemValue(IDC_EDT_CONT_NAME, m_strContName);
    SetItemValue(IDC_EDT_SECT_CODE, m_strSectCode);
    return TRUE;
}

bool CS0000S7021::SaveProducts(const std::vector<CString>& codes) {
    std::vector<_SectDetailStruct> records;
    for (const CString& code : codes) {
        _SectDetailStruct r{};
        r.nSectId = m_nSectId;
        if (!kel::screens::PutFieldText(*this, IDC_LST_PRODUCTS, "险种", code, r.szProdCode)) return false;
        records.push_back(r);
    }
    CSectDetailMgr mgr(this);
    if (!mgr.SetSectDetailList(records.data(), static_cast<int>(records.size()))) {
        MessageBox("分配内存失败！", nullptr, MB_OK);
        return false;
    }
    CWaitCursor wait;
    return mgr.Insert();
}
