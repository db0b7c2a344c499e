#include "host/qxctlset/QXDateTime.h"

#include <algorithm>
#include <string>

#include "host/qxctlset/DateMask.h"
#include "host/qxctlset/QXControls.h"

namespace {

bool IsDigit(unsigned ch) { return ch >= '0' && ch <= '9'; }

std::string OnlyDigits(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (IsDigit(static_cast<unsigned char>(c))) digits += c;
    return digits;
}

static_assert(CQXDateTime::kBlank == kel::datemask::kBlank);

}  // namespace

CQXDateTime::CQXDateTime() {
    RegisterQXControls();
    SetKind(win::ControlKind::DateTime);
}

BOOL CQXDateTime::Format(LPCTSTR mask, int) {
    CString newMask(mask);
    if (kel::datemask::DigitSlots(newMask.str()) == 0) return FALSE;
    CString value = GetTime();
    m_mask = newMask;
    // Refit what the field held under the old mask into the new one.
    SetTextSilently(kel::datemask::Fill(m_mask.str(), kel::datemask::DigitsFor(m_mask.str(), value.str())));
    m_nSelStart = m_nSelEnd = std::min(m_nSelStart, GetWindowTextLength());
    Notify(win::Aspect::Style);
    return TRUE;
}

int CQXDateTime::GetDigitCount() const { return kel::datemask::DigitSlots(m_mask.str()); }

// The text is the one source of the value: program code may also have set it through
// SetWindowText, so it is read through the mask.
std::string CQXDateTime::Places() const { return kel::datemask::PlacesOf(m_mask.str(), m_text.str()); }

CString CQXDateTime::GetTime() const { return CString(kel::datemask::Show(m_mask.str(), Places())); }

void CQXDateTime::GetTime(CString& value) const { value = GetTime(); }

void CQXDateTime::SetTime(const CString& value) {
    const std::string& mask = m_mask.str();
    SetTextSilently(kel::datemask::Fill(mask, kel::datemask::DigitsFor(mask, value.str())));
    m_nSelStart = m_nSelEnd = GetWindowTextLength();
    Notify(win::Aspect::Text);
}

bool CQXDateTime::IsComplete() const { return Places().find(kBlank) == std::string::npos; }

BOOL CQXDateTime::SetReadOnly(BOOL bReadOnly) {
    ModifyStyle(bReadOnly ? 0 : ES_READONLY, bReadOnly ? ES_READONLY : 0);
    return TRUE;
}

void CQXDateTime::GetSel(int& start, int& end) const {
    const int len = static_cast<int>(GetTime().str().size());
    start = std::min(m_nSelStart, len);
    end = std::min(m_nSelEnd, len);
}

bool CQXDateTime::UserType(const CString& text) {
    if (!Editable() || !IsWindowVisible()) return false;
    std::string places = kel::datemask::PlacesOf(m_mask.str(), text.str());
    if (kel::datemask::Show(m_mask.str(), places) != text.str()) {
        // Not in the mask's shape: its digits, in order.
        std::string digits = OnlyDigits(text.str());
        digits.resize(std::min(digits.size(), static_cast<size_t>(GetDigitCount())));
        places = digits + std::string(static_cast<size_t>(GetDigitCount()) - digits.size(), kBlank);
    }
    SetFocus();
    Commit(places, static_cast<int>(m_mask.GetLength()));
    return true;
}

// ---- the keyboard

std::vector<int> CQXDateTime::PlacePositions() const {
    std::vector<int> positions;
    const std::string& mask = m_mask.str();
    for (size_t i = 0; i < mask.size(); ++i)
        if (mask[i] == '#') positions.push_back(static_cast<int>(i));
    return positions;
}

void CQXDateTime::SetCaret(int selStart, int selEnd) {
    const int len = GetWindowTextLength();
    m_nSelStart = std::clamp(selStart, 0, len);
    m_nSelEnd = std::clamp(selEnd, m_nSelStart, len);
    Notify(win::Aspect::Selection);
}

void CQXDateTime::ClearRange(std::string& places, int start, int end) const {
    const std::vector<int> positions = PlacePositions();
    for (size_t i = 0; i < positions.size(); ++i)
        if (positions[i] >= start && positions[i] < end) places[i] = kBlank;
}

void CQXDateTime::Commit(const std::string& places, int caret) {
    const CString shown(kel::datemask::Show(m_mask.str(), places));
    const bool changed = shown != m_text;
    SetTextSilently(shown);
    m_nSelStart = m_nSelEnd = std::clamp(caret, 0, shown.GetLength());
    Notify(win::Aspect::Text);
    Notify(win::Aspect::Selection);
    if (changed) NotifyParent(EN_CHANGE);
}

void CQXDateTime::OnChar(unsigned ch) {
    if (!Editable() && ch != kCtrlC) return;
    std::string places = Places();
    const std::vector<int> positions = PlacePositions();
    int a = m_nSelStart, b = m_nSelEnd;
    if (IsDigit(ch)) {
        ClearRange(places, a, b);
        auto place = std::lower_bound(positions.begin(), positions.end(), a);
        if (place == positions.end()) return;  // every place after the caret is taken
        places[static_cast<size_t>(place - positions.begin())] = static_cast<char>(ch);
        Commit(places, *place + 1);
    } else if (ch == VK_BACK) {
        if (a != b) {
            ClearRange(places, a, b);
            Commit(places, a);
            return;
        }
        auto place = std::lower_bound(positions.begin(), positions.end(), a);
        if (place == positions.begin()) return;
        --place;
        places[static_cast<size_t>(place - positions.begin())] = kBlank;
        Commit(places, *place);
    } else if (ch == kCtrlC || ch == kCtrlX) {
        if (a == b) return;
        win::Clipboard::SetText(GetTime().Mid(a, b - a));
        if (ch == kCtrlX) {
            ClearRange(places, a, b);
            Commit(places, a);
        }
    } else if (ch == kCtrlV) {
        const std::string clip = win::Clipboard::GetText().str();
        std::string digits;
        if (a == 0 && (b >= GetWindowTextLength() || GetWindowTextLength() == 0)) {
            // Over the whole field a date is read as a date ("2024-1-5").
            digits = kel::datemask::DigitsFor(m_mask.str(), clip);
            places.assign(places.size(), kBlank);
        } else {
            digits = OnlyDigits(clip);
            ClearRange(places, a, b);
        }
        int caret = a;
        auto place = std::lower_bound(positions.begin(), positions.end(), a);
        for (char d : digits) {
            if (place == positions.end()) break;
            places[static_cast<size_t>(place - positions.begin())] = d;
            caret = *place++ + 1;
        }
        Commit(places, caret);
    }
    // separators and every other character: nothing
}

void CQXDateTime::OnKeyDown(UINT virtualKey) {
    const int len = GetWindowTextLength();
    switch (virtualKey) {
        case VK_LEFT: {
            const int to = m_nSelStart == m_nSelEnd ? std::max(0, m_nSelStart - 1) : m_nSelStart;
            SetCaret(to, to);
            return;
        }
        case VK_RIGHT: {
            const int to = m_nSelStart == m_nSelEnd ? std::min(len, m_nSelEnd + 1) : m_nSelEnd;
            SetCaret(to, to);
            return;
        }
        case VK_HOME: SetCaret(0, 0); return;
        case VK_END: SetCaret(len, len); return;
        case VK_DELETE: break;
        default: return;
    }
    if (!Editable()) return;
    std::string places = Places();
    const int a = m_nSelStart, b = m_nSelEnd;
    if (a != b) {
        ClearRange(places, a, b);
    } else {
        const std::vector<int> positions = PlacePositions();
        auto place = std::lower_bound(positions.begin(), positions.end(), a);
        if (place == positions.end()) return;
        places[static_cast<size_t>(place - positions.begin())] = kBlank;
    }
    Commit(places, a);
}

void DDX_QXDateTime(CDataExchange* pDX, int nIDC, CString& value) {
    if (!pDX || !pDX->m_pDlgWnd) return;
    CWnd* item = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (!item) return;
    auto* field = dynamic_cast<CQXDateTime*>(item);
    if (pDX->m_bSaveAndValidate) {
        if (field)
            field->GetTime(value);
        else
            item->GetWindowText(value);
    } else {
        if (field)
            field->SetTime(value);
        else
            item->SetWindowText(value);
    }
}
