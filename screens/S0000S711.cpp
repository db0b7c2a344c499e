#include "screens/S0000S711.h"

#include <cstring>

#include "data/ContDetailInfo.h"
#include "host/win/DialogTemplate.h"
#include "screens/NumberText.h"
#include "screens/RegisterOnce.h"
#include "screens/ScreenCommon.h"

BEGIN_MESSAGE_MAP(CS0000S711, CBASEBASE)
ON_BN_CLICKED(IDC_RAD_SECTION, OnRadSection)
ON_BN_CLICKED(IDC_RAD_REINSURER, OnRadReinsurer)
ON_BN_CLICKED(IDC_RAD_BOTH, OnRadBoth)
ON_MESSAGE(WM_CODELIST_CONDITION, OnCondition)
ON_MESSAGE(WM_CODELIST_CONDITION2, OnCondition)
END_MESSAGE_MAP()

void CS0000S711::RegisterTemplate() {
    win::TemplateBuilder(IDD, "分保接受人手续费调整")
        .Radio(IDC_RAD_SECTION, "SECTION", 0, 0, 1, WS_GROUP)
        .Radio(IDC_RAD_REINSURER, "再保人", 0, 1)
        .Radio(IDC_RAD_BOTH, "SECTION&&再保人", 0, 2)
        .Label(-1, "SECTION:", 1, 0)
        .Combo(IDC_CBX_SECTION, 1, 1, 2)
        .Size(220, 0)
        .Label(-1, "被调整接受人:", 2, 0)
        .Combo(IDC_CBX_REINSURER, 2, 1, 2)
        .Size(220, 0)
        .Label(-1, "调整后的手续费:", 3, 0)
        .Edit(IDC_EDT_COMM_RATE, 3, 1, 1, ES_RIGHT)
        .Button(IDOK, "确定", 4, 1, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "返回", 4, 2)
        .Register();
}

CS0000S711::CS0000S711(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S711::RegisterTemplate>();
}

BOOL CS0000S711::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    SetMode(kAdjustBySection);
    return TRUE;
}

// Sections of this treaty; the reinsurers taking part in it and those behind its
// brokers (a broker's lines go to its sub-reinsurers). Only the numeric id goes
// into the SQL text.
LRESULT CS0000S711::OnCondition(WPARAM wParam, LPARAM lParam) {
    auto* buffer = reinterpret_cast<char*>(wParam);
    if (!buffer) return 0;
    CString condition;
    switch (static_cast<int>(lParam)) {
        case IDC_CBX_SECTION: condition.Format("n_cont_id = %d", m_nContId); break;
        case IDC_CBX_REINSURER:
            condition.Format(
                "c_ri_cde in (select c_ri_cde from t_cont_reins where n_cont_id = %d) or c_ri_cde in (select "
                "a.c_ri_cde from t_ri_agent a join t_cont_reins r on r.c_ri_cde = a.c_broker_cde where r.n_cont_id = "
                "%d)",
                m_nContId, m_nContId);
            break;
        default: buffer[0] = '\0'; return 0;
    }
    const int length = condition.GetLength();
    if (length >= kConditionBufferSize) return 0;
    std::memcpy(buffer, condition.GetString(), static_cast<std::size_t>(length) + 1);
    return length;
}

void CS0000S711::SetMode(int nMode) {
    m_nMode = nMode;
    for (int id = IDC_RAD_SECTION; id <= IDC_RAD_BOTH; ++id)
        if (auto* radio = dynamic_cast<CButton*>(GetDlgItem(id)))
            radio->SetCheck(id == IDC_RAD_SECTION + nMode ? BST_CHECKED : BST_UNCHECKED);
    const bool bySection = nMode != kAdjustByReinsurer;
    const bool byReinsurer = nMode != kAdjustBySection;
    GetDlgItem(IDC_CBX_SECTION)->EnableWindow(bySection);
    GetDlgItem(IDC_CBX_REINSURER)->EnableWindow(byReinsurer);
    m_nNeedCount = 0;
    m_nNeedID[m_nNeedCount++] = IDC_EDT_COMM_RATE;
    if (bySection) m_nNeedID[m_nNeedCount++] = IDC_CBX_SECTION;
    if (byReinsurer) m_nNeedID[m_nNeedCount++] = IDC_CBX_REINSURER;
    m_cNumFlag = 1;
    m_nNumID[0] = IDC_EDT_COMM_RATE;
    m_cNumLen[0] = 21;
    m_cNumDec[0] = 8;
}

void CS0000S711::OnRadSection() { SetMode(kAdjustBySection); }
void CS0000S711::OnRadReinsurer() { SetMode(kAdjustByReinsurer); }
void CS0000S711::OnRadBoth() { SetMode(kAdjustBySectionAndReinsurer); }

void CS0000S711::OnOK() {
    if (IsNeededEmpty()) return;
    CString rateText;
    GetItemValue(IDC_EDT_COMM_RATE, rateText);
    const auto rate = kel::screens::ParseDouble(rateText.str());
    if (!rate || !(*rate >= 0 && *rate <= 1)) {
        kel::screens::RefuseInput(*this, IDC_EDT_COMM_RATE, "调整后的手续费必须在0到1之间，请修改!");
        return;
    }
    _CommAdjustBody body{};
    body.dCommRate = *rate;
    body.nContId = m_nContId;
    // A disabled combo gives its current code too; the mode tells the server which count.
    if (!kel::screens::PutFieldText(*this, IDC_CBX_SECTION, "SECTION", GetCurrCode(IDC_CBX_SECTION), body.szSectCode) ||
        !kel::screens::PutFieldText(*this, IDC_CBX_REINSURER, "被调整接受人", GetCurrCode(IDC_CBX_REINSURER),
                                    body.szRICode))
        return;
    CContDetailInfo mgr(this);
    bool adjusted;
    {
        CWaitCursor wait;
        adjusted = mgr.AdjustDetail(body, m_nMode);
    }
    if (!adjusted) return;  // the framework has told the user; the form stays open
    EndDialog(IDOK);
}
