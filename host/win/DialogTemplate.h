// Dialog templates: the equivalent of dialog resources. A template is data; both
// drivers build the dialog from it, and the dialog runtime creates one control model
// per entry.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/win/Wnd.h"

namespace win {

struct ControlTemplate {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    std::string text;  // label, button or group caption; initial text of an edit
    DWORD style = 0;   // WS_DISABLED, WS_INVISIBLE, WS_GROUP, ES_..., BS_DEFPUSHBUTTON, ...
    Layout layout;
    int limit = 0;  // edits: maximum characters, 0 = none
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    std::vector<ControlTemplate> controls;
};

// Registers a template under its ID; a later registration of the same ID replaces it.
void RegisterTemplate(DialogTemplate dialogTemplate);
// The template with that ID, or null.
const DialogTemplate* FindTemplate(int id);

// A little builder so that screens describe their templates readably.
class TemplateBuilder {
public:
    TemplateBuilder(int id, std::string caption);
    TemplateBuilder& Label(int id, std::string text, int row, int col, int colSpan = 1);
    TemplateBuilder& Group(int id, std::string text, int row, int col, int rowSpan, int colSpan);
    TemplateBuilder& Edit(int id, int row, int col, int colSpan = 1, DWORD style = 0, int limit = 0);
    TemplateBuilder& Combo(int id, int row, int col, int colSpan = 1, DWORD style = CBS_DROPDOWNLIST);
    TemplateBuilder& Check(int id, std::string text, int row, int col, int colSpan = 1, DWORD style = 0);
    TemplateBuilder& Radio(int id, std::string text, int row, int col, int colSpan = 1, DWORD style = 0);
    TemplateBuilder& Button(int id, std::string text, int row, int col, DWORD style = 0);
    TemplateBuilder& CheckList(int id, int row, int col, int rowSpan, int colSpan);
    TemplateBuilder& ReportList(int id, int row, int col, int rowSpan, int colSpan);
    TemplateBuilder& Grid(int id, int row, int col, int rowSpan, int colSpan);
    TemplateBuilder& Date(int id, int row, int col, int colSpan = 1, DWORD style = 0);
    TemplateBuilder& Number(int id, int row, int col, int colSpan = 1, DWORD style = 0);
    TemplateBuilder& Add(ControlTemplate control);
    // The last added control's extra pixels (e.g. a wide grid).
    TemplateBuilder& Size(int minWidth, int minHeight);
    DialogTemplate Build() const { return m_t; }
    void Register() const { RegisterTemplate(m_t); }

private:
    TemplateBuilder& Push(int id, ControlKind kind, std::string text, DWORD style, Layout layout, int limit = 0);
    DialogTemplate m_t;
};

// The last template row when it holds push buttons only (no other control reaches
// into it), left to right: the dialog's own buttons, which both drivers keep in view
// under a form that scrolls. Empty when the last row holds anything else.
std::vector<CWnd*> BottomButtonRow(const std::vector<CWnd*>& controls);

// Creates the model object for a control kind; kinds without a factory get a plain
// CWnd of that kind. Control libraries register their kinds (grid, date, number).
// Plain function pointers: a library that registers one and is unloaded later must
// leave nothing behind whose clean-up runs its code; it unregisters when it goes.
using ControlFactory = std::unique_ptr<CWnd> (*)();
void RegisterControlFactory(ControlKind kind, ControlFactory factory);
void UnregisterControlFactory(ControlKind kind, ControlFactory factory);
std::unique_ptr<CWnd> CreateControlModel(ControlKind kind);

}  // namespace win
