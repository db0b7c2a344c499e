#include "play/PlayDriver.h"

#include "host/qxctlset/QXGrid.h"
#include "host/win/Controls.h"
#include "host/win/Dialog.h"
#include "host/win/UserActions.h"
#include "play/DialogText.h"

namespace kel::play {

PlayDriver::PlayDriver(std::vector<PlayLine> lines, std::ostream& transcript)
    : m_course(std::move(lines), transcript) {}

bool PlayDriver::PrintTable(const CWnd*, const win::PrintJob& job) {
    m_course.Print(job);
    return true;
}

void PlayDriver::RunModalLoop(CDialog& dialog) {
    m_course.Opened(dialog);
    while (!dialog.IsEnded()) {
        const PlayLine* line = m_course.Next(dialog);
        if (!line) {  // a failed line, or the script's end
            dialog.EndDialog(IDCANCEL);
            break;
        }
        RunInDialog(*line, dialog);
    }
    m_course.Closed(dialog);
}

// A dialog that ended while it was being set up never reaches its modal loop;
// the transcript still shows that it opened and closed.
void PlayDriver::WindowDestroyed(CWnd& wnd) {
    NoDisplayDriver::WindowDestroyed(wnd);
    if (auto* dialog = dynamic_cast<CDialog*>(&wnd)) m_course.Destroyed(*dialog);
}

int PlayDriver::ShowMessageBox(const win::MessageBoxRequest& request) {
    // The front end shows the program's name on a box without a caption.
    return m_course.MessageBox(request.text, request.caption.empty() ? "Kelmor" : request.caption,
                               IconName(request.Icon()), request.Answers(), request.DefaultAnswer());
}

void PlayDriver::RunInDialog(const PlayLine& line, CDialog& dialog) {
    using win::ControlKind;
    auto refused = [&](CWnd& control, const win::UserResult& result) {
        if (!result) m_course.Fail(line, Describe(dialog, control) + " " + result.why);
    };
    switch (line.command) {
        case PlayCommand::Open:
        case PlayCommand::Answer: return;  // taken by the course
        case PlayCommand::Show: m_course.Show(dialog); return;
        case PlayCommand::Key:
            if (IsRowKey(line.key)) return MoveRow(line, dialog);
            if (line.key == PlayKey::Tab || line.key == PlayKey::BackTab) return MoveFocus(line, dialog);
            if (line.key == PlayKey::Space) return PressFocused(line, dialog);
            if (line.key == PlayKey::Alt) return PressLetter(line, dialog);
            if (line.key == PlayKey::Enter)
                win::user::PressEnter(dialog);
            else if (line.key == PlayKey::Escape)
                win::user::PressEscape(dialog);
            else
                win::user::PressCloseBox(dialog);
            return;
        case PlayCommand::Type: {
            // Without a field's name: where the focus is, the person tabs on by key.
            const bool named = line.control.Named();
            CWnd* field = named ? m_course.Reach(line, dialog, NameRole::Field)
                                : m_course.ReachFocused(line, dialog, dialog.GetFocusItem());
            if (!field) return;
            const ControlKind kind = field->GetKind();
            if (kind == ControlKind::Combo)
                return m_course.Fail(line, Describe(dialog, *field) + " is a combo box: use pick");
            if (kind == ControlKind::CheckBox || kind == ControlKind::Radio)
                return m_course.Fail(line,
                                     Describe(dialog, *field) + " is ticked, not typed into: use check or uncheck");
            win::UserResult typed = win::user::TypeText(*field, CString(line.text));
            if (typed.outcome == win::UserResult::Outcome::WrongKind)
                return m_course.Fail(line, Describe(dialog, *field) + " takes no typing");
            refused(*field, typed);
            if (typed && named) win::user::Leave(*field);
            return;
        }
        case PlayCommand::Pick: {
            CWnd* field = m_course.Reach(line, dialog, NameRole::Field);
            if (!field) return;
            int index = m_course.ItemFor(line, dialog, *field);
            if (index < 0) return;
            win::UserResult picked = win::user::Pick(*field, index);
            refused(*field, picked);
            if (picked) win::user::Leave(*field);  // and moves on, as after typing
            return;
        }
        case PlayCommand::Check:
        case PlayCommand::Uncheck: {
            CWnd* box = m_course.Reach(line, dialog, NameRole::Button);
            if (!box) return;
            const bool wanted = line.command == PlayCommand::Check;
            if (box->GetKind() != ControlKind::CheckBox && box->GetKind() != ControlKind::Radio)
                return m_course.Fail(line, Describe(dialog, *box) + " is not a check box or radio button");
            if (!wanted && box->GetKind() == ControlKind::Radio)
                return m_course.Fail(line,
                                     Describe(dialog, *box) + ": a radio button is unchecked by checking another");
            if ((static_cast<CButton*>(box)->GetCheck() == BST_CHECKED) != wanted)
                refused(*box, win::user::Click(*box));
            return;
        }
        case PlayCommand::Click: {
            CWnd* button = m_course.Reach(line, dialog, NameRole::Button);
            if (!button) return;
            win::UserResult clicked = win::user::Click(*button);
            if (clicked.outcome == win::UserResult::Outcome::WrongKind)
                return m_course.Fail(line, Describe(dialog, *button) + " is not a button");
            refused(*button, clicked);
            return;
        }
        case PlayCommand::Select:
        case PlayCommand::Double:
        case PlayCommand::Tick:
        case PlayCommand::Untick:
        case PlayCommand::Sort: RunOnList(line, dialog); return;
    }
}

namespace {

// Where a row key leads from `current` (-1: none) among `count` rows, as a list
// view's keys go: without a current row to the first (End: the last), and no
// further than the ends. -1 when there are no rows.
int RowAfterKey(int current, int count, PlayKey key) {
    if (count <= 0) return -1;
    if (current < 0 || current >= count) return key == PlayKey::End ? count - 1 : 0;
    switch (key) {
        case PlayKey::Down: return current + 1 < count ? current + 1 : current;
        case PlayKey::Up: return current > 0 ? current - 1 : current;
        case PlayKey::Home: return 0;
        case PlayKey::End: return count - 1;
        default: return current;
    }
}

}  // namespace

namespace {

bool IsTextOrCombo(const CWnd& control) {
    return IsTextKind(control.GetKind()) || control.GetKind() == win::ControlKind::Combo;
}

// The tab stop a person reaches from `from` (null: none) going forward or back,
// round the dialog in template order; null when there is none.
CWnd* NextTabStop(const CDialog& dialog, const CWnd* from, bool back) {
    const std::vector<CWnd*>& order = dialog.Controls();
    const size_t n = order.size();
    size_t at = n;
    for (size_t i = 0; i < n; ++i)
        if (order[i] == from) at = i;
    for (size_t step = 1; step <= n; ++step) {
        size_t i = at == n ? (back ? n - step : step - 1) : (back ? at + n - step : at + step) % n;
        CWnd* c = order[i % n];
        if (IsTabStop(*c) && c->IsWindowVisible() && c->IsWindowEnabled()) return c;
    }
    return nullptr;
}

}  // namespace

// The focus goes on, then the field it left is told, as the system's focus moves:
// a field that takes the focus back (a message about it) keeps it.
void PlayDriver::MoveFocus(const PlayLine& line, CDialog& dialog) {
    CWnd* from = dialog.GetFocusItem();
    CWnd* to = NextTabStop(dialog, from, line.key == PlayKey::BackTab);
    if (!to)
        return m_course.Fail(
            line, KeyLineName(line) + ": no control takes the focus" + " in " + Quote(dialog.GetText().str()));
    if (to == from) return;
    to->SetFocus();
    if (from && IsTextOrCombo(*from) && from->IsWindowVisible() && from->IsWindowEnabled()) win::user::Leave(*from);
}

void PlayDriver::PressFocused(const PlayLine& line, CDialog& dialog) {
    CWnd* focused = m_course.ReachFocused(line, dialog, dialog.GetFocusItem());
    if (!focused) return;
    if (!IsButtonKind(focused->GetKind()))
        return m_course.Fail(
            line, KeyLineName(line) + ": the focus is on " + Describe(dialog, *focused) + ", not on a button");
    win::user::Click(*focused);
}

// As the system's dialog does: the one control whose caption underlines the letter;
// a button is pressed, a label sends the focus to the control after it.
void PlayDriver::PressLetter(const PlayLine& line, CDialog& dialog) {
    std::vector<CWnd*> found;
    for (CWnd* c : dialog.Controls()) {
        if (!c->IsWindowVisible() || !c->IsWindowEnabled()) continue;
        if (IsTextOrCombo(*c) || IsListKind(c->GetKind())) continue;  // their text is the person's
        if (MnemonicOf(c->GetText().str()) == line.text[0]) found.push_back(c);
    }
    if (found.size() != 1)
        return m_course.Fail(line, KeyLineName(line) + ": " +
                                       (found.empty() ? std::string("no control underlines")
                                                      : std::to_string(found.size()) + " controls underline") +
                                       " the letter in " + Quote(dialog.GetText().str()));
    CWnd& control = *found.front();
    if (IsButtonKind(control.GetKind())) {
        if (control.GetKind() != win::ControlKind::Button) control.SetFocus();
        win::user::Click(control);
        return;
    }
    if (CWnd* next = NextTabStop(dialog, &control, false)) {
        CWnd* from = dialog.GetFocusItem();
        next->SetFocus();
        if (from && from != next && IsTextOrCombo(*from)) win::user::Leave(*from);
    }
}

// The row reached is clicked, as the native list views tell their models of a row
// the keys reached; a check list only moves its current item.
void PlayDriver::MoveRow(const PlayLine& line, CDialog& dialog) {
    CWnd* focused = nullptr;
    for (CWnd* control : dialog.Controls())
        if (control->HasFocus()) focused = control;
    CWnd* list = m_course.ReachFocusedList(line, dialog, focused);
    if (!list) return;
    if (auto* grid = dynamic_cast<CQXGrid*>(list)) {
        const int fixed = grid->GetFixedRowCount();
        const int current = grid->GetRow() >= fixed ? grid->GetRow() - fixed : -1;
        const int row = RowAfterKey(current, grid->GetRowCount() - fixed, line.key);
        if (row >= 0 && row != current) win::user::ClickRow(*grid, row + fixed);
    } else if (auto* report = dynamic_cast<CListCtrl*>(list)) {
        const int current = report->GetSelectionMark();
        const int item = RowAfterKey(current, report->GetItemCount(), line.key);
        if (item >= 0 && item != current) win::user::ClickItem(*report, item);
    } else if (auto* checks = dynamic_cast<CCheckListBox*>(list)) {
        const int current = checks->GetCurSel();
        const int item = RowAfterKey(current, checks->GetCount(), line.key);
        if (item >= 0 && item != current) checks->SetCurSel(item);
    }
}

void PlayDriver::RunOnList(const PlayLine& line, CDialog& dialog) {
    CWnd* control = m_course.ReachList(line, dialog);
    if (!control) return;
    auto* grid = dynamic_cast<CQXGrid*>(control);
    const int index = line.row - 1;  // items of lists count from 0
    switch (line.command) {
        case PlayCommand::Sort:
            if (int column = m_course.ColumnFor(line, *control); column >= 0) win::user::ClickHeader(*control, column);
            return;
        case PlayCommand::Select:
            if (grid)
                win::user::ClickRow(*control, grid->GetFixedRowCount() + index);
            else
                win::user::ClickItem(*control, index);
            return;
        case PlayCommand::Double: win::user::DoubleClickRow(*control, grid->GetFixedRowCount() + index); return;
        case PlayCommand::Tick:
        case PlayCommand::Untick: {
            const bool wanted = line.command == PlayCommand::Tick;
            bool ticked = false;
            if (auto* checks = dynamic_cast<CCheckListBox*>(control))
                ticked = checks->GetCheck(index) != 0;
            else
                ticked = static_cast<CListCtrl*>(control)->GetCheck(index) != FALSE;
            if (ticked == wanted) return;
            // A click on the row's check box: a report list's row becomes current
            // as well, as the system's list view makes it.
            auto* report = dynamic_cast<CListCtrl*>(control);
            if (report && report->GetSelectionMark() != index) win::user::ClickItem(*control, index);
            win::user::ToggleItem(*control, index);
            return;
        }
        default: return;
    }
}

}  // namespace kel::play
