#include "host/win/DialogTemplate.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "host/win/Controls.h"

namespace win {
namespace {

std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}
std::map<int, DialogTemplate>& Templates() {
    static std::map<int, DialogTemplate> t;
    return t;
}
std::map<ControlKind, ControlFactory>& Factories() {
    static std::map<ControlKind, ControlFactory> f;
    return f;
}

}  // namespace

void RegisterTemplate(DialogTemplate dialogTemplate) {
    std::lock_guard lock(RegistryMutex());
    int id = dialogTemplate.id;
    Templates()[id] = std::move(dialogTemplate);
}

const DialogTemplate* FindTemplate(int id) {
    std::lock_guard lock(RegistryMutex());
    auto it = Templates().find(id);
    return it == Templates().end() ? nullptr : &it->second;  // entries are never erased
}

void RegisterControlFactory(ControlKind kind, ControlFactory factory) {
    std::lock_guard lock(RegistryMutex());
    Factories()[kind] = factory;
}

void UnregisterControlFactory(ControlKind kind, ControlFactory factory) {
    std::lock_guard lock(RegistryMutex());
    auto it = Factories().find(kind);
    if (it != Factories().end() && it->second == factory) Factories().erase(it);
}

std::unique_ptr<CWnd> CreateControlModel(ControlKind kind) {
    ControlFactory factory = nullptr;
    {
        std::lock_guard lock(RegistryMutex());
        auto it = Factories().find(kind);
        if (it != Factories().end()) factory = it->second;
    }
    if (factory) return factory();  // outside the lock: a factory may register things itself
    switch (kind) {
        case ControlKind::Label: return std::make_unique<CStatic>();
        case ControlKind::GroupBox:
        case ControlKind::CheckBox:
        case ControlKind::Radio:
        case ControlKind::Button: return std::make_unique<CButton>();
        case ControlKind::Edit: return std::make_unique<CEdit>();
        case ControlKind::Combo: return std::make_unique<CComboBox>();
        case ControlKind::CheckList: return std::make_unique<CCheckListBox>();
        case ControlKind::ReportList: return std::make_unique<CListCtrl>();
        default: return std::make_unique<CWnd>();
    }
}

TemplateBuilder::TemplateBuilder(int id, std::string caption) {
    m_t.id = id;
    m_t.caption = std::move(caption);
}

TemplateBuilder& TemplateBuilder::Push(int id, ControlKind kind, std::string text, DWORD style, Layout layout,
                                       int limit) {
    ControlTemplate c;
    c.id = id;
    c.kind = kind;
    c.text = std::move(text);
    c.style = style;
    c.layout = layout;
    c.limit = limit;
    m_t.controls.push_back(std::move(c));
    return *this;
}

TemplateBuilder& TemplateBuilder::Label(int id, std::string text, int row, int col, int colSpan) {
    return Push(id, ControlKind::Label, std::move(text), 0, {row, col, 1, colSpan});
}
TemplateBuilder& TemplateBuilder::Group(int id, std::string text, int row, int col, int rowSpan, int colSpan) {
    return Push(id, ControlKind::GroupBox, std::move(text), 0, {row, col, rowSpan, colSpan});
}
TemplateBuilder& TemplateBuilder::Edit(int id, int row, int col, int colSpan, DWORD style, int limit) {
    return Push(id, ControlKind::Edit, "", style, {row, col, 1, colSpan}, limit);
}
TemplateBuilder& TemplateBuilder::Combo(int id, int row, int col, int colSpan, DWORD style) {
    return Push(id, ControlKind::Combo, "", style, {row, col, 1, colSpan});
}
TemplateBuilder& TemplateBuilder::Check(int id, std::string text, int row, int col, int colSpan, DWORD style) {
    return Push(id, ControlKind::CheckBox, std::move(text), style, {row, col, 1, colSpan});
}
TemplateBuilder& TemplateBuilder::Radio(int id, std::string text, int row, int col, int colSpan, DWORD style) {
    return Push(id, ControlKind::Radio, std::move(text), style, {row, col, 1, colSpan});
}
TemplateBuilder& TemplateBuilder::Button(int id, std::string text, int row, int col, DWORD style) {
    return Push(id, ControlKind::Button, std::move(text), style, {row, col, 1, 1});
}
TemplateBuilder& TemplateBuilder::CheckList(int id, int row, int col, int rowSpan, int colSpan) {
    return Push(id, ControlKind::CheckList, "", 0, {row, col, rowSpan, colSpan});
}
TemplateBuilder& TemplateBuilder::ReportList(int id, int row, int col, int rowSpan, int colSpan) {
    return Push(id, ControlKind::ReportList, "", 0, {row, col, rowSpan, colSpan});
}
TemplateBuilder& TemplateBuilder::Grid(int id, int row, int col, int rowSpan, int colSpan) {
    return Push(id, ControlKind::Grid, "", 0, {row, col, rowSpan, colSpan});
}
TemplateBuilder& TemplateBuilder::Date(int id, int row, int col, int colSpan, DWORD style) {
    return Push(id, ControlKind::DateTime, "", style, {row, col, 1, colSpan});
}
TemplateBuilder& TemplateBuilder::Number(int id, int row, int col, int colSpan, DWORD style) {
    return Push(id, ControlKind::NumEdit, "", style, {row, col, 1, colSpan});
}
TemplateBuilder& TemplateBuilder::Add(ControlTemplate control) {
    m_t.controls.push_back(std::move(control));
    return *this;
}
TemplateBuilder& TemplateBuilder::Size(int minWidth, int minHeight) {
    if (!m_t.controls.empty()) {
        m_t.controls.back().layout.minWidth = minWidth;
        m_t.controls.back().layout.minHeight = minHeight;
    }
    return *this;
}

std::vector<CWnd*> BottomButtonRow(const std::vector<CWnd*>& controls) {
    int last = -1;
    for (CWnd* c : controls) last = std::max(last, c->GetLayout().row + std::max(1, c->GetLayout().rowSpan) - 1);
    std::vector<CWnd*> row;
    for (CWnd* c : controls) {
        const Layout& l = c->GetLayout();
        if (l.row + std::max(1, l.rowSpan) - 1 < last) continue;
        if (c->GetKind() != ControlKind::Button || l.row != last) return {};
        row.push_back(c);
    }
    std::stable_sort(row.begin(), row.end(), [](CWnd* a, CWnd* b) { return a->GetLayout().col < b->GetLayout().col; });
    return row;
}

}  // namespace win
