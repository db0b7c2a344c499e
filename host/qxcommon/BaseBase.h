// CBASEBASE: the base dialog of every screen. It runs the dialog, checks required
// fields, enforces length and number formats, fills code-list combos and grid code
// columns, converts dates, and carries packets to the application server.
#pragma once

#include <cstdint>

#include "common/db/CodeListStruct.h"
#include "common/net/Channel.h"  // the result codes SendPacket and RecvPacket return
#include "common/records/PacketHead.h"
#include "host/win/Controls.h"
#include "host/win/Dialog.h"

class CQXGrid;

// The logged-in user; the module reads only the user code.
struct _LoginUserInfo {
    char szUserCode[21];  // NUL-terminated, at most 20 characters
    char szUserName[61];
    char szReserved[174];
};

struct _GridCbxInfo {
    CQXGrid* pGrid;
    int nCol;
    int nCodeListID;
    int nMode;
};

// Messages the base dialog sends to ask a screen for a code list's SQL condition:
// wParam = text buffer (kConditionBufferSize bytes), lParam = the combo's control ID;
// the screen answers the condition's length, 0 for none.
constexpr UINT WM_CODELIST_CONDITION = 0x465;
constexpr UINT WM_CODELIST_CONDITION2 = 0x466;
constexpr int kConditionBufferSize = 1024;

class CBASEBASE : public CDialog {
public:
    static constexpr int kMaxNeed = 32;
    static constexpr int kMaxLimit = 32;
    static constexpr int kMaxNum = 16;
    static constexpr int kMaxGridCbx = 8;

    explicit CBASEBASE(UINT nIDTemplate, CWnd* pParent = nullptr);
    ~CBASEBASE() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    // ---- validation lists (set by the screen in OnInitDialog)
    BYTE m_nNeedCount = 0;
    int m_nNeedID[kMaxNeed] = {};
    BYTE m_nLimitCount = 0;
    int m_nLimitID[kMaxLimit] = {};
    uint16_t m_nLimitLen[kMaxLimit] = {};
    BYTE m_cNumFlag = 0;
    int m_nNumID[kMaxNum] = {};
    BYTE m_cNumLen[kMaxNum] = {};
    BYTE m_cNumDec[kMaxNum] = {};
    BYTE m_nGridCbxCount = 0;
    _GridCbxInfo m_stGridCbx[kMaxGridCbx] = {};

    static _LoginUserInfo m_stLoginUserInfo;
    // Sets the logged-in user's code (cut to 20 characters).
    static void SetLoginUser(const char* userCode, const char* userName = "");

    // 1 when a required field is empty: a message names the field and the focus goes there.
    int IsNeededEmpty();

    // ---- field values
    void GetItemValue(int nID, CString& value);
    void GetItemValue(int nID, char* value, int size = 256);
    void SetItemValue(int nID, const CString& value);
    void SetItemValue(int nID, const char* value) { SetItemValue(nID, CString(value)); }

    // ---- combos
    CString GetCbxCode(int nID);   // code of the selected item
    CString GetCurrCode(int nID);  // code of the current item (plain combos too)
    CString GetCbxValue(int nID);  // name part of the selected item
    void SetComboContent(int nID, const CString& code, int mode = 0);
    void SetCbxCtrl(int nID, int mode);
    void DropdownCombo(int nID);
    void SetGridCbx(CQXGrid* grid, int col, int codeListID, int mode);
    void InitGridCbx();

    // ---- database
    // Runs the query and returns a malloc'ed array of rows (caller frees); *count is
    // the column count on entry and the row count on return; null on failure.
    _CodeListStruct* GetCodeListDataTable(const char* sql, int* count, const char* tableName);

    // ---- dates: mode 0 field text -> stored form, mode 1 stored form -> field text.
    // Text that is not a date gives "".
    CString FormatDate(const CString& date, int mode);

    // ---- packets
    int SendPacket(_PacketHead* head, const char* body, int length);
    int RecvPacket(_PacketHead* head);
    int RecvPacket(_PacketHead* head, char** body);
    // As above, and *length receives the number of body bytes in the buffer.
    int RecvPacket(_PacketHead* head, char** body, int* length);
    // True when the last request found no server and none has been reached since: a
    // list need not be read again only to fail with a second message.
    bool ServerAway() const;
    // errorCode 0 is a refusal of a query: its message carries the server's reason.
    void DispErrBox(int errorCode);
    // Tells the user that the server refused command `code` (sent with `operation`)
    // with the non-zero answer status `status`: a plain notice naming the cause,
    // then the server's reason on its own line when the server gives one.
    void DispRefusal(int code, int operation, int status);
    // Asks the server once why this connection's last request was refused. Empty
    // when it gives no reason: a server that does not know the question, a failed
    // channel, or nothing refused.
    static CString RefusalReason();
    // The message followed by the reason on its own line (the message alone without one).
    static CString WithReason(const CString& message, const CString& reason);

    DECLARE_MESSAGE_MAP()

protected:
    void OnShowing() override;

private:
    void ApplyFieldRules();
    bool IsCodeListCombo(int nID) const;
    void LoadCodeListCombo(CComboBox& combo, UINT conditionMessage);
    CString FieldName(int nID) const;
};

// The text of a code-list combo item: "code  name".
CString MakeCodeItemText(const CString& code, const CString& name);
// The code of a combo item text: up to the first blank.
CString CodeOfItem(const CString& itemText);
// The name of a combo item text: after the code and its blanks.
CString NameOfItem(const CString& itemText);
