// The scripted user of the native windows: the `--play` language and the transcript
// of the headless player (play/PlayCourse), but every line carried out on the real
// windows of the Win32 driver with the messages a person's keyboard and mouse send:
// characters typed into the field's window one by one, Tab to leave it, Enter and
// Escape through the dialog's own keys, a push button's Alt and letter or a click on
// it, check boxes clicked, a combo item clicked in its
// dropped list, rows clicked and double-clicked in the list view, ticks with the
// space bar, headings clicked in the header. Message boxes are the system's own
// windows: their text, caption, icon and buttons are read from the window and the
// answer's button is pressed there.
//
// A timer of the thread steps the script: it fires inside whichever modal loop runs
// (a dialog's or a message box's) once the thread is idle, so every line starts
// after the previous one's effects. Each dialog is checked when it first comes up:
// its caption and every control the model shows drawn as a window of some size
// inside the dialog.
#pragma once

#include <windows.h>

#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "play/PlayCourse.h"
#include "win32/Win32Driver.h"

namespace kel::win32 {

class NativePlayDriver : public Win32Driver {
public:
    NativePlayDriver(std::vector<play::PlayLine> lines, std::ostream& transcript);
    ~NativePlayDriver() override;

    // Plays the script, opening screens with `open`, as PlayDriver::Run does.
    std::optional<play::ScriptError> Run(const play::PlayCourse::OpenScreen& open);

    // win::UiDriver
    void RunModalLoop(CDialog& dialog) override;
    int ShowMessageBox(const win::MessageBoxRequest& request) override;
    void WindowDestroyed(CWnd& wnd) override;
    bool PrintTable(const CWnd* owner, const win::PrintJob& job) override;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void Step();
    HWND FindMessageBox() const;
    void AnswerBox(HWND box);
    void CheckDrawn(const CDialog& dialog, HWND window);
    void RunLine(const play::PlayLine& line, CDialog& dialog, HWND window);
    void RunOnList(const play::PlayLine& line, CDialog& dialog);
    void MoveRow(const play::PlayLine& line, CDialog& dialog);
    CWnd* ModelOf(const CDialog& dialog, HWND focus) const;
    void Show(const play::PlayLine& line, CDialog& dialog);
    // The window of a control the line reached through its model; null after
    // failing the line when the window is not there for a person to use.
    HWND WindowOf(const play::PlayLine& line, const CDialog& dialog, const CWnd& control);

    play::PlayCourse m_course;
    UINT_PTR m_timer = 0;
    std::set<const CDialog*> m_checked;  // open dialogs whose drawing was checked
    // The message box being answered: its window, its text, the answer pressed and
    // the ticks it has stayed since.
    HWND m_box = nullptr;
    std::string m_boxText;
    int m_pressed = 0;
    int m_boxTicks = 0;
    int m_strangeTicks = 0;  // ticks while a window the play does not know is modal
    DWORD m_start = 0;
    bool m_trace = false;  // KELMOR_PLAY_TRACE set: each line's time on stderr
};

}  // namespace kel::win32
