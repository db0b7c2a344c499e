#include "screens/S0000S710.h"

#include "host/win/DialogTemplate.h"
#include "screens/DetailFields.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"

BEGIN_MESSAGE_MAP(CS0000S710, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S710::RegisterTemplate() {
    win::TemplateBuilder(IDD, "合约资料设置[细节调整]")
        .Label(-1, "险    种:", 0, 0)
        .Edit(IDC_EDT_PRODUCT, 0, 1, 1, WS_DISABLED)
        .Label(-1, "风险等级:", 0, 2)
        .Edit(IDC_EDT_RISK_LEVEL, 0, 3, 1, WS_DISABLED)
        .Label(-1, "成数比例:", 1, 0)
        .Edit(IDC_EDT_QUOTA, 1, 1, 1, WS_DISABLED | ES_RIGHT)
        .Label(-1, "合约限额:", 1, 2)
        .Edit(IDC_EDT_CONT_LIMIT, 1, 3, 1, WS_DISABLED | ES_RIGHT)
        .Label(-1, "再保公司:", 2, 0)
        .Edit(IDC_EDT_REINSURER, 2, 1, 1, WS_DISABLED)
        .Label(-1, "承保公司:", 2, 2)
        .Edit(IDC_EDT_COMPANY, 2, 3, 1, WS_DISABLED)
        .Label(-1, "参与比例:", 3, 0)
        .Edit(IDC_EDT_SHARE, 3, 1, 1, ES_RIGHT)
        .Label(-1, "限    额:", 3, 2)
        .Edit(IDC_EDT_RI_LIMIT, 3, 3, 1, ES_RIGHT)
        .Label(-1, "手续费率:", 4, 0)
        .Edit(IDC_EDT_COMM_RATE, 4, 1, 1, ES_RIGHT)
        .Button(IDOK, "确定[&O]", 5, 2, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "取消[&C]", 5, 3)
        .Register();
}

CS0000S710::CS0000S710(CWnd* pParent) : CBASEBASE(IDD, pParent), m_stDetail{} {
    kel::screens::RegisterOnce<&CS0000S710::RegisterTemplate>();
}

BOOL CS0000S710::OnInitDialog() {
    m_nNeedCount = 3;
    m_nNeedID[0] = IDC_EDT_COMM_RATE;
    m_nNeedID[1] = IDC_EDT_RI_LIMIT;
    m_nNeedID[2] = IDC_EDT_SHARE;
    m_cNumFlag = 3;
    m_nNumID[0] = IDC_EDT_SHARE;
    m_cNumLen[0] = 7;
    m_cNumDec[0] = 5;
    m_nNumID[1] = IDC_EDT_RI_LIMIT;
    m_cNumLen[1] = 16;
    m_cNumDec[1] = 2;
    m_nNumID[2] = IDC_EDT_COMM_RATE;
    m_cNumLen[2] = 6;
    m_cNumDec[2] = 4;
    CBASEBASE::OnInitDialog();
    kel::screens::DetailFields().LoadForm(*this, m_stDetail);
    return TRUE;
}

void CS0000S710::OnOK() {
    // An empty field would be stored as 0: a share of nothing is no share.
    if (IsNeededEmpty()) return;
    _ContDetailStruct line = m_stDetail;
    if (!kel::screens::DetailFields().SaveForm(*this, line)) return;
    if (!(line.dShare > 0 && line.dShare <= 1))
        return void(kel::screens::RefuseInput(*this, IDC_EDT_SHARE, "参与比例必须大于0且不大于1，请修改!"));
    if (!(line.dRILimit >= 0))
        return void(kel::screens::RefuseInput(*this, IDC_EDT_RI_LIMIT, "限额不能为负数，请修改!"));
    if (!kel::screens::CheckBound(*this, IDC_EDT_RI_LIMIT, "限额", line.dRILimit, kel::records::kAmountBound)) return;
    if (!(line.dCommRate >= 0 && line.dCommRate <= 1))
        return void(kel::screens::RefuseInput(*this, IDC_EDT_COMM_RATE, "手续费率必须在0到1之间，请修改!"));
    if (m_fnSave && !m_fnSave(line)) return;  // told; the form keeps what was typed
    m_stDetail = line;
    EndDialog(IDOK);
}
