// The commission adjustment: a new commission rate for every detail line of a
// section, of a reinsurer, or of a reinsurer within a section. It sends the
// adjustment itself (201) and closes only when the server took it.
#pragma once

#include "common/db/CodeLists.h"
#include "host/qxcommon/BaseBase.h"

class CS0000S711 : public CBASEBASE {
public:
    enum { IDD = 25712 };
    enum : int {
        IDC_RAD_SECTION = 1001,                           // SECTION (mode 0)
        IDC_RAD_REINSURER = 1002,                         // 再保人 (mode 1)
        IDC_RAD_BOTH = 1003,                              // SECTION&&再保人 (mode 2)
        IDC_EDT_COMM_RATE = 1004,                         // 调整后的手续费: a fraction, number shape (21, 8)
        IDC_CBX_SECTION = kel::codelist::kTreatySection,  // SECTION: the treaty's sections
        IDC_CBX_REINSURER = kel::codelist::kReinsurer,    // 被调整接受人: the treaty's reinsurers
    };

    explicit CS0000S711(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Set by the caller before DoModal.
    int32_t m_nContId = 0;

protected:
    void OnRadSection();
    void OnRadReinsurer();
    void OnRadBoth();
    LRESULT OnCondition(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    // Chooses the mode: the combos it uses are enabled and required.
    void SetMode(int nMode);
    int m_nMode = 0;
};
