// The broker's reinsurers (screen 11, and from the reinsurer list after a broker
// was changed): the entries of one broker with add, modify and delete. Each add or
// modify is followed by a fresh read of the broker's entries.
#pragma once

#include "common/records/Records.h"
#include "host/qxcommon/BaseBase.h"
#include "host/qxctlset/QXGrid.h"

class CS0000SV : public CBASEBASE {
public:
    enum { IDD = 26031 };
    enum : int {
        IDC_GRID = 9999,
        IDC_BTN_ADD = 1001,     // 新  增 (the default button)
        IDC_BTN_MODIFY = 1002,  // 修  改
        IDC_BTN_DELETE = 1003,  // 删  除
        // 返  回 is IDCANCEL.
    };
    // Grid columns.
    enum : int {
        COL_BROKER_CODE,
        COL_RI_CODE,
        COL_CHN_NAME,
        COL_ENG_NAME,
        COL_SHORT_NAME,
        COL_KIND,
        COL_ADDRESS,
        COL_PHONE,
        COL_FAX,
        COL_CONTACT,
        COL_COUNTRY,
        COL_CREDIT,
        COL_COUNT
    };

    explicit CS0000SV(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    BOOL OnInitDialog() override;

    // Said when the screen was opened without a broker (by its number alone).
    static constexpr const char* kNoBroker = "请先在再保公司设置中选择一家经纪公司，再维护其所属再保公司!";

    // Set by the caller before DoModal (all empty when the host opens the screen).
    CString m_strBrokerCode;
    CString m_strBrokerChnName;
    CString m_strBrokerEngName;

protected:
    void OnBtnAdd();
    void OnBtnModify();
    void OnBtnDelete();
    void OnDblClickGrid(NMHDR* pNotifyStruct, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    // The grid set up afresh and the broker's entries read again (216). The dialog
    // and its controls are set up once; only the list is renewed.
    bool LoadEntries();
    void RunForm(bool bAdd, const _RIAgentStruct& record);
    bool HasBroker() const;

    CQXGrid m_Grid{0, 0, 0, 0};
};
