// The general text editor: a multi-line edit of at most 100 characters for a long
// text such as a reinsurer's solvency.
#pragma once

#include "host/qxcommon/BaseBase.h"

class CS0000S402 : public CBASEBASE {
public:
    enum { IDD = 25008 };
    enum : int { IDC_EDT_TEXT = 1001 };
    static constexpr int kMaxChars = 100;

    explicit CS0000S402(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;

    // The text: set by the caller, changed only by 确定[&E].
    CString m_strText;

    DECLARE_MESSAGE_MAP()
};
