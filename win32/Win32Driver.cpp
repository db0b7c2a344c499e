#include "win32/Win32Driver.h"

#include <commctrl.h>

#include "host/win/Dialog.h"
#include "win32/DialogWindow.h"
#include "win32/Library.h"
#include "win32/PopupWindow.h"
#include "win32/ScrollPage.h"
#include "win32/TablePrinter.h"
#include "win32/WideText.h"

namespace kel::win32 {
namespace {

constexpr wchar_t kTimerClass[] = L"KelmorTimers";

win::Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

Win32Driver::Win32Driver() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    // The screens' Chinese texts: a font with the GB2312 characters, at the dialog size.
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = GB2312_CHARSET;
    lstrcpyW(lf.lfFaceName, L"SimSun");
    m_font = CreateFontIndirectW(&lf);
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Win32Driver::TimerProc;
    wc.hInstance = ThisLibrary();
    wc.lpszClassName = kTimerClass;
    RegisterClassW(&wc);  // fails harmlessly when a second driver registers it again
    m_timerWindow = CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(m_timerWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Driver::~Win32Driver() {
    if (m_timerWindow) DestroyWindow(m_timerWindow);
    UnregisterClassW(kTimerClass, ThisLibrary());  // refused while another driver's window is there
    UnregisterScrollPageClass();
    if (m_font) DeleteObject(m_font);
}

bool Win32Driver::PrintTable(const CWnd*, const win::PrintJob& job) {
    return PrintWithDialog(OwnerForNewWindow(), job);
}

HWND Win32Driver::TopDialog() const { return m_modals.empty() ? nullptr : m_modals.back()->Handle(); }

CDialog* Win32Driver::TopModel() const { return m_modals.empty() ? nullptr : m_modals.back()->Model(); }

bool Win32Driver::IsDialogWindow(HWND window) const {
    for (const DialogWindow* d : m_modals)
        if (d->Handle() == window) return true;
    return false;
}

HWND Win32Driver::ControlHandle(const CWnd& control) const {
    for (auto it = m_modals.rbegin(); it != m_modals.rend(); ++it)
        if (ControlWindow* view = (*it)->ViewOf(&control)) return view->Handle();
    return nullptr;
}

void Win32Driver::BringIntoView(const CWnd& control) {
    for (auto it = m_modals.rbegin(); it != m_modals.rend(); ++it)
        if (ControlWindow* view = (*it)->ViewOf(&control)) return (*it)->BringIntoView(view->Handle());
}

void Win32Driver::ScrollToTop(HWND dialog) {
    for (DialogWindow* d : m_modals)
        if (d->Handle() == dialog) d->ScrollHome();
}

HWND Win32Driver::OwnerForNewWindow() const {
    if (HWND top = TopDialog()) return top;
    return GetActiveWindow();  // the host's window, when it has one
}

void Win32Driver::RunModalLoop(CDialog& dialog) {
    HWND owner = OwnerForNewWindow();
    DialogWindow window(dialog, *this, owner);
    if (!window.Handle()) return;  // the caller cancels a dialog that could not be shown
    m_modals.push_back(&window);
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled) EnableWindow(owner, FALSE);
    window.Show();
    if (m_shownHook) m_shownHook(dialog, window.Handle(), m_shownContext);
    MSG msg;
    while (!dialog.IsEnded()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The quit message belongs to the loop outside ours: leave it there.
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!window.PreTranslate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        window.FocusInView();
    }
    // The owner comes back before the dialog goes, so the activation returns to it.
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    m_modals.pop_back();
    ShowWindow(window.Handle(), SW_HIDE);
    if (owner) SetActiveWindow(owner);
}

int Win32Driver::ShowMessageBox(const win::MessageBoxRequest& request) {
    const std::wstring text = Wide(request.text);
    const std::wstring caption = Wide(request.caption.empty() ? std::string("Kelmor") : request.caption);
    HWND owner = OwnerForNewWindow();
    const UINT type = (request.type & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK)) | (owner ? 0u : MB_TASKMODAL);
    return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

void Win32Driver::BeginWaitCursor() {
    ++m_waitDepth;
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

void Win32Driver::EndWaitCursor() {
    if (m_waitDepth <= 0) return;
    if (--m_waitDepth == 0) SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void Win32Driver::StartTimer(CWnd& wnd, UINT_PTR id, UINT periodMs) {
    UINT_PTR systemId = 0;
    for (auto& [key, timer] : m_timers)
        if (timer.first == &wnd && timer.second == id) systemId = key;
    if (!systemId) {
        systemId = m_nextTimer++;
        m_timers[systemId] = {&wnd, id};
    }
    SetTimer(m_timerWindow, systemId, win::EffectiveTimerPeriod(periodMs), nullptr);
}

void Win32Driver::StopTimer(CWnd& wnd, UINT_PTR id) {
    for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
        if (it->second.first == &wnd && it->second.second == id) {
            KillTimer(m_timerWindow, it->first);
            m_timers.erase(it);
            return;
        }
}

void Win32Driver::WindowDestroyed(CWnd& wnd) {
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (it->second.first == &wnd) {
            KillTimer(m_timerWindow, it->first);
            it = m_timers.erase(it);
        } else {
            ++it;
        }
    }
}

LRESULT CALLBACK Win32Driver::TimerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        auto* self = reinterpret_cast<Win32Driver*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self) return 0;
        auto it = self->m_timers.find(wParam);
        if (it != self->m_timers.end()) it->second.first->SendMessage(WM_TIMER, it->second.second, 0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

win::WindowHandle Win32Driver::FindTopLevelWindow(const std::string& title) {
    return reinterpret_cast<win::WindowHandle>(FindWindowW(nullptr, Wide(title).c_str()));
}

LRESULT Win32Driver::SendToWindow(win::WindowHandle window, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = reinterpret_cast<HWND>(window);
    if (!hwnd || !IsWindow(hwnd)) return 0;
    return SendMessageW(hwnd, message, wParam, lParam);
}

win::DesktopMetrics Win32Driver::GetDesktopMetrics() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return {ToRect(screen), ToRect(work)};
}

std::unique_ptr<win::PopupSurface> Win32Driver::CreatePopupSurface(const win::PopupLook& look, win::PopupInput input) {
    return MakePopupSurface(look, std::move(input));
}

}  // namespace kel::win32
