#include "host/win/Controls.h"

#include <strings.h>
#include <algorithm>
#include <cstring>

#include "common/text/GbkText.h"
#include "host/win/Dialog.h"

namespace {

bool InRange(int index, size_t size) { return index >= 0 && static_cast<size_t>(index) < size; }

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The length the edit's limit counts: GBK bytes, or code points for text GBK
// cannot hold.
int LimitLength(const std::string& text) {
    if (auto bytes = kel::text::GbkByteLength(text)) return static_cast<int>(*bytes);
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuation(c); }));
}

// Cuts UTF-8 text to at most `maxChars` characters as the edit control counts them:
// GBK bytes (the code page of the records), or code points for text GBK cannot hold.
std::string CutToLimit(const std::string& text, int maxChars) {
    if (maxChars <= 0) return text;
    if (auto cut = kel::text::CutToGbkBytes(text, static_cast<size_t>(maxChars))) return *cut;
    size_t i = 0;
    int count = 0;
    while (i < text.size() && count < maxChars) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 4;
        i += len;
        ++count;
    }
    return text.substr(0, std::min(i, text.size()));
}

}  // namespace

// ---- CButton

void CButton::SetCheck(int check) {
    m_nCheck = check;
    Notify(win::Aspect::Check);
}

void CButton::ClearRadioGroup() {
    auto* dialog = dynamic_cast<CDialog*>(GetParent());
    if (!dialog) return;
    const auto& all = dialog->Controls();
    auto self = std::find(all.begin(), all.end(), this);
    if (self == all.end()) return;
    auto isRadio = [](CWnd* w) { return w->GetKind() == win::ControlKind::Radio; };
    auto first = self;
    while (first != all.begin() && !((*first)->GetStyle() & WS_GROUP) && isRadio(*(first - 1))) --first;
    auto last = self + 1;
    while (last != all.end() && isRadio(*last) && !((*last)->GetStyle() & WS_GROUP)) ++last;
    for (auto it = first; it != last; ++it)
        if (*it != this) static_cast<CButton*>(*it)->SetCheck(BST_UNCHECKED);
}

void CButton::UserClick() {
    if (!IsWindowEnabled() || !IsWindowVisible()) return;
    if (GetKind() == win::ControlKind::CheckBox) {
        SetCheck(m_nCheck == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    } else if (GetKind() == win::ControlKind::Radio) {
        ClearRadioGroup();
        SetCheck(BST_CHECKED);
    }
    SetFocus();
    NotifyParent(BN_CLICKED);
}

// ---- CEdit

void CEdit::LimitText(int maxChars) { m_nLimit = maxChars < 0 ? 0 : maxChars; }

BOOL CEdit::SetReadOnly(BOOL readOnly) {
    if (readOnly)
        m_dwStyle |= ES_READONLY;
    else
        m_dwStyle &= ~ES_READONLY;
    Notify(win::Aspect::Style);
    return TRUE;
}

void CEdit::SetSel(int start, int end) {
    int len = GetWindowTextLength();
    if (start < 0) {
        start = end = len;
    }
    if (end < 0 || end > len) end = len;
    m_nSelStart = std::clamp(start, 0, len);
    m_nSelEnd = std::clamp(end, m_nSelStart, len);
    Notify(win::Aspect::Selection);
}

void CEdit::ReplaceSel(LPCTSTR text) {
    std::string s = m_text.str();
    size_t a = std::min(static_cast<size_t>(m_nSelStart), s.size());
    size_t b = std::min(static_cast<size_t>(m_nSelEnd), s.size());
    s.replace(a, b - a, text ? text : "");
    m_nSelStart = m_nSelEnd = static_cast<int>(a + std::strlen(text ? text : ""));
    SetWindowText(s.c_str());
}

CString CEdit::Shape(const CString& text) const {
    std::string s = text.str();
    if (GetStyle() & ES_UPPERCASE) {
        CString up(s);
        up.MakeUpper();
        s = up.str();
    }
    if (GetStyle() & ES_NUMBER)
        s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c < '0' || c > '9'; }), s.end());
    if (!(GetStyle() & ES_MULTILINE))
        s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == '\r' || c == '\n'; }), s.end());
    return CString(s);
}

CString CEdit::Filter(const CString& text) const {
    CString result(CutToLimit(Shape(text).str(), m_nLimit));
    return m_inputFilter ? m_inputFilter(result) : result;
}

bool CEdit::UserSetText(const CString& text) {
    if (!IsWindowEnabled() || IsReadOnly()) return false;
    const std::string& old = m_text.str();
    std::string shaped = Shape(text).str();
    // The person's change is what lies between the ends the old and new text share.
    auto inside = [](const std::string& s, size_t i) { return i < s.size() && IsContinuation(s[i]); };
    size_t prefix = 0;
    while (prefix < old.size() && prefix < shaped.size() && old[prefix] == shaped[prefix]) ++prefix;
    while (prefix > 0 && (inside(old, prefix) || inside(shaped, prefix))) --prefix;
    size_t suffix = 0;
    const size_t most = std::min(old.size(), shaped.size()) - prefix;
    while (suffix < most && old[old.size() - 1 - suffix] == shaped[shaped.size() - 1 - suffix]) ++suffix;
    while (suffix > 0 && (inside(old, old.size() - suffix) || inside(shaped, shaped.size() - suffix))) --suffix;
    std::string inserted = shaped.substr(prefix, shaped.size() - prefix - suffix);
    if (m_nLimit > 0 && !inserted.empty() && LimitLength(shaped) > m_nLimit) {
        // A full field takes what still fits of the insertion and keeps its own
        // text whole; a key with no room left is refused.
        const std::string head = shaped.substr(0, prefix);
        const std::string tail = shaped.substr(shaped.size() - suffix);
        const int room = m_nLimit - LimitLength(head + tail);
        if (room <= 0) {
            m_nSelStart = m_nSelEnd = static_cast<int>(prefix);
            return false;
        }
        inserted = CutToLimit(inserted, room);
        shaped = head + inserted + tail;
    }
    CString filtered = m_inputFilter ? m_inputFilter(CString(shaped)) : CString(shaped);
    SetFocus();
    m_text = filtered;
    m_nSelStart = m_nSelEnd = std::min(static_cast<int>(prefix + inserted.size()), filtered.GetLength());
    Notify(win::Aspect::Text);
    NotifyParent(EN_CHANGE);
    return true;
}

// ---- CComboBox

int CComboBox::AddString(LPCTSTR text) {
    m_items.emplace_back(text ? text : "");
    m_data.push_back(0);
    Notify(win::Aspect::Items);
    return GetCount() - 1;
}

int CComboBox::InsertString(int index, LPCTSTR text) {
    if (index < 0 || index > GetCount()) index = GetCount();
    m_items.insert(m_items.begin() + index, CString(text ? text : ""));
    m_data.insert(m_data.begin() + index, 0);
    if (m_nCurSel >= index) ++m_nCurSel;
    Notify(win::Aspect::Items);
    return index;
}

int CComboBox::DeleteString(int index) {
    if (!InRange(index, m_items.size())) return CB_ERR;
    m_items.erase(m_items.begin() + index);
    m_data.erase(m_data.begin() + index);
    if (m_nCurSel == index) {
        m_nCurSel = CB_ERR;
        m_text.Empty();
    } else if (m_nCurSel > index) {
        --m_nCurSel;
    }
    Notify(win::Aspect::Items);
    return GetCount();
}

void CComboBox::ResetContent() {
    m_items.clear();
    m_data.clear();
    m_nCurSel = CB_ERR;
    m_text.Empty();
    Notify(win::Aspect::Items);
}

int CComboBox::SetCurSel(int index) {
    if (!InRange(index, m_items.size())) {
        m_nCurSel = CB_ERR;
        m_text.Empty();
        Notify(win::Aspect::Selection);
        return CB_ERR;
    }
    m_nCurSel = index;
    m_text = m_items[static_cast<size_t>(index)];
    Notify(win::Aspect::Selection);
    return index;
}

void CComboBox::GetLBText(int index, CString& text) const {
    text = InRange(index, m_items.size()) ? m_items[static_cast<size_t>(index)] : CString();
}

int CComboBox::GetLBTextLen(int index) const {
    return InRange(index, m_items.size()) ? m_items[static_cast<size_t>(index)].GetLength() : CB_ERR;
}

int CComboBox::FindString(int startAfter, LPCTSTR prefix) const {
    std::string p = prefix ? prefix : "";
    int n = GetCount();
    for (int k = 1; k <= n; ++k) {
        int i = (startAfter + k) % n;
        if (i < 0) i += n;
        if (strncasecmp(m_items[static_cast<size_t>(i)].GetString(), p.c_str(), p.size()) == 0) return i;
    }
    return CB_ERR;
}

int CComboBox::FindStringExact(int startAfter, LPCTSTR text) const {
    int n = GetCount();
    for (int k = 1; k <= n; ++k) {
        int i = (startAfter + k) % n;
        if (i < 0) i += n;
        if (m_items[static_cast<size_t>(i)].CompareNoCase(text) == 0) return i;
    }
    return CB_ERR;
}

int CComboBox::SelectString(int startAfter, LPCTSTR prefix) {
    int i = FindString(startAfter, prefix);
    if (i != CB_ERR) SetCurSel(i);
    return i;
}

int CComboBox::SetItemData(int index, uintptr_t data) {
    if (!InRange(index, m_data.size())) return CB_ERR;
    m_data[static_cast<size_t>(index)] = data;
    return 0;
}

uintptr_t CComboBox::GetItemData(int index) const {
    return InRange(index, m_data.size()) ? m_data[static_cast<size_t>(index)] : static_cast<uintptr_t>(CB_ERR);
}

bool CComboBox::UserSelect(int index) {
    if (!IsWindowEnabled() || !InRange(index, m_items.size())) return false;
    SetFocus();
    SetCurSel(index);
    NotifyParent(CBN_SELCHANGE);
    return true;
}

// ---- CCheckListBox

int CCheckListBox::AddString(LPCTSTR text) {
    m_items.push_back({CString(text ? text : ""), 0});
    Notify(win::Aspect::Items);
    return GetCount() - 1;
}

void CCheckListBox::ResetContent() {
    m_items.clear();
    m_nCurSel = -1;
    Notify(win::Aspect::Items);
}

void CCheckListBox::GetText(int index, CString& text) const {
    text = InRange(index, m_items.size()) ? m_items[static_cast<size_t>(index)].text : CString();
}

int CCheckListBox::GetCheck(int index) const {
    return InRange(index, m_items.size()) ? m_items[static_cast<size_t>(index)].check : 0;
}

void CCheckListBox::SetCheck(int index, int check) {
    if (!InRange(index, m_items.size())) return;
    m_items[static_cast<size_t>(index)].check = check;
    Notify(win::Aspect::Check);
}

int CCheckListBox::SetCurSel(int index) {
    m_nCurSel = InRange(index, m_items.size()) ? index : -1;
    Notify(win::Aspect::Selection);
    return m_nCurSel;
}

void CCheckListBox::UserToggle(int index) {
    if (!IsWindowEnabled() || !InRange(index, m_items.size())) return;
    SetFocus();
    SetCurSel(index);
    SetCheck(index, GetCheck(index) ? 0 : 1);
    NotifyParent(CLBN_CHKCHANGE);
}

// ---- CListCtrl

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
    DWORD old = m_exStyle;
    m_exStyle = style;
    Notify(win::Aspect::Style);
    return old;
}

int CListCtrl::InsertColumn(int index, LPCTSTR heading, int format, int width) {
    if (index < 0 || index > GetColumnCount()) index = GetColumnCount();
    m_columns.insert(m_columns.begin() + index,
                     Column{CString(heading ? heading : ""), format, width < 0 ? 80 : width});
    for (auto& row : m_rows)
        if (static_cast<size_t>(index) <= row.cells.size()) row.cells.insert(row.cells.begin() + index, CString());
    Notify(win::Aspect::Structure);
    return index;
}

BOOL CListCtrl::DeleteColumn(int index) {
    if (!InRange(index, m_columns.size())) return FALSE;
    m_columns.erase(m_columns.begin() + index);
    for (auto& row : m_rows)
        if (InRange(index, row.cells.size())) row.cells.erase(row.cells.begin() + index);
    Notify(win::Aspect::Structure);
    return TRUE;
}

int CListCtrl::InsertItem(int index, LPCTSTR text) {
    if (index < 0 || index > GetItemCount()) index = GetItemCount();
    Row row;
    row.cells.resize(std::max<size_t>(1, m_columns.size()));
    row.cells[0] = text ? text : "";
    m_rows.insert(m_rows.begin() + index, std::move(row));
    if (m_nSelected >= index) ++m_nSelected;
    Notify(win::Aspect::Structure);
    return index;
}

BOOL CListCtrl::SetItemText(int item, int subItem, LPCTSTR text) {
    if (!InRange(item, m_rows.size()) || subItem < 0) return FALSE;
    auto& cells = m_rows[static_cast<size_t>(item)].cells;
    if (static_cast<size_t>(subItem) >= cells.size()) cells.resize(static_cast<size_t>(subItem) + 1);
    cells[static_cast<size_t>(subItem)] = text ? text : "";
    Notify(win::Aspect::Cells);
    return TRUE;
}

CString CListCtrl::GetItemText(int item, int subItem) const {
    if (!InRange(item, m_rows.size())) return CString();
    const auto& cells = m_rows[static_cast<size_t>(item)].cells;
    return InRange(subItem, cells.size()) ? cells[static_cast<size_t>(subItem)] : CString();
}

BOOL CListCtrl::DeleteItem(int item) {
    if (!InRange(item, m_rows.size())) return FALSE;
    m_rows.erase(m_rows.begin() + item);
    if (m_nSelected == item)
        m_nSelected = -1;
    else if (m_nSelected > item)
        --m_nSelected;
    Notify(win::Aspect::Structure);
    return TRUE;
}

BOOL CListCtrl::DeleteAllItems() {
    m_rows.clear();
    m_nSelected = -1;
    Notify(win::Aspect::Structure);
    return TRUE;
}

BOOL CListCtrl::GetCheck(int item) const {
    return InRange(item, m_rows.size()) && m_rows[static_cast<size_t>(item)].checked;
}

BOOL CListCtrl::SetCheck(int item, BOOL check) {
    if (!InRange(item, m_rows.size())) return FALSE;
    m_rows[static_cast<size_t>(item)].checked = check != FALSE;
    Notify(win::Aspect::Check);
    return TRUE;
}

int CListCtrl::SetSelectionMark(int item) {
    int old = m_nSelected;
    m_nSelected = InRange(item, m_rows.size()) ? item : -1;
    Notify(win::Aspect::Selection);
    return old;
}

void CListCtrl::UserToggleCheck(int item) {
    if (!IsWindowEnabled() || !InRange(item, m_rows.size())) return;
    SetFocus();
    SetCheck(item, !GetCheck(item));
    NMLISTVIEW nm{};
    nm.hdr.code = LVN_ITEMCHANGED;
    nm.iItem = item;
    nm.uNewState = GetCheck(item) ? 0x2000u : 0x1000u;  // state image 2 = checked, 1 = not
    NotifyParentNm(nm.hdr);
}

LRESULT CListCtrl::UserClick(int item) {
    if (!IsWindowEnabled()) return 0;
    SetFocus();
    SetSelectionMark(item);
    NMLISTVIEW nm{};
    nm.hdr.code = NM_CLICK;
    nm.iItem = item;
    return NotifyParentNm(nm.hdr);
}
