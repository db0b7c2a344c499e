// Prompt customization (screens 0 and 12): the five prompt types the logged-on user
// receives, one check box each. Each click is sent at once (164); a box shows a
// state only as long as the server holds it: a switch that was not stored goes back.
#pragma once

#include "host/qxcommon/BaseBase.h"

class CS0000SD : public CBASEBASE {
public:
    enum { IDD = 26013 };
    // One check box per prompt type, in the order of the letters A to E.
    enum : int { IDC_CHK_A = 1001, IDC_CHK_B, IDC_CHK_C, IDC_CHK_D, IDC_CHK_E };
    static constexpr int kPromptTypes = 5;

    explicit CS0000SD(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;

protected:
    void OnChkA() { OnSwitch(0); }
    void OnChkB() { OnSwitch(1); }
    void OnChkC() { OnSwitch(2); }
    void OnChkD() { OnSwitch(3); }
    void OnChkE() { OnSwitch(4); }
    DECLARE_MESSAGE_MAP()

private:
    // Reads the user's settings (163) and sets every box to what the server holds;
    // false after a failure, which is told and leaves the boxes as they were.
    bool LoadSettings();
    // The box of prompt type `index` was clicked and shows its new state.
    void OnSwitch(int index);
    CButton* Box(int index) const;
};
