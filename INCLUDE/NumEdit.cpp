#include "INCLUDE/NumEdit.h"

#include "host/win/DialogTemplate.h"
#include "host/win/UiDriver.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#endif
#include <algorithm>
#include <clocale>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The first character of a locale text when it is a plain ASCII character.
char FirstAscii(const char* text) {
    if (!text || !*text) return '\0';
    unsigned char c = static_cast<unsigned char>(text[0]);
    return c < 0x80 ? static_cast<char>(c) : '\0';
}

}  // namespace

CNumEdit::CNumEdit() {
    SetKind(win::ControlKind::NumEdit);
    // The separators of the system's default locale.
    char decimal = '\0';
    char group = '\0';
#ifdef _WIN32
    char text[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, sizeof text) > 0) decimal = FirstAscii(text);
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, text, sizeof text) > 0) group = FirstAscii(text);
#else
    if (locale_t loc = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0))) {
        decimal = FirstAscii(nl_langinfo_l(RADIXCHAR, loc));
        group = FirstAscii(nl_langinfo_l(THOUSEP, loc));
        freelocale(loc);
    }
#endif
    m_cDecimal = decimal ? decimal : '.';
    m_cGroup = group ? group : ',';
    if (m_cGroup == m_cDecimal) m_cGroup = ',';
    if (m_cGroup == m_cDecimal) m_cDecimal = '.';
    // A whole text put in at once (a driver replacing it, a platform paste that
    // went round the keys) is read as a paste into the empty field.
    SetInputFilter([this](const CString& text) {
        std::string sign;
        std::string number = ReadPaste(text.str(), false, sign);
        int caret = 0;
        return CString(Shape(sign + number, caret, caret));
    });
}

void CNumEdit::OnControlCreated() { ModifyStyle(ES_MULTILINE, 0); }

void CNumEdit::SetSeparators(char group, char decimal) {
    m_cDecimal = decimal;
    m_cGroup = group == decimal ? ',' : group;
}

void CNumEdit::SetLimits(int width, int decimals) {
    m_nWidth = width;
    m_nDecimals = decimals;
}

int CNumEdit::GetPlainText(CString& text) const {
    const std::string shown = GetText().str();
    text = !m_word.empty() && shown == m_word ? m_wordPlain : RemoveGroups(shown);
    return text.GetLength();
}

void CNumEdit::ShowWord(const CString& word, const CString& plain) {
    m_word = word.str();
    m_wordPlain = plain.str();
    SetWindowText(word);
}

void CNumEdit::LeaveWord() {
    if (m_word.empty() || GetText().str() != m_word) return;
    SetWindowText("");
    SetSel(0, 0);
}

std::string CNumEdit::RemoveGroups(const std::string& text) const {
    std::string plain;
    for (char c : text)
        if (c != m_cGroup) plain += c;
    return plain;
}

CNumEdit::Parts CNumEdit::Split(const std::string& plain) const {
    Parts p;
    size_t i = 0;
    if (!plain.empty() && (plain[0] == '+' || plain[0] == '-')) {
        p.sign = plain.substr(0, 1);
        i = 1;
    }
    size_t dot = plain.find(m_cDecimal, i);
    if (dot == std::string::npos) {
        p.integer = plain.substr(i);
    } else {
        p.integer = plain.substr(i, dot - i);
        p.fraction = plain.substr(dot + 1);
        p.point = true;
    }
    return p;
}

std::string CNumEdit::Shape(const std::string& text, int& selStart, int& selEnd, bool* cut) const {
    // 1. Caret and selection counted without grouping separators.
    auto plainPos = [&](int pos) {
        int n = 0;
        for (int i = 0; i < pos && i < static_cast<int>(text.size()); ++i)
            if (text[static_cast<size_t>(i)] != m_cGroup) ++n;
        return n;
    };
    int start = plainPos(selStart);
    int end = plainPos(selEnd);
    // 2. Split.
    Parts p = Split(RemoveGroups(text));
    // 3. Limits.
    if (m_nWidth >= 0) {
        int maxInteger = m_nDecimals >= 1 ? m_nWidth - m_nDecimals - 1 : m_nWidth;
        if (maxInteger < 0) maxInteger = 0;
        const std::size_t digits = p.integer.size() + p.fraction.size();
        if (static_cast<int>(p.integer.size()) > maxInteger) p.integer.resize(static_cast<size_t>(maxInteger));
        if (m_nDecimals < 1) {
            p.point = false;
            p.fraction.clear();
        } else if (static_cast<int>(p.fraction.size()) > m_nDecimals) {
            p.fraction.resize(static_cast<size_t>(m_nDecimals));
        }
        if (cut) *cut = p.integer.size() + p.fraction.size() < digits;
    }
    std::string plain = p.sign + p.integer + (p.point ? std::string(1, m_cDecimal) + p.fraction : "");
    start = std::min(start, static_cast<int>(plain.size()));
    end = std::min(end, static_cast<int>(plain.size()));
    // 4. Group the integer part: a separator before every third digit from the right.
    std::string grouped;
    int n = static_cast<int>(p.integer.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) grouped += m_cGroup;
        grouped += p.integer[static_cast<size_t>(i)];
    }
    // 5. Put together; the caret goes back to the same digits.
    int signLen = static_cast<int>(p.sign.size());
    auto displayPos = [&](int pos) {
        int k = std::clamp(pos - signLen, 0, n);  // integer digits in front of the position
        int separators = 0;
        for (int i = 1; i < k; ++i)
            if ((n - i) % 3 == 0) ++separators;
        return pos + separators;
    };
    selStart = displayPos(start);
    selEnd = displayPos(end);
    return p.sign + grouped + (p.point ? std::string(1, m_cDecimal) + p.fraction : "");
}

void CNumEdit::Normalise(const std::string& text, int selStart, int selEnd) {
    bool cut = false;
    std::string shown = Shape(text, selStart, selEnd, &cut);
    // Keys keep coming while the field is full: one beep says it.
    if (cut && !m_bToldFull) win::Driver().Beep();
    m_bToldFull = cut;
    Commit(shown, selStart, selEnd);
}

void CNumEdit::Commit(const std::string& text, int selStart, int selEnd) {
    bool changed = text != GetText().str();
    SetWindowText(text.c_str());
    SetSel(selStart, selEnd);
    if (changed) NotifyParent(EN_CHANGE);
}

void CNumEdit::InsertAtCaret(const std::string& insert) {
    int a = 0, b = 0;
    GetSel(a, b);
    std::string text = GetText().str();
    a = std::clamp(a, 0, static_cast<int>(text.size()));
    b = std::clamp(b, a, static_cast<int>(text.size()));
    text.replace(static_cast<size_t>(a), static_cast<size_t>(b - a), insert);
    int caret = a + static_cast<int>(insert.size());
    Normalise(text, caret, caret);
}

void CNumEdit::DeleteRange(int start, int end) {
    std::string text = GetText().str();
    start = std::clamp(start, 0, static_cast<int>(text.size()));
    end = std::clamp(end, start, static_cast<int>(text.size()));
    text.erase(static_cast<size_t>(start), static_cast<size_t>(end - start));
    Normalise(text, start, start);
}

void CNumEdit::OnChar(unsigned ch) {
    if (!IsWindowEnabled() || IsReadOnly()) return;
    char c = static_cast<char>(ch);
    const bool edits = (ch < 0x80 && (IsDigit(c) || c == m_cDecimal || c == '+' || c == '-')) || ch == VK_BACK ||
                       ch == kCtrlX || ch == kCtrlV;
    if (edits) LeaveWord();
    int a = 0, b = 0;
    GetSel(a, b);
    const std::string text = GetText().str();
    if (ch < 0x80 && IsDigit(c)) {
        InsertAtCaret(std::string(1, c));
    } else if (ch == VK_BACK) {
        if (a != b)
            DeleteRange(a, b);
        else if (a > 0)
            DeleteRange(a - 1, a);
    } else if (c == m_cDecimal && ch < 0x80) {
        if (text.find(m_cDecimal) == std::string::npos) InsertAtCaret(std::string(1, c));
    } else if (ch < 0x80 && (c == '+' || c == '-')) {
        if (a == 0 && (text.empty() || (text[0] != '+' && text[0] != '-'))) {
            SetWindowText((std::string(1, c) + text).c_str());
            SetSel(a + 1, b + 1);
            NotifyParent(EN_CHANGE);
        }
    } else if (ch == kCtrlC) {
        if (a != b) win::Clipboard::SetText(CString(text.substr(static_cast<size_t>(a), static_cast<size_t>(b - a))));
    } else if (ch == kCtrlX) {
        if (a != b) {
            win::Clipboard::SetText(CString(text.substr(static_cast<size_t>(a), static_cast<size_t>(b - a))));
            DeleteRange(a, b);
        }
    } else if (ch == kCtrlV) {
        Paste();
    }
    // every other character is ignored
}

void CNumEdit::OnKeyDown(UINT virtualKey) {
    if (!IsWindowEnabled() || IsReadOnly()) return;
    if (virtualKey != VK_DELETE) return;  // Insert is ignored; the rest is the edit's own
    LeaveWord();
    int a = 0, b = 0;
    GetSel(a, b);
    if (a != b)
        DeleteRange(a, b);
    else if (a < GetWindowTextLength())
        DeleteRange(a, a + 1);
}

std::string CNumEdit::ReadPaste(const std::string& clip, bool hasPoint, std::string& sign) const {
    std::string digits;
    sign.clear();
    for (size_t i = 0; i < clip.size(); ++i) {
        char c = clip[i];
        if (IsDigit(c)) {
            digits += c;
        } else if (c == m_cGroup) {
            continue;
        } else if (c == m_cDecimal && !hasPoint) {
            hasPoint = true;
            digits += c;
        } else if ((c == '+' || c == '-') && i == 0) {
            sign = std::string(1, c);
        } else {
            break;
        }
    }
    if (!digits.empty() && digits.back() == m_cDecimal) digits.pop_back();
    return digits;
}

void CNumEdit::Paste() {
    std::string clip = win::Clipboard::GetText().str();
    int a = 0, b = 0;
    GetSel(a, b);
    std::string text = GetText().str();
    // The field keeps its decimal separator if the selection does not remove it.
    std::string kept = text;
    kept.erase(static_cast<size_t>(std::clamp(a, 0, static_cast<int>(kept.size()))),
               static_cast<size_t>(std::max(0, std::min(b, static_cast<int>(kept.size())) - a)));
    std::string sign;
    std::string digits = ReadPaste(clip, kept.find(m_cDecimal) != std::string::npos, sign);
    if (sign.empty()) {
        InsertAtCaret(digits);
        return;
    }
    // A leading sign in the pasted text becomes the number's sign.
    a = std::clamp(a, 0, static_cast<int>(text.size()));
    b = std::clamp(b, a, static_cast<int>(text.size()));
    text.replace(static_cast<size_t>(a), static_cast<size_t>(b - a), digits);
    int caret = a + static_cast<int>(digits.size());
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        text[0] = sign[0];
    } else {
        text.insert(0, sign);
        ++caret;
    }
    Normalise(text, caret, caret);
}

std::unique_ptr<CWnd> CNumEdit::CreateModel() { return std::make_unique<CNumEdit>(); }
