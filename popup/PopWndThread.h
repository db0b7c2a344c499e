// The user-interface thread of one task-bar popup. It owns the popup's timeline and
// returns nothing to whoever started it; it deletes itself when its loop ends.
#pragma once

#include <functional>
#include <string>

#include "host/win/Thread.h"
#include "host/win/WinTypes.h"

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
    CPopWndThread();
    CPopWndThread(const std::string& text, int width, int height, int textRight, int textBottom, COLORREF background,
                  COLORREF textColour);
    BOOL InitInstance() override;
    const PopupRequest& Request() const { return m_request; }

    // Where a started popup goes: the front end shows it. Without a presenter the
    // thread ends at once.
    using Presenter = std::function<void(const PopupRequest&)>;
    static void SetPresenter(Presenter presenter);

private:
    PopupRequest m_request;
};
