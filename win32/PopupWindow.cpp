#include "win32/PopupWindow.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <mutex>

#include "win32/Library.h"
#include "win32/WideText.h"

namespace kel::win32 {
namespace {

constexpr wchar_t kClass[] = L"KelmorTaskBarNotice";
constexpr UINT kCreate = WM_APP + 1;   // lParam: the Popup to make the window of
constexpr UINT kDestroy = WM_APP + 2;  // lParam: the window to destroy
constexpr UINT kQuit = WM_APP + 3;     // the last notice has gone

struct Popup {
    win::PopupLook look;
    win::PopupInput input;
    HWND hwnd = nullptr;
    HFONT plain = nullptr;
    HFONT underlined = nullptr;
    HBITMAP bitmap = nullptr;
    bool underline = false;
    bool tracking = false;
};

HFONT MakeFont(const win::FontSpec& font, bool underline) {
    LOGFONTW lf{};
    HDC dc = GetDC(nullptr);
    lf.lfHeight = -MulDiv(font.pointSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(nullptr, dc);
    lf.lfWeight = font.weight;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, Wide(font.family).c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

// The text that fits the box in whole lines: all of it, or as much as fits with
// "..." after it. (The system's own end ellipsis does not end a wrapped text
// everywhere: some versions leave the last line without it.)
std::wstring Fitting(HDC dc, const std::wstring& text, const RECT& box, UINT flags) {
    auto height = [&](const std::wstring& t) {
        RECT r = box;
        DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &r, flags | DT_CALCRECT);
        return r.bottom - r.top;
    };
    auto cut = [&](size_t n) {
        if (n > 0 && IS_HIGH_SURROGATE(text[n - 1])) --n;  // never half a character
        while (n > 0 && iswspace(text[n - 1])) --n;
        return text.substr(0, n) + L"...";
    };
    const int room = box.bottom - box.top;
    if (height(text) <= room) return text;
    size_t fits = 0, fitsNot = text.size();
    while (fitsNot - fits > 1) {
        const size_t mid = (fits + fitsNot) / 2;
        (height(cut(mid)) <= room ? fits : fitsNot) = mid;
    }
    return cut(fits);
}

void Paint(Popup& p, HDC dc) {
    RECT client{};
    GetClientRect(p.hwnd, &client);
    HBRUSH background = CreateSolidBrush(p.look.background);
    FillRect(dc, &client, background);
    DeleteObject(background);
    if (p.bitmap) {
        BITMAP info{};
        GetObjectW(p.bitmap, sizeof info, &info);
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, p.bitmap);
        BitBlt(dc, 0, 0, std::min<int>(info.bmWidth, p.look.bitmapMaxWidth),
               std::min<int>(info.bmHeight, p.look.bitmapMaxHeight), mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    RECT box{p.look.textRect.left, p.look.textRect.top, p.look.textRect.right, p.look.textRect.bottom};
    HGDIOBJ oldFont = SelectObject(dc, p.underline ? p.underlined : p.plain);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, p.look.textColour);
    const UINT flags = DT_CENTER | DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX | DT_EDITCONTROL;
    const std::wstring text = Fitting(dc, Wide(p.look.text), box, flags);
    // Centred both ways: the wrapped text's height first, then the box around it.
    RECT measure = box;
    const int height = DrawTextW(dc, text.c_str(), -1, &measure, flags | DT_CALCRECT);
    if (height < box.bottom - box.top) box.top += (box.bottom - box.top - height) / 2;
    DrawTextW(dc, text.c_str(), -1, &box, flags);
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* p = reinterpret_cast<Popup*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
        case kCreate: {
            // Sent to the thread's helper window: make the notice here.
            auto* popup = reinterpret_cast<Popup*>(lParam);
            popup->hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClass, L"", WS_POPUP, 0,
                                          0, 0, 0, nullptr, nullptr, ThisLibrary(), nullptr);
            SetWindowLongPtrW(popup->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(popup));
            return 0;
        }
        case kDestroy: DestroyWindow(reinterpret_cast<HWND>(lParam)); return 0;
        case kQuit: PostQuitMessage(0); return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (p) Paint(*p, dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:  // a picture of the notice (tests, the system's animations)
            if (p) Paint(*p, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND: return 1;
        case WM_MOUSEMOVE:
            if (p && !p->tracking) {
                TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, hwnd, 1};
                p->tracking = TrackMouseEvent(&track) != FALSE;
            }
            return 0;
        case WM_MOUSEHOVER:
            if (p) {
                p->tracking = false;
                if (p->input) p->input(WM_MOUSEHOVER);
            }
            return 0;
        case WM_MOUSELEAVE:
            if (p) {
                p->tracking = false;
                if (p->input) p->input(WM_MOUSELEAVE);
            }
            return 0;
        case WM_LBUTTONUP:
            if (p && p->input) p->input(WM_LBUTTONUP);
            return 0;
        case WM_SETCURSOR: SetCursor(LoadCursorA(nullptr, IDC_APPSTARTING)); return TRUE;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

// The thread that owns every notice window: it starts with the first notice and
// ends with the last one. It keeps this library loaded while it runs and lets it go
// as its very last act, so that a host may unload the module while a notice shows;
// its window class goes before it.
class Helper {
public:
    static Helper& Get() {
        static Helper helper;
        return helper;
    }
    ~Helper() {
        if (m_thread) CloseHandle(m_thread);
    }
    // The thread's window, counting one notice more; null when it cannot run.
    HWND Acquire();
    void Release();

private:
    struct Start {
        HMODULE library;
        HANDLE ready;
        HWND window;
    };
    static DWORD WINAPI Main(void* data);

    std::mutex m_mutex;
    HWND m_window = nullptr;
    HANDLE m_thread = nullptr;  // the last one started
    int m_notices = 0;
};

DWORD WINAPI Helper::Main(void* data) {
    auto* start = static_cast<Start*>(data);
    const HMODULE library = start->library;
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &Proc;
    wc.hInstance = library;
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, library, nullptr);
    start->window = window;
    SetEvent(start->ready);  // `start` is gone from here on
    if (window) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        DestroyWindow(window);
    }
    UnregisterClassW(kClass, library);
    FreeLibraryAndExitThread(library, 0);
}

HWND Helper::Acquire() {
    std::lock_guard lock(m_mutex);
    if (!m_window) {
        // The thread before has to have taken its class away first.
        if (m_thread) {
            WaitForSingleObject(m_thread, INFINITE);
            CloseHandle(m_thread);
            m_thread = nullptr;
        }
        Start start{nullptr, CreateEventW(nullptr, TRUE, FALSE, nullptr), nullptr};
        if (!start.ready) return nullptr;
        HANDLE thread = nullptr;
        if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&Proc),
                               &start.library)) {
            thread = CreateThread(nullptr, 0, &Helper::Main, &start, 0, nullptr);
            if (!thread) FreeLibrary(start.library);
        }
        if (thread) WaitForSingleObject(start.ready, INFINITE);
        CloseHandle(start.ready);
        if (!thread) return nullptr;
        m_thread = thread;
        m_window = start.window;  // null: the thread has ended already
        if (!m_window) return nullptr;
    }
    ++m_notices;
    return m_window;
}

void Helper::Release() {
    std::lock_guard lock(m_mutex);
    if (--m_notices > 0 || !m_window) return;
    PostMessageW(m_window, kQuit, 0, 0);
    m_window = nullptr;
}

class Surface : public win::PopupSurface {
public:
    Surface(std::unique_ptr<Popup> popup, HWND helper) : m_popup(std::move(popup)), m_helper(helper) {}
    ~Surface() override {
        SendMessageW(m_helper, kDestroy, 0, reinterpret_cast<LPARAM>(m_popup->hwnd));
        DeleteObject(m_popup->plain);
        DeleteObject(m_popup->underlined);
        if (m_popup->bitmap) DeleteObject(m_popup->bitmap);
        Helper::Get().Release();
    }
    void Place(const win::Rect& r) override {
        SetWindowPos(m_popup->hwnd, HWND_TOPMOST, r.left, r.top, r.Width(), r.Height(),
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
        InvalidateRect(m_popup->hwnd, nullptr, FALSE);
    }
    void SetUnderline(bool underline) override {
        m_popup->underline = underline;
        InvalidateRect(m_popup->hwnd, nullptr, FALSE);
    }

private:
    std::unique_ptr<Popup> m_popup;
    HWND m_helper;
};

}  // namespace

std::unique_ptr<win::PopupSurface> MakePopupSurface(const win::PopupLook& look, win::PopupInput input) {
    HWND helper = Helper::Get().Acquire();
    if (!helper) return nullptr;
    auto popup = std::make_unique<Popup>();
    popup->look = look;
    popup->input = std::move(input);
    popup->plain = MakeFont(look.font, false);
    popup->underlined = MakeFont(look.font, true);
    if (!look.bitmapPath.empty())
        popup->bitmap = static_cast<HBITMAP>(
            LoadImageW(nullptr, Wide(look.bitmapPath).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    SendMessageW(helper, kCreate, 0, reinterpret_cast<LPARAM>(popup.get()));
    if (!popup->hwnd) {
        DeleteObject(popup->plain);
        DeleteObject(popup->underlined);
        if (popup->bitmap) DeleteObject(popup->bitmap);
        Helper::Get().Release();
        return nullptr;
    }
    return std::make_unique<Surface>(std::move(popup), helper);
}

}  // namespace kel::win32
