#include "shell/ConsoleDriver.h"

#include <string>

#include "host/qxctlset/QXGrid.h"

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
        if (auto* grid = dynamic_cast<CQXGrid*>(c)) PrintGrid(*grid, indent + "    ");
    }
    dialog.EndDialog(IDCANCEL);
}

// The grid's rows as the user sees them (hidden columns left out), the first ones only.
void ConsoleDriver::PrintGrid(const CQXGrid& grid, const std::string& indent) {
    constexpr int kMaxRows = 30;
    int rows = grid.GetRowCount();
    for (int r = 0; r < rows && r <= kMaxRows; ++r) {
        m_out << indent;
        bool first = true;
        for (int col = 0; col < grid.GetColumnCount(); ++col) {
            if (grid.IsColumnHidden(col)) continue;
            m_out << (first ? "" : " | ") << grid.GetDisplayText(r, col).str();
            first = false;
        }
        m_out << "\n";
    }
    if (rows > kMaxRows + 1) m_out << indent << "... " << rows - 1 << " rows\n";
}

int ConsoleDriver::ShowMessageBox(const win::MessageBoxRequest& request) {
    m_out << "<" << request.text << ">\n";
    return request.DefaultAnswer();
}

}  // namespace kel::shell
