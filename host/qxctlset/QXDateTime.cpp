#include "host/qxctlset/QXDateTime.h"

#include <algorithm>
#include <string>

#include "host/qxctlset/DateMask.h"
#include "host/qxctlset/QXControls.h"

namespace {

std::string OnlyDigits(const CString& text) {
    std::string digits;
    for (char c : text.str())
        if (c >= '0' && c <= '9') digits += c;
    return digits;
}

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
    Notify(win::Aspect::Style);
    return TRUE;
}

int CQXDateTime::GetDigitCount() const { return kel::datemask::DigitSlots(m_mask.str()); }

// The text is the one source of the value: program code may also have set it through
// SetWindowText, so it is fitted into the mask when read.
CString CQXDateTime::GetTime() const {
    const std::string& mask = m_mask.str();
    return CString(kel::datemask::Fill(mask, kel::datemask::DigitsFor(mask, m_text.str())));
}

void CQXDateTime::GetTime(CString& value) const { value = GetTime(); }

void CQXDateTime::SetTime(const CString& value) {
    const std::string& mask = m_mask.str();
    SetTextSilently(kel::datemask::Fill(mask, kel::datemask::DigitsFor(mask, value.str())));
    Notify(win::Aspect::Text);
}

bool CQXDateTime::IsComplete() const { return static_cast<int>(OnlyDigits(GetTime()).size()) == GetDigitCount(); }

BOOL CQXDateTime::SetReadOnly(BOOL bReadOnly) {
    ModifyStyle(bReadOnly ? 0 : ES_READONLY, bReadOnly ? ES_READONLY : 0);
    return TRUE;
}

bool CQXDateTime::UserType(const CString& text) {
    if (!IsWindowEnabled() || !IsWindowVisible() || IsReadOnly()) return false;
    std::string digits = OnlyDigits(text);
    digits.resize(std::min(digits.size(), static_cast<size_t>(GetDigitCount())));
    SetFocus();
    SetTextSilently(kel::datemask::Fill(m_mask.str(), digits));
    Notify(win::Aspect::Text);
    NotifyParent(EN_CHANGE);
    return true;
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
