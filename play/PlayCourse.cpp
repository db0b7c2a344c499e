#include "play/PlayCourse.h"

#include <algorithm>

#include "host/fac/FacBooking.h"
#include "host/qxctlset/QXGrid.h"
#include "host/win/Controls.h"
#include "host/win/Dialog.h"
#include "play/DialogText.h"

namespace kel::play {
namespace {

// The screen number that answers with the count of waiting items and opens nothing.
constexpr int kCountScreen = 13;

std::string ResultName(int result) {
    if (result == IDOK) return "OK";
    if (result == IDCANCEL) return "Cancel";
    return std::to_string(result);
}

std::string In(const CDialog& dialog) { return " in " + Quote(dialog.GetText().str()); }

}  // namespace

const char* IconName(UINT icon) {
    switch (icon) {
        case MB_ICONHAND: return "Error";
        case MB_ICONQUESTION: return "Question";
        case MB_ICONEXCLAMATION: return "Warning";
        case MB_ICONASTERISK: return "Information";
        default: return "None";
    }
}

bool IsTabStop(const CWnd& control) {
    using win::ControlKind;
    switch (control.GetKind()) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::Radio:
        case ControlKind::Edit:
        case ControlKind::NumEdit:
        case ControlKind::DateTime:
        case ControlKind::Combo:
        case ControlKind::CheckList:
        case ControlKind::ReportList:
        case ControlKind::Grid: return true;
        default: return false;
    }
}

char MnemonicOf(const std::string& caption) {
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return KeyLetter(caption[i + 1]);
    }
    return 0;
}

std::string KeyLineName(const PlayLine& line) {
    return std::string("key ") + (line.key == PlayKey::Alt ? "Alt+" + line.text : KeyName(line.key));
}

int RowsOf(CWnd& list) {
    if (auto* grid = dynamic_cast<CQXGrid*>(&list)) return grid->GetRowCount() - grid->GetFixedRowCount();
    if (auto* report = dynamic_cast<CListCtrl*>(&list)) return report->GetItemCount();
    if (auto* checks = dynamic_cast<CCheckListBox*>(&list)) return checks->GetCount();
    return 0;
}

PlayCourse::PlayCourse(std::vector<PlayLine> lines, std::ostream& transcript)
    : m_lines(std::move(lines)), m_out(transcript) {}

void PlayCourse::Fail(int line, std::string why) {
    if (!m_error) m_error = ScriptError{line, std::move(why)};
}

std::optional<ScriptError> PlayCourse::Run(const OpenScreen& open) {
    // The host's facultative booking, for as long as the play runs.
    kel::fac::SetBookingHandler([this](const std::string& document, char type) { Booking(document, type); });
    while (!m_error && m_next < m_lines.size()) {
        const PlayLine& line = m_lines[m_next++];
        m_current = line.number;
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

const PlayLine* PlayCourse::Next(const CDialog& dialog) {
    while (!m_error && m_next < m_lines.size()) {
        const PlayLine& line = m_lines[m_next++];
        m_current = line.number;
        if (line.command == PlayCommand::Answer)
            m_answers.push_back({line.answer, line.number});
        else if (line.command == PlayCommand::Open)
            Fail(line, "open: a dialog is open: " + Quote(dialog.GetText().str()));
        else
            return &line;
    }
    return nullptr;
}

void PlayCourse::Opened(const CDialog& dialog) {
    m_announced.insert(&dialog);
    ++m_opened;
    m_out << "open " << Quote(dialog.GetText().str()) << "\n";
}

void PlayCourse::Closed(const CDialog& dialog) {
    m_out << "close " << Quote(dialog.GetText().str()) << " " << ResultName(dialog.GetModalResult()) << "\n";
}

void PlayCourse::Destroyed(const CDialog& dialog) {
    if (m_announced.erase(&dialog)) return;  // its loop wrote its opening and closing
    Opened(dialog);
    m_announced.erase(&dialog);
    Closed(dialog);
}

int PlayCourse::MessageBox(const std::string& text, const std::string& caption, const char* icon,
                           const std::vector<int>& buttons, int defaultAnswer) {
    int answer = defaultAnswer;
    bool queued = false;
    std::optional<QueuedAnswer> wrong;
    if (!m_error && !m_answers.empty()) {
        QueuedAnswer next = m_answers.front();
        m_answers.pop_front();
        if (std::find(buttons.begin(), buttons.end(), next.answer) != buttons.end()) {
            answer = next.answer;
            queued = true;
        } else {
            wrong = next;
        }
    }
    m_out << "message " << Quote(text) << " caption " << Quote(caption) << " icon " << icon << " -> "
          << AnswerName(answer) << (queued ? "" : " (default)") << "\n";
    if (wrong) {
        std::string offered;
        for (int b : buttons) offered += std::string(offered.empty() ? "" : ", ") + AnswerName(b);
        Fail(wrong->line, std::string("answer ") + AnswerName(wrong->answer) + ": the message box " + Quote(text) +
                              " has no such button (it has " + offered + ")");
    }
    return answer;
}

void PlayCourse::Booking(const std::string& document, char type) {
    m_out << "booking " << document << " " << std::string(1, type) << "\n";
}

void PlayCourse::Print(const win::PrintJob& job) {
    m_out << "print " << Quote(job.title) << "\n";
    auto line = [&](const std::vector<std::string>& cells) {
        m_out << " ";
        for (const std::string& cell : cells) m_out << " " << Quote(cell);
        m_out << "\n";
    };
    line(job.headers);
    for (const auto& row : job.rows) line(row);
}

void PlayCourse::Show(const CDialog& dialog) { WriteDialog(m_out, dialog); }

CWnd* PlayCourse::Reach(const PlayLine& line, const CDialog& dialog, NameRole role) {
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

CWnd* PlayCourse::ReachList(const PlayLine& line, const CDialog& dialog) {
    const std::vector<CWnd*> lists = ListsOf(dialog);
    const std::string name = "grid or list " + std::to_string(line.list);
    if (static_cast<size_t>(line.list) > lists.size()) {
        Fail(line, "no " + name + In(dialog) + " (it has " + std::to_string(lists.size()) + ")");
        return nullptr;
    }
    CWnd& control = *lists[static_cast<size_t>(line.list) - 1];
    if (!control.IsWindowVisible() || !control.IsWindowEnabled()) {
        Fail(line, name + (control.IsWindowVisible() ? " is disabled" : " is hidden"));
        return nullptr;
    }
    const std::string command = CommandName(line.command);
    if (line.command == PlayCommand::Sort) {
        if (!dynamic_cast<CQXGrid*>(&control)) {
            Fail(line, "sort: " + name + " is not a grid");
            return nullptr;
        }
        return &control;
    }
    const int rows = RowsOf(control);
    if (line.row > rows) {
        Fail(line, command + ": " + name + " has " + std::to_string(rows) + " rows, not " + std::to_string(line.row));
        return nullptr;
    }
    const bool isGrid = dynamic_cast<CQXGrid*>(&control) != nullptr;
    auto* report = dynamic_cast<CListCtrl*>(&control);
    const bool hasChecks =
        dynamic_cast<CCheckListBox*>(&control) || (report && (report->GetExtendedStyle() & LVS_EX_CHECKBOXES));
    const char* refusal = nullptr;
    if (line.command == PlayCommand::Select && !isGrid && !report) refusal = " is a check list: use tick or untick";
    if (line.command == PlayCommand::Double && !isGrid) refusal = " takes no double click";
    if ((line.command == PlayCommand::Tick || line.command == PlayCommand::Untick) && !hasChecks)
        refusal = " has no check boxes";
    if (refusal) {
        Fail(line, command + ": " + name + refusal);
        return nullptr;
    }
    return &control;
}

CWnd* PlayCourse::ReachFocusedList(const PlayLine& line, const CDialog& dialog, CWnd* focused) {
    if (!ReachFocused(line, dialog, focused)) return nullptr;
    const std::vector<CWnd*> lists = ListsOf(dialog);
    if (std::find(lists.begin(), lists.end(), focused) == lists.end()) {
        Fail(line, KeyLineName(line) + ": the focus is on " + Describe(dialog, *focused) + ", not on a grid or list");
        return nullptr;
    }
    return focused;
}

CWnd* PlayCourse::ReachFocused(const PlayLine& line, const CDialog& dialog, CWnd* focused) {
    const std::string command = line.command == PlayCommand::Key ? KeyLineName(line) : "type";
    if (!focused) {
        Fail(line, command + ": nothing has the focus" + In(dialog));
        return nullptr;
    }
    if (!focused->IsWindowVisible() || !focused->IsWindowEnabled()) {
        Fail(line, command + ": " + Describe(dialog, *focused) +
                       (focused->IsWindowVisible() ? " is disabled" : " is hidden"));
        return nullptr;
    }
    return focused;
}

int PlayCourse::ItemFor(const PlayLine& line, const CDialog& dialog, CWnd& field) {
    auto* combo = dynamic_cast<CComboBox*>(&field);
    if (!combo) {
        Fail(line, Describe(dialog, field) + " is not a combo box");
        return -1;
    }
    // The item whose whole text, or else whose code (the text before the first
    // blank), is the line's.
    const std::string& wanted = line.text;
    const auto& items = combo->Items();
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].str() == wanted) return static_cast<int>(i);
    std::vector<int> byCode;
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string& text = items[i].str();
        if (text.substr(0, text.find(' ')) == wanted) byCode.push_back(static_cast<int>(i));
    }
    if (byCode.size() == 1) return byCode.front();
    std::string why;
    if (byCode.empty()) {
        why = "no item " + Quote(wanted) + " (items:";
        for (size_t i = 0; i < items.size() && i < 12; ++i) why += " " + Quote(items[i].str());
        why += items.size() > 12 ? " ...)" : ")";
    } else {
        why = std::to_string(byCode.size()) + " items have the code " + Quote(wanted);
    }
    Fail(line, Describe(dialog, field) + ": " + why);
    return -1;
}

int PlayCourse::ColumnFor(const PlayLine& line, CWnd& control) {
    auto& grid = static_cast<CQXGrid&>(control);
    // The column by its heading, else by its place among the columns shown.
    std::vector<int> shown;
    for (int col = 0; col < grid.GetColumnCount(); ++col)
        if (!grid.IsColumnHidden(col)) shown.push_back(col);
    int column = -1;
    for (int col : shown)
        if (grid.GetFixedRowCount() > 0 &&
            NormalizeShownName(grid.GetItemText(0, col).str()) == NormalizeShownName(line.text))
            column = col;
    if (column < 0 && !line.text.empty() &&
        std::all_of(line.text.begin(), line.text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        size_t place = static_cast<size_t>(std::stoul(line.text.substr(0, 6)));
        if (place >= 1 && place <= shown.size()) column = shown[place - 1];
    }
    if (column < 0)
        Fail(line, "sort: grid or list " + std::to_string(line.list) + " has no column " + Quote(line.text));
    return column;
}

}  // namespace kel::play
