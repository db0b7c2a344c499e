#include "play/DialogText.h"

#include <vector>

#include "host/qxctlset/QXGrid.h"
#include "host/win/Controls.h"
#include "host/win/Dialog.h"
#include "play/ControlAddress.h"

namespace kel::play {
namespace {

bool ShowsValue(win::ControlKind kind) {
    return kind == win::ControlKind::Edit || kind == win::ControlKind::Combo || kind == win::ControlKind::DateTime ||
           kind == win::ControlKind::NumEdit;
}

// Controls that carry their own caption; the others are named by the label in front.
bool HasCaption(win::ControlKind kind) {
    return kind == win::ControlKind::Label || kind == win::ControlKind::GroupBox || kind == win::ControlKind::Button ||
           kind == win::ControlKind::CheckBox || kind == win::ControlKind::Radio;
}

const char* Tick(bool ticked) { return ticked ? "[x]" : "[ ]"; }

// The label that names the next control is shown with that control, not alone.
bool NamesTheNext(const CDialog& dialog, size_t index) {
    const auto& all = dialog.Controls();
    return index + 1 < all.size() && !HasCaption(all[index + 1]->GetKind()) &&
           LabelOf(dialog, *all[index + 1]) == all[index];
}

std::string Joined(const std::vector<std::string>& cells) {
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i) line += (i ? " | " : "") + cells[i];
    return line;
}

struct Rows {
    std::vector<std::string> header;
    std::vector<std::string> rows;  // cells joined, ticks in front
    int current = -1;               // index into rows, -1 = none
};

Rows RowsOf(const CQXGrid& grid) {
    Rows r;
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        std::vector<std::string> cells;
        for (int col = 0; col < grid.GetColumnCount(); ++col)
            if (!grid.IsColumnHidden(col)) cells.push_back(grid.GetDisplayText(row, col).str());
        if (row < grid.GetFixedRowCount())
            r.header.push_back(Joined(cells));
        else
            r.rows.push_back(Joined(cells));
    }
    if (grid.GetRow() >= grid.GetFixedRowCount()) r.current = grid.GetRow() - grid.GetFixedRowCount();
    return r;
}

Rows RowsOf(const CListCtrl& list) {
    Rows r;
    std::vector<std::string> headings;
    for (int col = 0; col < list.GetColumnCount(); ++col)
        if (list.GetColumn(col).width != 0) headings.push_back(list.GetColumn(col).heading.str());
    if (!headings.empty()) r.header.push_back(Joined(headings));
    const bool ticks = (list.GetExtendedStyle() & LVS_EX_CHECKBOXES) != 0;
    for (int item = 0; item < list.GetItemCount(); ++item) {
        std::vector<std::string> cells;
        for (int col = 0; col < list.GetColumnCount(); ++col)
            if (list.GetColumn(col).width != 0) cells.push_back(list.GetItemText(item, col).str());
        r.rows.push_back(ticks ? std::string(Tick(list.GetCheck(item))) + " " + Joined(cells) : Joined(cells));
    }
    r.current = list.GetSelectionMark();
    return r;
}

Rows RowsOf(const CCheckListBox& list) {
    Rows r;
    for (int item = 0; item < list.GetCount(); ++item) {
        CString text;
        list.GetText(item, text);
        r.rows.push_back(std::string(Tick(list.GetCheck(item) != 0)) + " " + text.str());
    }
    r.current = list.GetCurSel();
    return r;
}

void WriteRows(std::ostream& out, const std::string& indent, const Rows& rows, int maxRows) {
    for (const std::string& h : rows.header) out << indent << "  " << h << "\n";
    const int count = static_cast<int>(rows.rows.size());
    for (int i = 0; i < count; ++i) {
        if (maxRows >= 0 && i >= maxRows) {
            out << indent << "  ... " << count << " rows\n";
            break;
        }
        out << indent << "  row " << i + 1 << (i == rows.current ? " (current)" : "") << ": "
            << rows.rows[static_cast<size_t>(i)] << "\n";
    }
}

}  // namespace

std::string Quote(const std::string& text) {
    std::string q = "\"";
    for (char c : text) {
        switch (c) {
            case '"': q += "\\\""; break;
            case '\\': q += "\\\\"; break;
            case '\n': q += "\\n"; break;
            case '\r': q += "\\r"; break;
            case '\t': q += "\\t"; break;
            default: q += c;
        }
    }
    return q + "\"";
}

void WriteDialog(std::ostream& out, const CDialog& dialog, const DialogTextOptions& options) {
    const std::string& in = options.indent;
    out << in << "dialog " << Quote(dialog.GetText().str()) << "\n";
    const auto& all = dialog.Controls();
    const std::vector<CWnd*> lists = ListsOf(dialog);
    auto listNumber = [&](const CWnd* c) {
        for (size_t i = 0; i < lists.size(); ++i)
            if (lists[i] == c) return static_cast<int>(i) + 1;
        return 0;
    };
    for (size_t i = 0; i < all.size(); ++i) {
        const CWnd& c = *all[i];
        const auto kind = c.GetKind();
        if (kind == win::ControlKind::Label && NamesTheNext(dialog, i)) continue;
        out << in << "  " << KindName(c);
        if (int n = listNumber(&c)) out << " " << n;
        if (c.GetDlgCtrlID() > 0) out << " #" << c.GetDlgCtrlID();
        if (HasCaption(kind)) {
            if (!c.GetText().IsEmpty()) out << " " << Quote(c.GetText().str());
        } else if (const CWnd* label = LabelOf(dialog, c); label && !label->GetText().IsEmpty()) {
            out << " " << Quote(label->GetText().str());
        }
        if (ShowsValue(kind)) out << " = " << Quote(c.GetText().str());
        if (kind == win::ControlKind::CheckBox || kind == win::ControlKind::Radio)
            out << " " << Tick(static_cast<const CButton&>(c).GetCheck() == BST_CHECKED);
        if (!c.IsWindowEnabled()) out << " [disabled]";
        if (!c.IsWindowVisible()) out << " [hidden]";
        out << "\n";
    }
    for (size_t i = 0; i < lists.size(); ++i) {
        const CWnd* c = lists[i];
        Rows rows;
        if (auto* grid = dynamic_cast<const CQXGrid*>(c))
            rows = RowsOf(*grid);
        else if (auto* report = dynamic_cast<const CListCtrl*>(c))
            rows = RowsOf(*report);
        else if (auto* check = dynamic_cast<const CCheckListBox*>(c))
            rows = RowsOf(*check);
        out << in << "  " << KindName(*c) << " " << i + 1 << ": " << rows.rows.size() << " rows\n";
        WriteRows(out, in + "  ", rows, options.maxRows);
    }
}

}  // namespace kel::play
