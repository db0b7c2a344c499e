// The framework's application object of a library: constructed when the library
// loads, InitInstance at once, ExitInstance when it unloads.
#pragma once

#include "host/win/WinTypes.h"

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr) : m_pszAppName(appName ? appName : "") {}
    virtual ~CWinApp() = default;
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    const char* m_pszAppName;
};

// Dialogs may host embedded controls; nothing to switch on here, kept for the shape
// of the library's start-up.
inline void AfxEnableControlContainer() {}
