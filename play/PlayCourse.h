// The course of a play, shared by the scripted users (the headless one of
// `kelmor --play` and the one that works the native windows): the script's lines
// in turn, the queued answers, the first line that could not be carried out, the
// checks a line's control must pass, and the transcript (one event a line, see
// PlayDriver.h). Both users write the transcript only through this class, so the
// same script gives the same lines whoever plays it.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "host/win/UiDriver.h"
#include "play/ControlAddress.h"
#include "play/PlayScript.h"

class CDialog;
class CWnd;

namespace kel::play {

// "Error", "Question", "Warning", "Information" or "None" for an MB_ICON... value.
const char* IconName(UINT icon);

class PlayCourse {
public:
    using OpenScreen = std::function<int(int screen)>;

    PlayCourse(std::vector<PlayLine> lines, std::ostream& transcript);

    // The top level: queues answers and opens screens with `open` until the script
    // ends or fails; the lines in between run inside the dialogs (Next). Nothing when
    // every line ran, else the line that could not be carried out and why.
    std::optional<ScriptError> Run(const OpenScreen& open);

    // The next line for the innermost dialog, `dialog`; null at the script's end or
    // after a failure (the dialog is then cancelled). Answer lines are queued on
    // the way, an `open` line fails.
    const PlayLine* Next(const CDialog& dialog);
    bool Failed() const { return m_error.has_value(); }
    void Fail(const PlayLine& line, std::string why) { Fail(line.number, std::move(why)); }
    void Fail(int line, std::string why);
    // The line being carried out (0 before the first).
    int CurrentLine() const { return m_current; }

    // A dialog's modal loop begins or ends; Destroyed for a dialog that ended
    // before its loop began, so that the transcript still shows it.
    void Opened(const CDialog& dialog);
    void Closed(const CDialog& dialog);
    void Destroyed(const CDialog& dialog);

    // A message box with `buttons` is up: writes it and returns the answer to give,
    // the queued one or `defaultAnswer`. A queued answer the box has no button for
    // fails its line (the default is given then).
    int MessageBox(const std::string& text, const std::string& caption, const char* icon,
                   const std::vector<int>& buttons, int defaultAnswer);
    void Booking(const std::string& document, char type);
    void Print(const win::PrintJob& job);
    void Show(const CDialog& dialog);

    // The control a line names when a person could reach it (visible, enabled);
    // else fails the line and returns null.
    CWnd* Reach(const PlayLine& line, const CDialog& dialog, NameRole role);
    // The grid or list a list line names (visible, enabled, with the row the line
    // wants); else fails the line and returns null.
    CWnd* ReachList(const PlayLine& line, const CDialog& dialog);
    // The grid or list a row key line goes to: `focused`, the control that has the
    // focus, when it is a grid or list a person could reach; else fails the line
    // and returns null.
    CWnd* ReachFocusedList(const PlayLine& line, const CDialog& dialog, CWnd* focused);
    // The control a focus line (typing without a field, Space) goes to: `focused`,
    // when a person could work it; else fails the line and returns null.
    CWnd* ReachFocused(const PlayLine& line, const CDialog& dialog, CWnd* focused);
    // The combo item a pick line names; -1 after failing the line.
    int ItemFor(const PlayLine& line, const CDialog& dialog, CWnd& combo);
    // The grid column a sort line names; -1 after failing the line.
    int ColumnFor(const PlayLine& line, CWnd& grid);

private:
    struct QueuedAnswer {
        int answer;
        int line;
    };

    std::vector<PlayLine> m_lines;
    size_t m_next = 0;
    int m_current = 0;
    std::ostream& m_out;
    std::optional<ScriptError> m_error;
    std::deque<QueuedAnswer> m_answers;
    std::set<const CDialog*> m_announced;  // dialogs whose opening is in the transcript
    int m_opened = 0;                      // dialogs opened since the last `open`
};

// Whether Tab stops at `control` when it is visible and enabled: the kinds the
// native driver gives a tab stop (buttons, fields, combos, grids and lists).
bool IsTabStop(const CWnd& control);
// The letter after a single '&' in a caption, lower case; 0 when none (or not ASCII).
char MnemonicOf(const std::string& caption);
// What a line's key is called in a message: "key Tab", "key Alt+s".
std::string KeyLineName(const PlayLine& line);

// The rows of a grid (without its heading rows), report list or check list.
int RowsOf(CWnd& list);

}  // namespace kel::play
