#include "host/win/Thread.h"

#include <utility>

#include "host/win/UiDriver.h"
#include "host/win/Wnd.h"

namespace win {
namespace {
thread_local ThreadLoop* t_current = nullptr;
}

ThreadLoop* ThreadLoop::Current() { return t_current; }
void ThreadLoop::SetCurrent(ThreadLoop* loop) { t_current = loop; }

void ThreadLoop::Post(CWnd* target, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(m_mutex);
    m_queue.push_back({target, message, wParam, lParam});
    m_wake.notify_one();
}

void ThreadLoop::PostQuit(int code) {
    std::lock_guard lock(m_mutex);
    m_quit = true;
    m_exitCode = code;
    m_wake.notify_one();
}

void ThreadLoop::StartTimer(CWnd& wnd, UINT_PTR id, UINT periodMs) {
    std::lock_guard lock(m_mutex);
    auto period = std::chrono::milliseconds(EffectiveTimerPeriod(periodMs));
    m_timers[{&wnd, id}] = Timer{period, Clock::now() + period};
    m_wake.notify_one();
}

void ThreadLoop::StopTimer(CWnd& wnd, UINT_PTR id) {
    std::lock_guard lock(m_mutex);
    m_timers.erase({&wnd, id});
}

void ThreadLoop::Forget(CWnd& wnd) {
    std::lock_guard lock(m_mutex);
    for (auto it = m_timers.begin(); it != m_timers.end();)
        it = it->first.first == &wnd ? m_timers.erase(it) : std::next(it);
    for (auto it = m_queue.begin(); it != m_queue.end();) it = it->target == &wnd ? m_queue.erase(it) : std::next(it);
}

int ThreadLoop::Run() {
    ThreadLoop* outer = t_current;
    t_current = this;
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (!m_queue.empty()) {
            Message m = m_queue.front();
            m_queue.pop_front();
            lock.unlock();
            if (m.target) m.target->SendMessage(m.message, m.wParam, m.lParam);
            lock.lock();
            continue;
        }
        auto next = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
            if (next == m_timers.end() || it->second.due < next->second.due) next = it;
        if (next == m_timers.end()) {
            m_wake.wait(lock);
            continue;
        }
        if (Clock::now() < next->second.due) {
            m_wake.wait_until(lock, next->second.due);
            continue;
        }
        CWnd* target = next->first.first;
        UINT_PTR id = next->first.second;
        next->second.due += next->second.period;
        if (next->second.due < Clock::now()) next->second.due = Clock::now() + next->second.period;
        lock.unlock();
        target->SendMessage(WM_TIMER, id, 0);
        lock.lock();
    }
    t_current = outer;
    return m_exitCode;
}

}  // namespace win

CWinThread::CWinThread() = default;
CWinThread::~CWinThread() { ReleaseLibrary(); }  // a thread that never ran

BOOL CWinThread::CreateThread(DWORD, UINT) {
    try {
        std::thread([this] { Main(); }).detach();
        return TRUE;
    } catch (...) {
        ReleaseLibrary();
        return FALSE;
    }
}

void CWinThread::HoldLibraryOf(const void* code) {
#ifdef _WIN32
    HMODULE library = nullptr;
    if (!m_library && GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, static_cast<LPCWSTR>(code), &library))
        m_library = library;
#else
    (void)code;
#endif
}

void CWinThread::ReleaseLibrary() {
#ifdef _WIN32
    if (m_library) FreeLibrary(static_cast<HMODULE>(m_library));
#endif
    m_library = nullptr;
}

void CWinThread::Main() {
    // Windows made from here on belong to this thread's loop (their timers run there).
    win::ThreadLoop::SetCurrent(&m_loop);
    if (InitInstance()) Run();
    ExitInstance();
    win::ThreadLoop::SetCurrent(nullptr);
    void* library = std::exchange(m_library, nullptr);
    if (m_bAutoDelete) delete this;
#ifdef _WIN32
    // The library may go with this reference: the thread ends inside the system's
    // call, running none of the library's code after it.
    if (library) FreeLibraryAndExitThread(static_cast<HMODULE>(library), 0);
#else
    (void)library;
#endif
}

int CWinThread::Run() { return m_loop.Run(); }

BOOL CWinThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    m_loop.Post(nullptr, message, wParam, lParam);
    return TRUE;
}

void win::PostQuitMessage(int exitCode) {
    if (auto* loop = win::ThreadLoop::Current()) loop->PostQuit(exitCode);
}
