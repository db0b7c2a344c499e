// User-interface threads in the framework's manner: CWinThread runs InitInstance,
// then a message loop that serves posted messages and the timers of windows made on
// that thread, until the quit message; then ExitInstance, and the object deletes
// itself (m_bAutoDelete).
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "host/win/WinTypes.h"

class CWnd;

namespace win {

// The message loop of one thread. Timers run in real time, never below 10 ms.
class ThreadLoop {
public:
    static ThreadLoop* Current();
    static void SetCurrent(ThreadLoop* loop);

    void Post(CWnd* target, UINT message, WPARAM wParam, LPARAM lParam);
    void PostQuit(int code);
    void StartTimer(CWnd& wnd, UINT_PTR id, UINT periodMs);
    void StopTimer(CWnd& wnd, UINT_PTR id);
    void Forget(CWnd& wnd);
    // Runs until the quit message; returns its code.
    int Run();

private:
    using Clock = std::chrono::steady_clock;
    struct Message {
        CWnd* target;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    struct Timer {
        std::chrono::milliseconds period;
        Clock::time_point due;
    };

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Message> m_queue;
    std::map<std::pair<CWnd*, UINT_PTR>, Timer> m_timers;
    bool m_quit = false;
    int m_exitCode = 0;
};

}  // namespace win

class CWinThread {
public:
    CWinThread();
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Starts the thread; the object must live on the heap when m_bAutoDelete is set.
    BOOL CreateThread(DWORD flags = 0, UINT stackSize = 0);
    virtual BOOL InitInstance() { return FALSE; }
    virtual int Run();
    virtual int ExitInstance() { return 0; }
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
    win::ThreadLoop& Loop() { return m_loop; }
    // Keeps the library holding `code` loaded until the thread has ended, from before
    // it starts: a host may unload the library as soon as the call that started the
    // thread returns. (Windows; elsewhere the host program never unloads it.)
    void HoldLibraryOf(const void* code);

    bool m_bAutoDelete = true;

private:
    void Main();
    void ReleaseLibrary();
    win::ThreadLoop m_loop;
    void* m_library = nullptr;
};

namespace win {
// Ends the message loop of the calling thread (a CWinThread's; the system's own
// PostQuitMessage ends a system message loop).
void PostQuitMessage(int exitCode);
}  // namespace win
