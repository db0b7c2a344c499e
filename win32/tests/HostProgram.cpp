// A small 32-bit host that uses Kelmor.dll as a foreign program does: it loads the
// DLL, looks up the two exports by their exported names and calls them through
// standard-call pointers, installing nothing of its own.
//   kelmor-host.exe [SCREEN...]     opens each screen, prints "SCREEN -> RESULT"
//   kelmor-host.exe --pop TEXT      shows a popup (TEXT in the ANSI code page)
// For the tests, a person stands in through the windows alone:
//   --logon USER PASSWORD   fills the module's log-on dialog and confirms it; when
//                           the log-on fails, prints "log-on refused: WHY (all of
//                           it shows|cut)" from the dialog and cancels it
//   --cancel-logon          cancels the log-on dialog (until a --logon follows)
//   --picture FILE.bmp      takes a picture of the next screen once it is up, then
//                           closes it with its close box
//   --cell KEY COLUMN       the same, printing "cell: TEXT" (UTF-8): the text its list
//                           shows in COLUMN of the row whose first column reads KEY
#include <windows.h>

#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "win32/WindowText.h"

namespace {

using kel::win32::ListCellText;

struct Search {
    const wchar_t* title;  // null: any titled window but the log-on
    HWND found;
};

BOOL CALLBACK Consider(HWND hwnd, LPARAM data) {
    auto* s = reinterpret_cast<Search*>(data);
    wchar_t text[128] = {};
    GetWindowTextW(hwnd, text, 128);
    if (!IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd)) return TRUE;
    if (s->title && lstrcmpW(text, s->title) != 0) return TRUE;
    if (!s->title && (text[0] == 0 || lstrcmpW(text, L"登录") == 0)) return TRUE;
    s->found = hwnd;
    return FALSE;
}

// A visible, enabled top-level window of this thread.
HWND FindOurWindow(const wchar_t* title) {
    Search search{title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &Consider, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool SaveBitmap(HWND hwnd, const char* path) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    const int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + stride * h),
                          0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    bool ok = false;
    if (FILE* f = std::fopen(path, "wb")) {
        ok = std::fwrite(&file, sizeof file, 1, f) == 1 &&
             std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, f) == 1 &&
             std::fwrite(bits, static_cast<size_t>(stride * h), 1, f) == 1;
        ok = std::fclose(f) == 0 && ok;
    }
    DeleteObject(bitmap);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

std::string Utf8(const std::wstring& text) {
    std::string utf8(
        static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
    if (!utf8.empty()) utf8.pop_back();  // the terminating NUL
    return utf8;
}

// What the screen's list shows in `column` of the row keyed `key`, as the person reads it.
void PrintCell(HWND screen, const std::wstring& key, int column) {
    HWND list = FindWindowExW(screen, nullptr, WC_LISTVIEWW, nullptr);
    std::wstring text = L"(no such row)";
    const int rows = list ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
    for (int row = 0; row < rows; ++row)
        if (ListCellText(list, row, 0) == key) text = ListCellText(list, row, column);
    std::printf("cell: %s\n", Utf8(text).c_str());
}

// The stand-in for the person: a timer of the user-interface thread, so that it acts
// while the module's dialogs run their loops.
struct Person {
    std::wstring user, password;
    std::string picture;
    std::wstring cellKey;
    int cellColumn = -1;
    bool loggedOn = false;
    bool cancelLogon = false;
    HWND cancelled = nullptr;  // the log-on dialog last cancelled
    bool pictured = false;
    bool toldRefusal = false;
    int waited = 0;
} g_person;

void CALLBACK Act(HWND, UINT, UINT_PTR, DWORD) {
    Person& p = g_person;
    if (p.cancelLogon) {
        if (HWND logon = FindOurWindow(L"登录")) {
            if (logon != p.cancelled) std::printf("log-on cancelled\n");
            p.cancelled = logon;
            PostMessageW(GetDlgItem(logon, IDCANCEL), BM_CLICK, 0, 0);
            return;
        }
    }
    if (p.loggedOn && !p.toldRefusal) {
        // A log-on that failed shows why on the dialog: all of it, then cancelled.
        HWND logon = FindOurWindow(L"登录");
        HWND message = logon ? GetDlgItem(logon, 9903) : nullptr;
        const std::wstring text = message ? kel::win32::WindowText(message) : std::wstring();
        if (!text.empty()) {
            RECT box{}, need{};
            GetClientRect(message, &box);
            need.right = box.right;
            HDC dc = GetDC(message);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(message, WM_GETFONT, 0, 0)));
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            SelectObject(dc, old);
            ReleaseDC(message, dc);
            const bool shows = need.right <= box.right && need.bottom <= box.bottom;
            std::printf("log-on refused: %s (%s)\n", Utf8(text).c_str(), shows ? "all of it shows" : "cut");
            p.toldRefusal = true;
            PostMessageW(GetDlgItem(logon, IDCANCEL), BM_CLICK, 0, 0);
            return;
        }
    }
    if (!p.user.empty() && !p.loggedOn) {
        if (HWND logon = FindOurWindow(L"登录")) {
            SetWindowTextW(GetDlgItem(logon, 9901), p.user.c_str());
            SetWindowTextW(GetDlgItem(logon, 9902), p.password.c_str());
            PostMessageW(GetDlgItem(logon, IDOK), BM_CLICK, 0, 0);
            p.loggedOn = true;
            return;
        }
    }
    if ((!p.picture.empty() || p.cellColumn >= 0) && !p.pictured) {
        HWND screen = FindOurWindow(nullptr);
        if (!screen) return;
        if (++p.waited < 10) return;  // let it draw its rows
        if (p.cellColumn >= 0) PrintCell(screen, p.cellKey, p.cellColumn);
        if (!p.picture.empty()) {
            RedrawWindow(screen, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            std::printf("picture %s\n", SaveBitmap(screen, p.picture.c_str()) ? "taken" : "failed");
        }
        p.pictured = true;
        PostMessageW(screen, WM_CLOSE, 0, 0);
    }
}

std::wstring Wide(const char* s) {
    std::wstring w(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), static_cast<int>(w.size()));
    if (!w.empty()) w.pop_back();
    return w;
}

}  // namespace

using CallDialog = int(__stdcall*)(int, int);
using PopWndFn = int(__stdcall*)(const char*, int, int, int, int, int, int, int, int, int, int);

int main(int argc, char** argv) {
    HMODULE dll = LoadLibraryW(L"Kelmor.dll");
    if (!dll) {
        std::printf("cannot load Kelmor.dll (error %lu)\n", GetLastError());
        return 2;
    }
    auto call = reinterpret_cast<CallDialog>(reinterpret_cast<void*>(GetProcAddress(dll, "_Call_Kelmor_Dialog@8")));
    auto pop = reinterpret_cast<PopWndFn>(reinterpret_cast<void*>(GetProcAddress(dll, "PopWnd")));
    if (!call || !pop) {
        std::printf("Kelmor.dll lacks its exports\n");
        return 2;
    }
    SetTimer(nullptr, 0, 200, &Act);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--cancel-logon") == 0) {
            g_person.cancelLogon = true;
            continue;
        }
        if (std::strcmp(argv[i], "--logon") == 0 && i + 2 < argc) {
            g_person.cancelLogon = false;
            g_person.user = Wide(argv[++i]);
            g_person.password = Wide(argv[++i]);
            continue;
        }
        if (std::strcmp(argv[i], "--picture") == 0 && i + 1 < argc) {
            g_person.picture = argv[++i];
            continue;
        }
        if (std::strcmp(argv[i], "--cell") == 0 && i + 2 < argc) {
            g_person.cellKey = Wide(argv[++i]);
            g_person.cellColumn = std::atoi(argv[++i]);
            continue;
        }
        if (std::strcmp(argv[i], "--pop") == 0 && i + 1 < argc) {
            // Colours above 255 count by their low 8 bits only.
            const int result = pop(argv[++i], 150, 115, 128, 93, 255, 0x1FF, 255, 0, 0, 0);
            std::printf("pop -> %d\n", result);
            Sleep(1500);  // the popup runs on its own thread; the host does not wait for it
            continue;
        }
        const int screen = std::atoi(argv[i]);
        std::printf("%d -> %d\n", screen, call(screen, 0x5A5A5A5A));
        std::fflush(stdout);
    }
    // A popup may still be showing on its own thread: the DLL stays until the end,
    // as in a host that loads it once.
    return 0;
}
