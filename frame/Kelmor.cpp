#include "frame/Kelmor.h"

#include <new>

#include "INCLUDE/NumEdit.h"
#include "frame/ScreenTable.h"
#include "host/qxcommon/BaseBase.h"
#include "host/win/DialogTemplate.h"
#include "popup/PopWndThread.h"
#ifdef _WIN32
#include "frame/ForeignHost.h"
#endif

CKelmorApp::CKelmorApp() : CWinApp("Kelmor") { InitInstance(); }

CKelmorApp::~CKelmorApp() { ExitInstance(); }

BOOL CKelmorApp::InitInstance() {
    AfxEnableControlContainer();
    win::RegisterControlFactory(win::ControlKind::NumEdit, &CNumEdit::CreateModel);
    return CWinApp::InitInstance();
}

int CKelmorApp::ExitInstance() {
    // The window layer outlives this library: take back what points into it.
    win::UnregisterControlFactory(win::ControlKind::NumEdit, &CNumEdit::CreateModel);
    return CWinApp::ExitInstance();
}

CKelmorApp theApp;

namespace {

// The host's text: UTF-8 from this project's hosts, the ANSI code page on Windows.
std::string HostText(const char* text) {
#ifdef _WIN32
    return kel::FromHostText(text);
#else
    return text ? text : "";
#endif
}

}  // namespace

extern "C" int KELMOR_ENTRY Call_Kelmor_Dialog(int screenNumber, int /*reserved*/) {
    int result = 0;
    const kel::ScreenEntry* entry = kel::FindScreen(screenNumber);
    if (!entry) return result;
#ifdef _WIN32
    // Not logged on (the person cancelled the log-on): no screen opens, nothing is
    // counted; opening a screen later asks again.
    if (!kel::EnsureForeignHostReady(entry->result != kel::ScreenResult::UserInfoCount)) return result;
#endif
    if (entry->result == kel::ScreenResult::UserInfoCount) return kel::CountUserInfo();
    auto screen = kel::CreateScreen(*entry);
    if (screen) result = static_cast<int>(screen->DoModal());
    return result;
}

extern "C" int KELMOR_ENTRY PopWnd(const char* text, int width, int height, int textRight, int textBottom, int red1,
                                   int green1, int blue1, int red2, int green2, int blue2) {
    COLORREF background = RGB(static_cast<unsigned>(red1), static_cast<unsigned>(green1), static_cast<unsigned>(blue1));
    COLORREF textColour = RGB(static_cast<unsigned>(red2), static_cast<unsigned>(green2), static_cast<unsigned>(blue2));
#ifdef _WIN32
    kel::EnsureForeignHostDriver();  // the popup is drawn by the installed driver
#endif
    auto* thread =
        new (std::nothrow) CPopWndThread(HostText(text), width, height, textRight, textBottom, background, textColour);
    if (!thread) return 1;
    thread->HoldLibraryOf(reinterpret_cast<const void*>(&PopWnd));  // the host may unload us before it ends
    if (!thread->CreateThread()) delete thread;                     // never started: nobody else will free it
    return 1;
}
