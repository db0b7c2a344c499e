#include "screens/S0000S7020.h"

#include "host/win/DialogTemplate.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"
#include "screens/SectionFields.h"

namespace {

constexpr int kCodeChars = sizeof(_SectionStruct::szSectCode) - 1;  // 2
constexpr int kRateWidth = 6;
constexpr int kRateDecimals = 4;

}  // namespace

BEGIN_MESSAGE_MAP(CS0000S7020, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S7020::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约资料设置[再保公司SECTION编辑]")
        .Label(-1, "合约代码:", 0, 0)
        .Edit(IDC_EDT_CONT_CODE, 0, 1, 1, WS_DISABLED)
        .Label(-1, "合约名称:", 0, 2)
        .Edit(IDC_EDT_CONT_NAME, 0, 3, 1, WS_DISABLED)
        .Size(200, 0)
        .Label(-1, "SECTION:", 1, 0)
        .Edit(IDC_EDT_SECT_CODE, 1, 1, 1, 0, kCodeChars)
        .Label(-1, "手续费率:", 2, 0)
        .Edit(IDC_EDT_COMM_RATE, 2, 1, 1, ES_RIGHT)
        .Button(IDOK, "确定[&O]", 3, 2, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "取消[&C]", 3, 3)
        .Register();
}

CS0000S7020::CS0000S7020(CWnd* pParent) : CBASEBASE(IDD, pParent), m_stSection{} {
    kel::screens::RegisterOnce<&CS0000S7020::RegisterTemplate>();
}

BOOL CS0000S7020::OnInitDialog() {
    m_nNeedCount = 1;
    m_nNeedID[0] = IDC_EDT_SECT_CODE;
    m_nLimitCount = 1;
    m_nLimitID[0] = IDC_EDT_SECT_CODE;
    m_nLimitLen[0] = kCodeChars;
    m_cNumFlag = 1;
    m_nNumID[0] = IDC_EDT_COMM_RATE;
    m_cNumLen[0] = kRateWidth;
    m_cNumDec[0] = kRateDecimals;
    CBASEBASE::OnInitDialog();
    SetItemValue(IDC_EDT_CONT_CODE, m_strContCode);
    SetItemValue(IDC_EDT_CONT_NAME, m_strContName);
    kel::screens::SectionFields().LoadForm(*this, m_stSection);
    return TRUE;
}

void CS0000S7020::OnOK() {
    if (IsNeededEmpty()) return;
    _SectionStruct record = m_stSection;
    if (!kel::screens::SectionFields().SaveForm(*this, record)) return;
    // A rate is a fraction of the premium.
    if (!(record.dCommRate >= 0 && record.dCommRate <= 1)) {
        kel::screens::RefuseInput(*this, IDC_EDT_COMM_RATE, "手续费率必须在0到1之间，请修改!");
        return;
    }
    if (m_fnSave && !m_fnSave(record)) return;  // told; the form keeps what was typed
    m_stSection = record;
    EndDialog(IDOK);
}
