#include "popup/PopWndThread.h"

#include <mutex>

namespace {
std::mutex g_mutex;
CPopWndThread::Presenter g_presenter;
}  // namespace

CPopWndThread::CPopWndThread() : CPopWndThread("", 150, 115, 128, 93, 0xFFFFFF, 0) {}

CPopWndThread::CPopWndThread(const std::string& text, int width, int height, int textRight, int textBottom,
                             COLORREF background, COLORREF textColour)
    : m_request{text, width, height, textRight, textBottom, background, textColour} {}

void CPopWndThread::SetPresenter(Presenter presenter) {
    std::lock_guard lock(g_mutex);
    g_presenter = std::move(presenter);
}

BOOL CPopWndThread::InitInstance() {
    Presenter presenter;
    {
        std::lock_guard lock(g_mutex);
        presenter = g_presenter;
    }
    if (presenter) presenter(m_request);
    return FALSE;  // the presenter owns the popup's life; this thread has nothing more to run
}
