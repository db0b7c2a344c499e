// The detail information list (screen 14): the documents waiting for the logged-on
// user. The user ticks rows and presses "转处理画面": each ticked item is marked
// processed on the server (167) and, for facultative business (prompt type B),
// handed to the host's facultative booking. Screen 13 asks only for the count (165),
// on an object whose window is never created.
#pragma once

#include "host/qxcommon/BaseBase.h"

class CS0000SE : public CBASEBASE {
public:
    enum { IDD = 26014 };
    enum : int {
        IDC_LIST = 1001,  // report list with a check box in front of every row
        // 转处理画面 is IDOK (the default button), 退出 IDCANCEL.
    };
    // List columns; the fifth, hidden, holds the item key.
    enum : int { COL_DOC_NO, COL_DOC_TYPE, COL_PROMPT_TYPE, COL_DESCRIPTION, COL_ITEM_KEY, COL_COUNT };
    static constexpr char kFacultative = 'B';  // the prompt type handed to the booking

    explicit CS0000SE(CWnd* pParent = nullptr);
    static void RegisterTemplate();

    // The number of items waiting for the user; 0 after a failure, which is told.
    int GetUserInfoCount();

    BOOL OnInitDialog() override;
    // 转处理画面: processes the ticked rows, closes with OK when all went through.
    void OnOK() override;

protected:
    void OnClickList(NMHDR* pNotifyStruct, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    // Reads the user's items (166) into the list; a failure is told, the list stays empty.
    bool LoadItems();
    // Marks the row's item processed (167); false after a failure, which is told.
    enum class ItemResult { Done, Refused, Broken };
    // Sends 167 for the row's item; a refusal fills `reason` with the server's (or "").
    ItemResult ProcessItem(int row, CString& reason);

    CListCtrl m_ctlList;
};
