#include "popup/TaskBarMsgWnd.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "host/win/Thread.h"
#include "host/win/UiDriver.h"

// Carries the surface's input to this window on the thread that owns it. The
// surface may outlive the window by a moment (its own thread closes it later), so
// the window cuts the link before it goes.
struct CTaskBarMsgWnd::InputLink {
    std::mutex mutex;
    win::ThreadLoop* loop = nullptr;
    CTaskBarMsgWnd* target = nullptr;

    void Deliver(UINT message) {
        std::lock_guard lock(mutex);
        if (!target) return;
        if (loop)
            loop->Post(target, message, 0, 0);
        else
            target->SendMessage(message, 0, 0);  // no loop of our own: same thread
    }
    void Cut() {
        std::lock_guard lock(mutex);
        target = nullptr;
        loop = nullptr;
    }
};

namespace {

std::string BitmapInCurrentFolder(const char* name) {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(name, ec);
    if (ec || !std::filesystem::is_regular_file(path, ec)) return {};
    return path.string();
}

}  // namespace

CTaskBarMsgWnd::CTaskBarMsgWnd(const std::string& text, int width, int height, UINT stayTime, UINT stepPeriod,
                               const win::Rect& textRect, COLORREF background, COLORREF textColour)
    : m_nWidth(width), m_nHeight(height), m_nStayTime(stayTime), m_nStepPeriod(stepPeriod) {
    m_text = text;
    m_look.background = background;
    m_look.textColour = textColour;
    m_look.bitmapPath = BitmapInCurrentFolder(kBitmapFile);
    m_look.bitmapMaxWidth = kBitmapMaxWidth;
    m_look.bitmapMaxHeight = kBitmapMaxHeight;
    m_look.text = text;
    m_look.textRect = textRect;
    m_look.font = win::FontSpec{kFontFamily, 10, 400, false};
}

CTaskBarMsgWnd::~CTaskBarMsgWnd() {
    if (m_link) m_link->Cut();
    if (!m_bDestroyed) {
        KillTimer(kRiseTimer);
        KillTimer(kStayTimer);
        KillTimer(kSinkTimer);
    }
}

bool CTaskBarMsgWnd::PopUp() {
    // This runs on the popup's own thread: hold the driver while using it.
    std::shared_ptr<win::UiDriver> keep = win::SharedDriver();
    win::UiDriver& driver = *keep;
    win::DesktopMetrics desktop = driver.GetDesktopMetrics();
    m_nEdge = kel::popup::DecideEdge(desktop);

    m_link = std::make_shared<InputLink>();
    m_link->loop = win::ThreadLoop::Current();
    m_link->target = this;
    std::weak_ptr<InputLink> weak = m_link;
    m_surface = driver.CreatePopupSurface(m_look, [weak](UINT message) {
        if (auto link = weak.lock()) link->Deliver(message);
    });
    if (!m_surface) {
        m_link->Cut();
        m_bDestroyed = true;
        return false;
    }
    m_rcAnchor = kel::popup::AnchorFor(m_nEdge, desktop.workArea, m_nWidth, m_nHeight);
    m_nShownHeight = 0;
    SetTimer(kRiseTimer, m_nStepPeriod);
    return true;
}

void CTaskBarMsgWnd::PlaceStep() {
    if (m_surface) m_surface->Place(kel::popup::StepRect(m_nEdge, m_rcAnchor, m_nWidth, m_nShownHeight));
}

void CTaskBarMsgWnd::OnTimer(UINT_PTR nIDEvent) {
    if (m_bDestroyed) return;
    switch (nIDEvent) {
        case kRiseTimer:
            m_nShownHeight += kStep;
            if (m_nShownHeight > m_nHeight) {
                // The step past the height is never shown; sinking starts one step
                // below it, so an odd height shows height - 1 at most.
                KillTimer(kRiseTimer);
                SetTimer(kStayTimer, m_nStayTime);
            } else {
                PlaceStep();
            }
            break;
        case kStayTimer:
            KillTimer(kStayTimer);
            SetTimer(kSinkTimer, m_nStepPeriod);
            break;
        case kSinkTimer:
            m_nShownHeight -= kStep;
            if (m_nShownHeight <= 0) {
                KillTimer(kSinkTimer);
                m_nShownHeight = 0;
                DestroyWindow();
            } else {
                PlaceStep();
            }
            break;
        default: break;
    }
}

void CTaskBarMsgWnd::DestroyWindow() {
    m_bDestroyed = true;
    if (m_link) m_link->Cut();
    m_surface.reset();
    win::PostQuitMessage(0);  // ends the popup's own thread; nothing on any other
}

LRESULT CTaskBarMsgWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_bDestroyed && message != WM_TIMER) return 0;
    switch (message) {
        case WM_LBUTTONUP: OnClick(); return 0;
        case WM_MOUSEHOVER: OnMouseHover(); return 0;
        case WM_MOUSELEAVE: OnMouseLeave(); return 0;
        default: return CWnd::WindowProc(message, wParam, lParam);
    }
}

void CTaskBarMsgWnd::OnClick() {
    std::shared_ptr<win::UiDriver> driver = win::SharedDriver();  // on the popup's thread
    if (win::WindowHandle main = driver->FindTopLevelWindow(kMainWindowTitle))
        driver->SendToWindow(main, kClickMessage, 0, 0);
}

void CTaskBarMsgWnd::OnMouseHover() {
    if (m_bHover) return;
    m_bHover = true;
    if (m_surface) m_surface->SetUnderline(true);
}

void CTaskBarMsgWnd::OnMouseLeave() {
    if (!m_bHover) return;
    m_bHover = false;
    if (m_surface) m_surface->SetUnderline(false);
}
