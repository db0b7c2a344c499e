// The standard control models: label, button (push, check box, radio, group box),
// edit, combo box, check list and report list. Program calls change the model
// quietly; the User... calls are what a driver uses for the person at the screen and
// raise the notifications the dialog's message map handles.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/win/Wnd.h"

class CStatic : public CWnd {
public:
    CStatic() { SetKind(win::ControlKind::Label); }
};

#ifndef _WIN32  // the system's own on Windows
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
#endif

class CButton : public CWnd {
public:
    CButton() { SetKind(win::ControlKind::Button); }
    int GetCheck() const { return m_nCheck; }
    void SetCheck(int check);
    bool IsDefault() const { return (GetStyle() & BS_DEFPUSHBUTTON) != 0; }

    // The user clicks: check boxes toggle, radio buttons check themselves and clear
    // the others of their group; then BN_CLICKED goes to the parent.
    void UserClick();

private:
    void ClearRadioGroup();
    int m_nCheck = BST_UNCHECKED;
};

class CEdit : public CWnd {
public:
    CEdit() { SetKind(win::ControlKind::Edit); }
    void LimitText(int maxChars);
    void SetLimitText(int maxChars) { LimitText(maxChars); }
    int GetLimitText() const { return m_nLimit; }
    BOOL SetReadOnly(BOOL readOnly = TRUE);
    bool IsReadOnly() const { return (GetStyle() & ES_READONLY) != 0; }
    void SetSel(int start, int end);
    void GetSel(int& start, int& end) const {
        start = m_nSelStart;
        end = m_nSelEnd;
    }
    void ReplaceSel(LPCTSTR text);

    // What the control would hold if the user typed `text` as the whole content:
    // upper case when the style asks, digits only for ES_NUMBER, and cut to the limit
    // (counted in characters) without splitting a character.
    CString Filter(const CString& text) const;
    // An extra rule for what the field accepts (e.g. a number of a given shape),
    // applied after the built-in ones whenever the user changes the text.
    void SetInputFilter(std::function<CString(const CString&)> filter) { m_inputFilter = std::move(filter); }

    // The user replaces the whole text (typing, pasting): filtered, then EN_CHANGE.
    // With a limit, the change (what lies between the ends the old and new text
    // share) is cut to the room left, so a full field keeps its text and refuses a
    // typed key. The caret goes after the change. Nothing happens while read-only
    // or disabled. Returns false when refused.
    bool UserSetText(const CString& text);
    // The user leaves the field: EN_KILLFOCUS.
    void UserLeave() { NotifyParent(EN_KILLFOCUS); }

private:
    // Upper case, digits only, single line, as the style asks.
    CString Shape(const CString& text) const;
    std::function<CString(const CString&)> m_inputFilter;
    int m_nLimit = 0;
    int m_nSelStart = 0;
    int m_nSelEnd = 0;
};

#ifndef _WIN32
constexpr int CB_ERR = -1;
#endif

class CComboBox : public CWnd {
public:
    CComboBox() { SetKind(win::ControlKind::Combo); }
    int AddString(LPCTSTR text);
    int InsertString(int index, LPCTSTR text);
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const { return static_cast<int>(m_items.size()); }
    int GetCurSel() const { return m_nCurSel; }
    int SetCurSel(int index);
    void GetLBText(int index, CString& text) const;
    int GetLBTextLen(int index) const;
    int FindString(int startAfter, LPCTSTR prefix) const;
    int FindStringExact(int startAfter, LPCTSTR text) const;
    int SelectString(int startAfter, LPCTSTR prefix);
    int SetItemData(int index, uintptr_t data);
    uintptr_t GetItemData(int index) const;
    const std::vector<CString>& Items() const { return m_items; }

    // The user opens the list (CBN_DROPDOWN), picks an item (CBN_SELCHANGE) or leaves.
    void UserDropDown() { NotifyParent(CBN_DROPDOWN); }
    bool UserSelect(int index);
    void UserLeave() { NotifyParent(CBN_KILLFOCUS); }

private:
    std::vector<CString> m_items;
    std::vector<uintptr_t> m_data;
    int m_nCurSel = CB_ERR;
};

class CCheckListBox : public CWnd {
public:
    CCheckListBox() { SetKind(win::ControlKind::CheckList); }
    int AddString(LPCTSTR text);
    void ResetContent();
    int GetCount() const { return static_cast<int>(m_items.size()); }
    void GetText(int index, CString& text) const;
    int GetCheck(int index) const;
    void SetCheck(int index, int check);
    int GetCurSel() const { return m_nCurSel; }
    int SetCurSel(int index);

    // The user ticks or unticks an item: CLBN_CHKCHANGE.
    void UserToggle(int index);

private:
    struct Item {
        CString text;
        int check = 0;
    };
    std::vector<Item> m_items;
    int m_nCurSel = -1;
};

#ifndef _WIN32  // the system's own (commctrl.h) on Windows
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;
constexpr DWORD LVS_EX_GRIDLINES = 0x0001;
constexpr DWORD LVS_EX_FULLROWSELECT = 0x0020;

struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
};
#endif

// A report-style list with optional check boxes in front of the rows.
class CListCtrl : public CWnd {
public:
    struct Column {
        CString heading;
        int format = LVCFMT_LEFT;
        int width = 0;
    };

    CListCtrl() { SetKind(win::ControlKind::ReportList); }
    DWORD SetExtendedStyle(DWORD style);
    DWORD GetExtendedStyle() const { return m_exStyle; }
    int InsertColumn(int index, LPCTSTR heading, int format = LVCFMT_LEFT, int width = -1);
    BOOL DeleteColumn(int index);
    int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
    const Column& GetColumn(int index) const { return m_columns.at(static_cast<size_t>(index)); }
    int InsertItem(int index, LPCTSTR text);
    BOOL SetItemText(int item, int subItem, LPCTSTR text);
    CString GetItemText(int item, int subItem) const;
    int GetItemCount() const { return static_cast<int>(m_rows.size()); }
    BOOL DeleteItem(int item);
    BOOL DeleteAllItems();
    BOOL GetCheck(int item) const;
    BOOL SetCheck(int item, BOOL check = TRUE);
    int GetSelectionMark() const { return m_nSelected; }
    int SetSelectionMark(int item);

    // The user ticks a row's check box (LVN_ITEMCHANGED) or clicks a row (NM_CLICK).
    void UserToggleCheck(int item);
    LRESULT UserClick(int item);

private:
    struct Row {
        std::vector<CString> cells;
        bool checked = false;
    };
    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    DWORD m_exStyle = 0;
    int m_nSelected = -1;
};
