#include "host/win/NoDisplayDriver.h"

#include "host/win/Dialog.h"

namespace win {

void NoDisplayDriver::RunModalLoop(CDialog& dialog) { dialog.EndDialog(IDCANCEL); }

void NoDisplayDriver::StartTimer(CWnd& wnd, UINT_PTR id, UINT periodMs) {
    std::lock_guard lock(m_timerMutex);
    m_timers[{&wnd, id}] = Timer{periodMs, m_now + periodMs};
}

void NoDisplayDriver::StopTimer(CWnd& wnd, UINT_PTR id) {
    std::lock_guard lock(m_timerMutex);
    m_timers.erase({&wnd, id});
}

void NoDisplayDriver::WindowDestroyed(CWnd& wnd) {
    std::lock_guard lock(m_timerMutex);
    for (auto it = m_timers.begin(); it != m_timers.end();)
        it = it->first.first == &wnd ? m_timers.erase(it) : std::next(it);
}

unsigned NoDisplayDriver::Now() const {
    std::lock_guard lock(m_timerMutex);
    return m_now;
}

bool NoDisplayDriver::TimerRunning(const CWnd& wnd, UINT_PTR id) const {
    std::lock_guard lock(m_timerMutex);
    return m_timers.count({&wnd, id}) != 0;
}

std::optional<UINT> NoDisplayDriver::TimerPeriod(const CWnd& wnd, UINT_PTR id) const {
    std::lock_guard lock(m_timerMutex);
    auto it = m_timers.find({&wnd, id});
    if (it == m_timers.end()) return std::nullopt;
    return it->second.period;
}

void NoDisplayDriver::AdvanceTime(unsigned ms) {
    unsigned end;
    {
        std::lock_guard lock(m_timerMutex);
        end = m_now + ms;
    }
    for (;;) {
        CWnd* target = nullptr;
        UINT_PTR id = 0;
        {
            std::lock_guard lock(m_timerMutex);
            auto best = m_timers.end();
            for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
                if (it->second.due <= end && (best == m_timers.end() || it->second.due < best->second.due)) best = it;
            if (best == m_timers.end()) break;
            m_now = best->second.due;
            best->second.due += best->second.period;
            target = const_cast<CWnd*>(best->first.first);
            id = best->first.second;
        }
        target->SendMessage(WM_TIMER, id, 0);  // outside the lock: the handler may touch timers
    }
    std::lock_guard lock(m_timerMutex);
    m_now = end;
}

}  // namespace win
