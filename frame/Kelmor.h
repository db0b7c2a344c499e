// The library's application object and its two entry points.
#pragma once

#include "host/win/App.h"

class CKelmorApp : public CWinApp {
public:
    CKelmorApp();
    ~CKelmorApp() override;
    BOOL InitInstance() override;
    int ExitInstance() override;
};

// The host calls both with the standard Windows calling convention (the callee
// removes the arguments); elsewhere there is only one convention.
#ifdef _WIN32
#define KELMOR_ENTRY __stdcall
#else
#define KELMOR_ENTRY
#endif

extern "C" {
// Opens screen `screenNumber` modally and returns its result (the count for 13,
// 0 for a number not in the table). The reserved argument is ignored.
int KELMOR_ENTRY Call_Kelmor_Dialog(int screenNumber, int reserved);

// Starts a task-bar popup on a thread of its own and returns 1 at once. Colours
// come as red, green, blue parts; only the low 8 bits of each count.
int KELMOR_ENTRY PopWnd(const char* text, int width, int height, int textRight, int textBottom, int red1, int green1,
                        int blue1, int red2, int green2, int blue2);
}
