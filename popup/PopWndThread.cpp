#include "popup/PopWndThread.h"

#include <mutex>

#include "popup/TaskBarMsgWnd.h"

namespace {
std::mutex g_mutex;
CPopWndThread::Presenter g_presenter;
}  // namespace

CPopWndThread::CPopWndThread() : CPopWndThread("", 150, 115, 128, 93, 0xFFFFFF, 0) {}

CPopWndThread::CPopWndThread(const std::string& text, int width, int height, int textRight, int textBottom,
                             COLORREF background, COLORREF textColour)
    : m_request{text, width, height, textRight, textBottom, background, textColour} {}

CPopWndThread::~CPopWndThread() = default;

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

    const PopupRequest& r = m_request;
    m_pWnd = std::make_unique<CTaskBarMsgWnd>(r.text, r.width, r.height, kStayTime, kStepPeriod,
                                              win::Rect{1, 10, r.textRight, r.textBottom}, r.background, r.textColour);
    // No window, nothing to run: the thread ends at once.
    return m_pWnd->PopUp() ? TRUE : FALSE;
}

int CPopWndThread::ExitInstance() {
    m_pWnd.reset();  // while this thread's loop is still the current one
    return CWinThread::ExitInstance();
}
