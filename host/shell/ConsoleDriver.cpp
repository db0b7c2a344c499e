#include "host/shell/ConsoleDriver.h"

#include <string>

namespace kel::shell {
namespace {

const char* KindName(win::ControlKind kind) {
    switch (kind) {
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

}  // namespace

void ConsoleDriver::RunModalLoop(CDialog& dialog) {
    std::string indent(static_cast<size_t>(m_depth) * 2, ' ');
    m_out << indent << "[" << dialog.GetText().str() << "]\n";
    for (CWnd* c : dialog.Controls()) {
        m_out << indent << "  " << KindName(c->GetKind());
        if (!c->GetText().IsEmpty()) m_out << " \"" << c->GetText().str() << "\"";
        if (!c->IsWindowEnabled()) m_out << " (disabled)";
        if (!c->IsWindowVisible()) m_out << " (hidden)";
        m_out << "\n";
    }
    dialog.EndDialog(IDCANCEL);
}

int ConsoleDriver::ShowMessageBox(const win::MessageBoxRequest& request) {
    m_out << "<" << request.text << ">\n";
    return request.DefaultAnswer();
}

}  // namespace kel::shell
