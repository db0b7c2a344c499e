// CQXDateTime: the date and year-month field. A mask ("####/##/##" for a date,
// "####/##" for a year and month) fixes where the digits go; the field's text is
// its digits placed into the mask, as far as they have been entered.
//
// An incomplete entry reads as the digits entered so far, in the mask's shape
// ("2024/0"); an empty field reads as "". IsComplete tells the two apart from a
// full value, so that a caller can refuse a partial date rather than lose it.
#pragma once

#include "host/win/Dialog.h"
#include "host/win/UserActions.h"
#include "host/win/Wnd.h"

class CQXDateTime : public CWnd, public win::TextUser {
public:
    static constexpr const char* kDateMask = "####/##/##";
    static constexpr const char* kYearMonthMask = "####/##";

    CQXDateTime();

    // Sets the mask; the flag is accepted for the screens' sake. The value is fitted
    // into the new mask. A mask without any '#' is refused (FALSE) and nothing changes.
    BOOL Format(LPCTSTR mask, int nFlag = 1);
    CString GetMask() const { return m_mask; }
    int GetDigitCount() const;

    // The value as shown ("2024/01/31", "2024/01", a partial entry, or "").
    void GetTime(CString& value) const;
    CString GetTime() const;
    // Shows a value: "2024/01/31" and also "20240131", "2024-1-31" or, for a
    // year-month, "202401". Digits beyond the mask are dropped. Raises no notification.
    void SetTime(const CString& value);
    bool IsEmpty() const { return GetTime().IsEmpty(); }
    // Every digit of the mask has been entered.
    bool IsComplete() const;

    BOOL SetReadOnly(BOOL bReadOnly = TRUE);
    bool IsReadOnly() const { return (GetStyle() & ES_READONLY) != 0; }

    // The user replaces the entry: only digits count, as many as the mask takes, then
    // EN_CHANGE goes to the parent. Refused (false) while read-only or disabled.
    bool UserType(const CString& text);
    bool UserSetText(const CString& text) override { return UserType(text); }
    // The user leaves the field: EN_KILLFOCUS.
    void UserLeave() { NotifyParent(EN_KILLFOCUS); }

private:
    CString m_mask = kDateMask;
};

// Moves the field's text into the string (saving) or shows the string (loading).
void DDX_QXDateTime(CDataExchange* pDX, int nIDC, CString& value);
