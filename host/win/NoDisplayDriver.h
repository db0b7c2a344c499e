// The driver of a run without a display: the default driver until another is
// installed, and the base of the drivers that stand in for the person (the console
// view, the script player, the test harness). Dialogs are cancelled as soon as they
// open unless a subclass works them; message boxes take their default button;
// timers wait on a virtual clock that only AdvanceTime moves; no other program's
// windows exist.
#pragma once

#include <map>
#include <mutex>
#include <optional>

#include "host/win/UiDriver.h"

namespace win {

class NoDisplayDriver : public UiDriver {
public:
    // Virtual clock for timers: fires every timer that falls due within `ms`, in
    // time order; a handler may start, stop or destroy timers.
    void AdvanceTime(unsigned ms);
    unsigned Now() const;
    bool TimerRunning(const CWnd& wnd, UINT_PTR id) const;
    std::optional<UINT> TimerPeriod(const CWnd& wnd, UINT_PTR id) const;

    // UiDriver
    void RunModalLoop(CDialog& dialog) override;
    int ShowMessageBox(const MessageBoxRequest& request) override { return request.DefaultAnswer(); }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void StartTimer(CWnd& wnd, UINT_PTR id, UINT periodMs) override;
    void StopTimer(CWnd& wnd, UINT_PTR id) override;
    void WindowDestroyed(CWnd& wnd) override;
    WindowHandle FindTopLevelWindow(const std::string& title) override { return 0; }
    LRESULT SendToWindow(WindowHandle window, UINT message, WPARAM wParam, LPARAM lParam) override { return 0; }
    // Nobody hears it: counted, for the drivers that stand in for the person.
    void Beep() override { ++m_beeps; }
    int Beeps() const { return m_beeps; }

private:
    struct Timer {
        UINT period;
        unsigned due;
    };
    mutable std::mutex m_timerMutex;
    unsigned m_now = 0;
    int m_beeps = 0;
    std::map<std::pair<const CWnd*, UINT_PTR>, Timer> m_timers;
};

}  // namespace win
