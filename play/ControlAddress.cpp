#include "play/ControlAddress.h"

#include <cctype>

#include "host/win/Controls.h"
#include "host/win/Dialog.h"

namespace kel::play {
namespace {

constexpr const char* kFullWidthBlank = "\xE3\x80\x80";  // U+3000
constexpr const char* kFullWidthColon = "\xEF\xBC\x9A";  // U+FF1A
constexpr const char* kEllipsis = "\xE2\x80\xA6";        // U+2026

bool EndsWith(const std::string& s, const char* tail) {
    std::string t(tail);
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

bool IsAsciiAlnum(char c) { return c > 0 && std::isalnum(static_cast<unsigned char>(c)); }

// "[&A]", "(&A)", "[A]" or "(A)" at `i`: its length, else 0.
size_t MnemonicAt(const std::string& s, size_t i) {
    char open = s[i];
    if (open != '[' && open != '(') return 0;
    char close = open == '[' ? ']' : ')';
    size_t j = i + 1;
    if (j < s.size() && s[j] == '&') ++j;
    if (j + 1 < s.size() && IsAsciiAlnum(s[j]) && s[j + 1] == close) return j + 2 - i;
    return 0;
}

bool IsLabel(const CWnd& w) { return w.GetKind() == win::ControlKind::Label; }

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string Normalize(const std::string& text, bool ampersandMarks) {
    std::string s;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
        } else if (text.compare(i, 3, kFullWidthBlank) == 0) {
            i += 3;
        } else if (size_t n = MnemonicAt(text, i)) {
            i += n;
        } else if (ampersandMarks && text[i] == '&') {  // the mark of the next letter; "&&" is a plain ampersand
            if (i + 1 < text.size() && text[i + 1] == '&') {
                s += '&';
                ++i;
            }
            ++i;
        } else {
            s += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
            ++i;
        }
    }
    for (bool cut = true; cut;) {
        cut = false;
        for (const char* tail : {"...", kEllipsis, ":", kFullWidthColon}) {
            if (EndsWith(s, tail) && s.size() > std::string(tail).size()) {
                s.resize(s.size() - std::string(tail).size());
                cut = true;
            }
        }
    }
    return s;
}

}  // namespace

std::string NormalizeName(const std::string& text) { return Normalize(text, true); }

std::string NormalizeShownName(const std::string& text) { return Normalize(text, false); }

const CWnd* LabelOf(const CDialog& dialog, const CWnd& control) {
    const auto& all = dialog.Controls();
    for (size_t i = 1; i < all.size(); ++i)
        if (all[i] == &control) return IsLabel(*all[i - 1]) ? all[i - 1] : nullptr;
    return nullptr;
}

const char* KindName(const CWnd& control) {
    switch (control.GetKind()) {
        case win::ControlKind::Label: return "label";
        case win::ControlKind::GroupBox: return "group";
        case win::ControlKind::Edit: return "edit";
        case win::ControlKind::Combo: return "combo";
        case win::ControlKind::CheckBox: return "check";
        case win::ControlKind::Radio: return "radio";
        case win::ControlKind::Button: return "button";
        case win::ControlKind::CheckList: return "check list";
        case win::ControlKind::ReportList: return "list";
        case win::ControlKind::Grid: return "grid";
        case win::ControlKind::DateTime: return "date";
        case win::ControlKind::NumEdit: return "number";
        default: return "window";
    }
}

std::string Describe(const CDialog& dialog, const CWnd& control) {
    std::string text = KindName(control);
    if (IsButtonKind(control.GetKind()) && !control.GetText().IsEmpty())
        return text + " " + Quoted(control.GetText().str());
    if (const CWnd* label = LabelOf(dialog, control); label && !label->GetText().IsEmpty())
        return text + " " + Quoted(label->GetText().str());
    return text + " #" + std::to_string(control.GetDlgCtrlID());
}

CWnd* FindControl(const CDialog& dialog, const ControlName& name, NameRole role, std::string& why) {
    if (name.text.empty()) {
        CWnd* item = name.id ? dialog.GetDlgItem(name.id) : nullptr;
        if (!item) why = "no control #" + std::to_string(name.id);
        return item;
    }
    const std::string wanted = NormalizeShownName(name.text);
    std::vector<CWnd*> found;
    auto byLabel = [&] {
        for (CWnd* c : dialog.Controls()) {
            if (IsLabel(*c) || c->GetKind() == win::ControlKind::GroupBox) continue;
            const CWnd* label = LabelOf(dialog, *c);
            if (label && NormalizeName(label->GetText().str()) == wanted) found.push_back(c);
        }
    };
    if (role == NameRole::Button) {
        for (CWnd* c : dialog.Controls())
            if (IsButtonKind(c->GetKind()) && NormalizeName(c->GetText().str()) == wanted) found.push_back(c);
    }
    if (found.empty()) byLabel();
    if (found.size() > 1) {  // what the person cannot see does not compete with what they can
        std::vector<CWnd*> visible;
        for (CWnd* c : found)
            if (c->IsWindowVisible()) visible.push_back(c);
        if (!visible.empty()) found = visible;
    }
    if (found.size() == 1) return found.front();
    if (found.empty()) {
        why = std::string(role == NameRole::Button ? "no button " : "no field ") + Quoted(name.text);
    } else {
        why = std::to_string(found.size()) + " controls match " + Quoted(name.text) + ":";
        for (size_t i = 0; i < found.size(); ++i) {
            std::string one = Describe(dialog, *found[i]);
            if (one.find(" #") == std::string::npos) one += " #" + std::to_string(found[i]->GetDlgCtrlID());
            why += (i ? ", " : " ") + one;
        }
    }
    return nullptr;
}

bool IsButtonKind(win::ControlKind kind) {
    return kind == win::ControlKind::Button || kind == win::ControlKind::CheckBox || kind == win::ControlKind::Radio;
}

bool IsTextKind(win::ControlKind kind) {
    return kind == win::ControlKind::Edit || kind == win::ControlKind::NumEdit || kind == win::ControlKind::DateTime;
}

bool IsListKind(win::ControlKind kind) {
    return kind == win::ControlKind::Grid || kind == win::ControlKind::ReportList ||
           kind == win::ControlKind::CheckList;
}

std::vector<CWnd*> ListsOf(const CDialog& dialog) {
    std::vector<CWnd*> lists;
    for (CWnd* c : dialog.Controls())
        if (IsListKind(c->GetKind())) lists.push_back(c);
    return lists;
}

}  // namespace kel::play
