// The driver of `kelmor --play`: a scripted user for the real module. Each dialog
// that opens runs the script's next lines inside its modal loop, so nested dialogs
// take the lines that follow until they close. Message boxes take the queued
// answers, or their default button. Every event goes to the transcript, one a line:
//
//   open "CAPTION"
//   message "TEXT" caption "CAPTION" icon NAME -> ANSWER [(default)]
//   close "CAPTION" OK|Cancel|NUMBER
//   booking DOCUMENT TYPE
//   count N                     (open 13: the number of waiting items)
//   print "TITLE"               (a printed list, then its header and each row:)
//     "CELL" "CELL" ...
//
// The first line that cannot be carried out stops the play: every open dialog is
// then closed (cancelled) and Run reports the line.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "host/win/NoDisplayDriver.h"
#include "shell/ControlAddress.h"
#include "shell/PlayScript.h"

namespace kel::shell {

class PlayDriver : public win::NoDisplayDriver {
public:
    using OpenScreen = std::function<int(int screen)>;

    PlayDriver(std::vector<PlayLine> lines, std::ostream& transcript);

    // Plays the script, opening screens with `open`; the host's facultative booking
    // reports to the transcript meanwhile. Nothing when every line ran, else the
    // line that could not be carried out and why.
    std::optional<ScriptError> Run(const OpenScreen& open);

    // UiDriver
    void RunModalLoop(CDialog& dialog) override;
    int ShowMessageBox(const win::MessageBoxRequest& request) override;
    void WindowDestroyed(CWnd& wnd) override;
    bool PrintTable(const CWnd* owner, const win::PrintJob& job) override;

private:
    struct QueuedAnswer {
        int answer;
        int line;
    };

    void Booking(const std::string& document, char type);
    void Fail(const PlayLine& line, std::string why) { Fail(line.number, std::move(why)); }
    void Fail(int line, std::string why);
    void RunInDialog(const PlayLine& line, CDialog& dialog);
    void RunOnList(const PlayLine& line, CDialog& dialog);
    // The control a line names, when a person could reach it; else fails the line.
    CWnd* Reach(const PlayLine& line, CDialog& dialog, NameRole role);
    void Announce(const CDialog& dialog);
    void Closed(const CDialog& dialog);

    std::vector<PlayLine> m_lines;
    size_t m_next = 0;
    std::ostream& m_out;
    std::optional<ScriptError> m_error;
    std::deque<QueuedAnswer> m_answers;
    std::vector<CDialog*> m_open;
    std::set<const CWnd*> m_announced;  // dialogs whose opening is in the transcript
    int m_opened = 0;                   // dialogs opened since the last `open`
};

}  // namespace kel::shell
