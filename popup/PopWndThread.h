// The user-interface thread of one task-bar popup. It makes the popup window, runs
// its timeline in its own message loop and returns nothing to whoever started it;
// it deletes itself when its loop ends.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/win/Thread.h"
#include "host/win/WinTypes.h"

class CTaskBarMsgWnd;

struct PopupRequest {
    std::string text;
    int width;
    int height;
    int textRight;
    int textBottom;
    COLORREF background;
    COLORREF textColour;
};

class CPopWndThread : public CWinThread {
public:
    static constexpr UINT kStayTime = 5000;  // ms
    static constexpr UINT kStepPeriod = 1;   // ms; timers run at 10 ms at the least

    CPopWndThread();
    CPopWndThread(const std::string& text, int width, int height, int textRight, int textBottom, COLORREF background,
                  COLORREF textColour);
    ~CPopWndThread() override;
    BOOL InitInstance() override;
    int ExitInstance() override;
    const PopupRequest& Request() const { return m_request; }

    // Someone who wants to know of every popup started (called on the popup's thread
    // before its window is made). The popup shows either way.
    using Presenter = std::function<void(const PopupRequest&)>;
    static void SetPresenter(Presenter presenter);

private:
    PopupRequest m_request;
    std::unique_ptr<CTaskBarMsgWnd> m_pWnd;
};
