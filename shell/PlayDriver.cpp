#include "shell/PlayDriver.h"

#include <algorithm>

#include "host/fac/FacBooking.h"
#include "host/qxctlset/QXGrid.h"
#include "host/win/Controls.h"
#include "host/win/Dialog.h"
#include "host/win/UserActions.h"
#include "shell/DialogText.h"

namespace kel::shell {
namespace {

// The screen number that answers with the count of waiting items and opens nothing.
constexpr int kCountScreen = 13;

std::vector<int> ButtonsOf(UINT buttons) {
    switch (buttons) {
        case MB_OKCANCEL: return {IDOK, IDCANCEL};
        case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
        case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
        case MB_YESNO: return {IDYES, IDNO};
        case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
        default: return {IDOK};
    }
}

const char* IconName(UINT icon) {
    switch (icon) {
        case MB_ICONHAND: return "Error";
        case MB_ICONQUESTION: return "Question";
        case MB_ICONEXCLAMATION: return "Warning";
        case MB_ICONASTERISK: return "Information";
        default: return "None";
    }
}

std::string ResultName(int result) {
    if (result == IDOK) return "OK";
    if (result == IDCANCEL) return "Cancel";
    return std::to_string(result);
}

std::string In(const CDialog& dialog) { return " in " + Quote(dialog.GetText().str()); }

// The combo item whose whole text, or else whose code (the text before the first
// blank), is `wanted`; -1 with `why` when none or several.
int FindItem(const CComboBox& combo, const std::string& wanted, std::string& why) {
    const auto& items = combo.Items();
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].str() == wanted) return static_cast<int>(i);
    std::vector<int> byCode;
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string& text = items[i].str();
        if (text.substr(0, text.find(' ')) == wanted) byCode.push_back(static_cast<int>(i));
    }
    if (byCode.size() == 1) return byCode.front();
    if (byCode.empty()) {
        why = "no item " + Quote(wanted) + " (items:";
        for (size_t i = 0; i < items.size() && i < 12; ++i) why += " " + Quote(items[i].str());
        why += items.size() > 12 ? " ...)" : ")";
    } else {
        why = std::to_string(byCode.size()) + " items have the code " + Quote(wanted);
    }
    return -1;
}

}  // namespace

PlayDriver::PlayDriver(std::vector<PlayLine> lines, std::ostream& transcript)
    : m_lines(std::move(lines)), m_out(transcript) {}

void PlayDriver::Fail(int line, std::string why) {
    if (!m_error) m_error = ScriptError{line, std::move(why)};
}

std::optional<ScriptError> PlayDriver::Run(const OpenScreen& open) {
    // The host's facultative booking, for as long as the play runs.
    kel::fac::SetBookingHandler([this](const std::string& document, char type) { Booking(document, type); });
    while (!m_error && m_next < m_lines.size()) {
        const PlayLine& line = m_lines[m_next++];
        if (line.command == PlayCommand::Answer) {
            m_answers.push_back({line.answer, line.number});
        } else if (line.command == PlayCommand::Open) {
            m_opened = 0;
            int result = open(line.screen);
            if (line.screen == kCountScreen)
                m_out << "count " << result << "\n";
            else if (m_opened == 0)
                Fail(line, "screen " + std::to_string(line.screen) + " opened no dialog");
        } else {
            Fail(line, std::string(CommandName(line.command)) + ": no dialog is open");
        }
    }
    if (!m_error && !m_answers.empty())
        Fail(m_answers.front().line,
             std::string("answer ") + AnswerName(m_answers.front().answer) + ": no message box came to take it");
    kel::fac::SetBookingHandler(nullptr);
    m_out.flush();
    return m_error;
}

void PlayDriver::Booking(const std::string& document, char type) {
    m_out << "booking " << document << " " << std::string(1, type) << "\n";
}

bool PlayDriver::PrintTable(const CWnd*, const win::PrintJob& job) {
    m_out << "print " << Quote(job.title) << "\n";
    auto line = [&](const std::vector<std::string>& cells) {
        m_out << " ";
        for (const std::string& cell : cells) m_out << " " << Quote(cell);
        m_out << "\n";
    };
    line(job.headers);
    for (const auto& row : job.rows) line(row);
    return true;
}

void PlayDriver::Announce(const CDialog& dialog) {
    m_announced.insert(&dialog);
    ++m_opened;
    m_out << "open " << Quote(dialog.GetText().str()) << "\n";
}

void PlayDriver::Closed(const CDialog& dialog) {
    m_out << "close " << Quote(dialog.GetText().str()) << " " << ResultName(dialog.GetModalResult()) << "\n";
}

void PlayDriver::RunModalLoop(CDialog& dialog) {
    Announce(dialog);
    m_open.push_back(&dialog);
    while (!dialog.IsEnded()) {
        if (m_error || m_next >= m_lines.size()) {  // a failed line, or the script's end
            dialog.EndDialog(IDCANCEL);
            break;
        }
        const PlayLine& line = m_lines[m_next++];
        RunInDialog(line, dialog);
    }
    m_open.pop_back();
    Closed(dialog);
}

// A dialog that ended while it was being set up never reaches its modal loop;
// the transcript still shows that it opened and closed.
void PlayDriver::WindowDestroyed(CWnd& wnd) {
    NoDisplayDriver::WindowDestroyed(wnd);
    auto* dialog = dynamic_cast<CDialog*>(&wnd);
    if (!dialog || m_announced.erase(dialog)) return;
    Announce(*dialog);
    m_announced.erase(dialog);
    Closed(*dialog);
}

int PlayDriver::ShowMessageBox(const win::MessageBoxRequest& request) {
    int answer = request.DefaultAnswer();
    bool queued = false;
    std::optional<QueuedAnswer> wrong;
    if (!m_error && !m_answers.empty()) {
        QueuedAnswer next = m_answers.front();
        m_answers.pop_front();
        const std::vector<int> buttons = ButtonsOf(request.Buttons());
        if (std::find(buttons.begin(), buttons.end(), next.answer) != buttons.end()) {
            answer = next.answer;
            queued = true;
        } else {
            wrong = next;
        }
    }
    // The front end shows the program's name on a box without a caption.
    const std::string caption = request.caption.empty() ? "Kelmor" : request.caption;
    m_out << "message " << Quote(request.text) << " caption " << Quote(caption) << " icon " << IconName(request.Icon())
          << " -> " << AnswerName(answer) << (queued ? "" : " (default)") << "\n";
    if (wrong) {
        std::string offered;
        for (int b : ButtonsOf(request.Buttons())) offered += std::string(offered.empty() ? "" : ", ") + AnswerName(b);
        Fail(wrong->line, std::string("answer ") + AnswerName(wrong->answer) + ": the message box " +
                              Quote(request.text) + " has no such button (it has " + offered + ")");
    }
    return answer;
}

CWnd* PlayDriver::Reach(const PlayLine& line, CDialog& dialog, NameRole role) {
    std::string why;
    CWnd* control = FindControl(dialog, line.control, role, why);
    if (!control) {
        Fail(line, why + In(dialog));
        return nullptr;
    }
    if (!control->IsWindowVisible() || !control->IsWindowEnabled()) {
        Fail(line, Describe(dialog, *control) + (control->IsWindowVisible() ? " is disabled" : " is hidden"));
        return nullptr;
    }
    return control;
}

void PlayDriver::RunInDialog(const PlayLine& line, CDialog& dialog) {
    using win::ControlKind;
    auto refused = [&](CWnd& control, const win::UserResult& result) {
        if (!result) Fail(line, Describe(dialog, control) + " " + result.why);
    };
    switch (line.command) {
        case PlayCommand::Open: Fail(line, "open: a dialog is open: " + Quote(dialog.GetText().str())); return;
        case PlayCommand::Answer: m_answers.push_back({line.answer, line.number}); return;
        case PlayCommand::Show: WriteDialog(m_out, dialog); return;
        case PlayCommand::Key:
            if (line.key == PlayKey::Enter)
                win::user::PressEnter(dialog);
            else if (line.key == PlayKey::Escape)
                win::user::PressEscape(dialog);
            else
                win::user::PressCloseBox(dialog);
            return;
        case PlayCommand::Type: {
            CWnd* field = Reach(line, dialog, NameRole::Field);
            if (!field) return;
            const ControlKind kind = field->GetKind();
            if (kind == ControlKind::Combo) return Fail(line, Describe(dialog, *field) + " is a combo box: use pick");
            if (kind == ControlKind::CheckBox || kind == ControlKind::Radio)
                return Fail(line, Describe(dialog, *field) + " is ticked, not typed into: use check or uncheck");
            win::UserResult typed = win::user::TypeText(*field, CString(line.text));
            if (typed.outcome == win::UserResult::Outcome::WrongKind)
                return Fail(line, Describe(dialog, *field) + " takes no typing");
            refused(*field, typed);
            if (typed) win::user::Leave(*field);
            return;
        }
        case PlayCommand::Pick: {
            CWnd* field = Reach(line, dialog, NameRole::Field);
            if (!field) return;
            auto* combo = dynamic_cast<CComboBox*>(field);
            if (!combo) return Fail(line, Describe(dialog, *field) + " is not a combo box");
            std::string why;
            int index = FindItem(*combo, line.text, why);
            if (index < 0) return Fail(line, Describe(dialog, *field) + ": " + why);
            refused(*field, win::user::Pick(*field, index));
            return;
        }
        case PlayCommand::Check:
        case PlayCommand::Uncheck: {
            CWnd* box = Reach(line, dialog, NameRole::Button);
            if (!box) return;
            const bool wanted = line.command == PlayCommand::Check;
            if (box->GetKind() != ControlKind::CheckBox && box->GetKind() != ControlKind::Radio)
                return Fail(line, Describe(dialog, *box) + " is not a check box or radio button");
            if (!wanted && box->GetKind() == ControlKind::Radio)
                return Fail(line, Describe(dialog, *box) + ": a radio button is unchecked by checking another");
            if ((static_cast<CButton*>(box)->GetCheck() == BST_CHECKED) != wanted)
                refused(*box, win::user::Click(*box));
            return;
        }
        case PlayCommand::Click: {
            CWnd* button = Reach(line, dialog, NameRole::Button);
            if (!button) return;
            win::UserResult clicked = win::user::Click(*button);
            if (clicked.outcome == win::UserResult::Outcome::WrongKind)
                return Fail(line, Describe(dialog, *button) + " is not a button");
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

void PlayDriver::RunOnList(const PlayLine& line, CDialog& dialog) {
    const std::vector<CWnd*> lists = ListsOf(dialog);
    const std::string name = "grid or list " + std::to_string(line.list);
    if (static_cast<size_t>(line.list) > lists.size())
        return Fail(line, "no " + name + In(dialog) + " (it has " + std::to_string(lists.size()) + ")");
    CWnd& control = *lists[static_cast<size_t>(line.list) - 1];
    if (!control.IsWindowVisible() || !control.IsWindowEnabled())
        return Fail(line, name + (control.IsWindowVisible() ? " is disabled" : " is hidden"));
    auto* grid = dynamic_cast<CQXGrid*>(&control);
    auto* report = dynamic_cast<CListCtrl*>(&control);
    auto* checks = dynamic_cast<CCheckListBox*>(&control);
    const std::string command = CommandName(line.command);

    if (line.command == PlayCommand::Sort) {
        if (!grid) return Fail(line, "sort: " + name + " is not a grid");
        // The column by its heading, else by its place among the columns shown.
        std::vector<int> shown;
        for (int col = 0; col < grid->GetColumnCount(); ++col)
            if (!grid->IsColumnHidden(col)) shown.push_back(col);
        int column = -1;
        for (int col : shown)
            if (grid->GetFixedRowCount() > 0 &&
                NormalizeName(grid->GetItemText(0, col).str()) == NormalizeName(line.text))
                column = col;
        if (column < 0 && !line.text.empty() &&
            std::all_of(line.text.begin(), line.text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            size_t place = static_cast<size_t>(std::stoul(line.text.substr(0, 6)));
            if (place >= 1 && place <= shown.size()) column = shown[place - 1];
        }
        if (column < 0) return Fail(line, "sort: " + name + " has no column " + Quote(line.text));
        win::user::ClickHeader(control, column);
        return;
    }

    const int rows = grid     ? grid->GetRowCount() - grid->GetFixedRowCount()
                     : report ? report->GetItemCount()
                     : checks ? checks->GetCount()
                              : 0;
    if (line.row > rows)
        return Fail(line,
                    command + ": " + name + " has " + std::to_string(rows) + " rows, not " + std::to_string(line.row));
    const int index = line.row - 1;  // items of lists count from 0
    switch (line.command) {
        case PlayCommand::Select:
            if (grid) return static_cast<void>(win::user::ClickRow(control, grid->GetFixedRowCount() + index));
            if (report) return static_cast<void>(win::user::ClickItem(control, index));
            return Fail(line, "select: " + name + " is a check list: use tick or untick");
        case PlayCommand::Double:
            if (grid) return static_cast<void>(win::user::DoubleClickRow(control, grid->GetFixedRowCount() + index));
            return Fail(line, "double: " + name + " takes no double click");
        case PlayCommand::Tick:
        case PlayCommand::Untick: {
            const bool wanted = line.command == PlayCommand::Tick;
            bool ticked = false;
            if (checks)
                ticked = checks->GetCheck(index) != 0;
            else if (report && (report->GetExtendedStyle() & LVS_EX_CHECKBOXES))
                ticked = report->GetCheck(index) != FALSE;
            else
                return Fail(line, command + ": " + name + " has no check boxes");
            if (ticked != wanted) win::user::ToggleItem(control, index);
            return;
        }
        default: return;
    }
}

}  // namespace kel::shell
