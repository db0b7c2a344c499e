// A host that lets Kelmor.dll go the moment its popup is on the way: it loads the
// DLL, calls PopWnd, frees the DLL at once and waits out the popup (rising, five
// seconds, sinking). The module must stay loaded for as long as its popup runs,
// then go, and nothing may crash. Then it loads the DLL again and shows a second
// popup, which must work as the first did.
//   kelmor-unload.exe     prints what it saw; exit code 0 when all was as it should be
#include <windows.h>

#include <cstdio>

namespace {

using PopWndFn = int(__stdcall*)(const char*, int, int, int, int, int, int, int, int, int, int);

// Shows a popup and frees the DLL at once; true when the DLL stayed for the popup
// and went after it.
bool PopAndUnload(int round) {
    HMODULE dll = LoadLibraryW(L"Kelmor.dll");
    if (!dll) {
        std::printf("round %d: cannot load Kelmor.dll (error %lu)\n", round, GetLastError());
        return false;
    }
    auto pop = reinterpret_cast<PopWndFn>(reinterpret_cast<void*>(GetProcAddress(dll, "PopWnd")));
    if (!pop) return false;
    const int result = pop("Kelmor.dll is unloaded while this shows", 150, 115, 128, 93, 255, 255, 255, 0, 0, 0);
    FreeLibrary(dll);
    const bool stayed = GetModuleHandleW(L"Kelmor.dll") != nullptr;
    // Up and down take 57 steps of at least 10 ms each way; a second more is plenty.
    bool gone = false;
    for (int i = 0; i < 150 && !gone; ++i) {
        Sleep(100);
        gone = GetModuleHandleW(L"Kelmor.dll") == nullptr;
    }
    std::printf("round %d: pop -> %d, kept while showing: %s, unloaded after: %s\n", round, result,
                stayed ? "yes" : "no", gone ? "yes" : "no");
    std::fflush(stdout);
    return result == 1 && stayed && gone;
}

}  // namespace

int main() {
    const bool first = PopAndUnload(1);
    const bool second = PopAndUnload(2);
    std::printf("%s\n", first && second ? "survived" : "failed");
    return first && second ? 0 : 1;
}
