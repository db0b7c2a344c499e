// The broker entry form: adds or changes one reinsurer of a broker and sends it
// itself (217). Leaving the reinsurer-code field after typing a two-character code
// looks that reinsurer up on the server (3019) and fills the form from it.
#pragma once

#include <string>

#include "common/records/Records.h"
#include "host/qxcommon/BaseBase.h"

class CS0000SV0 : public CBASEBASE {
public:
    enum { IDD = 26032 };
    enum : int {
        IDC_EDT_BROKER_CODE = 1001,  // 经纪公司代码: fixed
        IDC_EDT_BROKER_NAME = 1002,  // 经纪公司中文名称: fixed
        IDC_EDT_RI_CODE = 1003,      // 再保公司代码: the entry's key, fixed when modifying
        IDC_EDT_CHN_NAME = 1004,     // 再保公司中文名称:
        IDC_EDT_ENG_NAME = 1005,     // 再保公司英文名称:
        IDC_EDT_SHORT_NAME = 1006,   // 再保公司缩写:
        IDC_EDT_CREDIT = 1007,       // 再保公司信用等级:
        IDC_EDT_COUNTRY = 1008,      // 国家或地区:
        IDC_CBX_KIND = 1009,         // 性质:
        IDC_EDT_ADDRESS = 1010,      // 地址:
        IDC_EDT_PHONE = 1011,        // 电话号码:
        IDC_EDT_FAX = 1012,          // 传真号码:
        IDC_EDT_CONTACT = 1013,      // 联系人:
    };
    // The look-up runs for a typed code of exactly this many characters.
    static constexpr int kLookupCodeChars = 2;

    explicit CS0000SV0(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Set by the caller before DoModal: the mode, the entry (in add mode only its
    // broker code) and the broker's name, which is shown but not part of the entry.
    bool m_bAdd = true;
    _RIAgentStruct m_stRIAgent;
    CString m_strBrokerName;

protected:
    void OnKillFocusRICode();
    DECLARE_MESSAGE_MAP()

private:
    // Fills the form from the reinsurer the server found for the typed code.
    void ShowLookedUp(const _RICompanyStruct& found);

    // The entry code the last successful look-up made (broker code + found code):
    // a new entry is saved only under it.
    std::string m_strLookedUpCode;
};
