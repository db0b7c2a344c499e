// CQXDateTime: the date and year-month field. A mask ("####/##/##" for a date,
// "####/##" for a year and month) fixes where the digits go; each digit has its
// place, and editing never moves a digit into another place: a month cleared with
// Backspace leaves two blank places ("2024/__/31"), not a day shifted into it.
//
// The text shows the places up to the last digit entered ("2024/0" while typing);
// what is shown is what GetTime reads, blanks included, and an empty field reads as
// "". IsComplete tells a full value from a partial one, so that a caller can refuse
// a partial date rather than lose it.
#pragma once

#include <string>
#include <vector>

#include "host/win/Dialog.h"
#include "host/win/KeyInput.h"
#include "host/win/UserActions.h"
#include "host/win/Wnd.h"

class CQXDateTime : public CWnd, public win::TextUser, public win::KeyInput {
public:
    static constexpr const char* kDateMask = "####/##/##";
    static constexpr const char* kYearMonthMask = "####/##";
    static constexpr char kBlank = '_';  // a place without its digit

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
    // The caret and selection, as offsets in the text shown.
    void GetSel(int& start, int& end) const;

    // The user replaces the entry, then EN_CHANGE goes to the parent. Text in the
    // mask's shape keeps each digit in its place; other text gives its digits in
    // order, as many as the mask takes. Refused (false) while read-only or disabled.
    bool UserType(const CString& text);
    bool UserSetText(const CString& text) override { return UserType(text); }
    // The user leaves the field: EN_KILLFOCUS.
    void UserLeave() { NotifyParent(EN_KILLFOCUS); }

    // win::KeyInput, the keyboard: a digit fills the place at (or after) the caret
    // and the caret moves past it; Backspace clears the place before the caret,
    // Delete the one after it, either clears the places of a selection; Ctrl+C/X/V
    // copy, cut and paste digits; arrows, Home and End move the caret. Each change
    // sends EN_CHANGE.
    void OnChar(unsigned ch) override;
    void OnKeyDown(UINT virtualKey) override;
    void SetCaret(int selStart, int selEnd) override;

private:
    std::string Places() const;
    // Offsets in the mask of the digit places.
    std::vector<int> PlacePositions() const;
    // Shows the places with the caret at `caret`; EN_CHANGE when the text changed.
    void Commit(const std::string& places, int caret);
    // Blanks the places inside [start, end) of the text.
    void ClearRange(std::string& places, int start, int end) const;
    bool Editable() const { return IsWindowEnabled() && !IsReadOnly(); }

    CString m_mask = kDateMask;
    int m_nSelStart = 0;
    int m_nSelEnd = 0;
};

// Moves the field's text into the string (saving) or shows the string (loading).
void DDX_QXDateTime(CDataExchange* pDX, int nIDC, CString& value);
