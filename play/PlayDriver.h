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
// then closed (cancelled) and Run reports the line. The course of the play and the
// transcript are PlayCourse's, shared with the scripted user of the native windows.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "host/win/NoDisplayDriver.h"
#include "play/PlayCourse.h"

namespace kel::play {

class PlayDriver : public win::NoDisplayDriver {
public:
    using OpenScreen = PlayCourse::OpenScreen;

    PlayDriver(std::vector<PlayLine> lines, std::ostream& transcript);

    // Plays the script, opening screens with `open`; the host's facultative booking
    // reports to the transcript meanwhile. Nothing when every line ran, else the
    // line that could not be carried out and why.
    std::optional<ScriptError> Run(const OpenScreen& open) { return m_course.Run(open); }

    // UiDriver
    void RunModalLoop(CDialog& dialog) override;
    int ShowMessageBox(const win::MessageBoxRequest& request) override;
    void WindowDestroyed(CWnd& wnd) override;
    bool PrintTable(const CWnd* owner, const win::PrintJob& job) override;

private:
    void RunInDialog(const PlayLine& line, CDialog& dialog);
    void RunOnList(const PlayLine& line, CDialog& dialog);
    void MoveRow(const PlayLine& line, CDialog& dialog);
    void MoveFocus(const PlayLine& line, CDialog& dialog);
    void PressFocused(const PlayLine& line, CDialog& dialog);
    void PressLetter(const PlayLine& line, CDialog& dialog);

    PlayCourse m_course;
};

}  // namespace kel::play
