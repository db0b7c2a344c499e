#include "screens/S0000S7000.h"

#include "INCLUDE/NumEdit.h"
#include "host/win/DialogTemplate.h"
#include "screens/ParticipationShare.h"
#include "screens/RegisterOnce.h"
#include "screens/S0000S700.h"

namespace {
constexpr int kShareWidth = 6;
constexpr int kShareDecimals = 4;
}  // namespace

BEGIN_MESSAGE_MAP(CS0000S7000, CBASEBASE)
END_MESSAGE_MAP()

void CS0000S7000::RegisterTemplate() {
    win::TemplateBuilder(IDD, "经纪公司所属再保公司")
        .Label(-1, "合约代码:", 0, 0)
        .Edit(IDC_EDT_CONT_CODE, 0, 1)
        .Label(-1, "合约名称:", 0, 2)
        .Edit(IDC_EDT_CONT_NAME, 0, 3)
        .Size(200, 0)
        .Label(-1, "再保公司:", 1, 0)
        .Combo(IDC_CBX_REINSURER, 1, 1, 3)
        .Size(300, 0)
        .Label(-1, "参与比例:", 2, 0)
        .Number(IDC_EDT_SHARE, 2, 1)
        .Button(IDOK, "确认[&O]", 3, 2, BS_DEFPUSHBUTTON)
        .Button(IDCANCEL, "取消[&C]", 3, 3)
        .Register();
}

CS0000S7000::CS0000S7000(CWnd* pParent) : CBASEBASE(IDD, pParent) {
    kel::screens::RegisterOnce<&CS0000S7000::RegisterTemplate>();
}

BOOL CS0000S7000::OnInitDialog() {
    CBASEBASE::OnInitDialog();
    if (auto* share = dynamic_cast<CNumEdit*>(GetDlgItem(IDC_EDT_SHARE))) share->SetLimits(kShareWidth, kShareDecimals);
    SetItemValue(IDC_EDT_CONT_CODE, m_strContCode);
    SetItemValue(IDC_EDT_CONT_NAME, m_strContName);
    SetItemValue(IDC_EDT_SHARE, m_strShare);
    GetDlgItem(IDC_EDT_CONT_CODE)->EnableWindow(FALSE);
    GetDlgItem(IDC_EDT_CONT_NAME)->EnableWindow(FALSE);
    m_nNeedCount = 2;
    m_nNeedID[0] = IDC_CBX_REINSURER;
    m_nNeedID[1] = IDC_EDT_SHARE;
    SetComboContent(IDC_CBX_REINSURER, m_strSubRICode);
    return TRUE;
}

void CS0000S7000::OnOK() {
    if (IsNeededEmpty()) return;

    CString share;
    static_cast<CNumEdit*>(GetDlgItem(IDC_EDT_SHARE))->GetPlainText(share);
    share.Trim();
    CString code = GetCbxCode(IDC_CBX_REINSURER);

    // The same reinsurer twice behind one broker: every row of the participation
    // form's grid but the one edited and its total row.
    if (auto* owner = dynamic_cast<CS0000S700*>(GetParent())) {
        const CQXGrid& grid = owner->m_Grid;
        for (int row = 1; row < grid.GetRowCount(); ++row) {
            if (row == m_nRowNo || kel::screens::IsTotalRow(grid, row)) continue;
            CString other = grid.GetItemText(row, 0);
            other.Trim();
            if (other == code) {
                MessageBox("下属再保人号已存在！", nullptr, MB_OK);
                GetDlgItem(IDC_CBX_REINSURER)->SetFocus();
                return;
            }
        }
    }

    if (!kel::screens::TakeShare(*this, IDC_EDT_SHARE, "参与比例", share)) return;
    m_strSubRICode = code;
    m_strShare = share;  // as entered: the participation form writes it in its column's format
    EndDialog(IDOK);
}
