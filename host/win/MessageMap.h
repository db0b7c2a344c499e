// Message maps in the framework's shape: a static table per class binding a
// (message, notification code, control ID) to a member handler, chained to the
// base class's table.
#pragma once

#include "host/win/WinTypes.h"

class CWnd;

struct MsgMapEntry {
    UINT nMessage;                                             // WM_COMMAND, WM_NOTIFY or a message number
    UINT nCode;                                                // notification code (WM_COMMAND / WM_NOTIFY)
    UINT nID;                                                  // control ID (WM_COMMAND / WM_NOTIFY)
    LRESULT (*pfn)(CWnd* self, WPARAM wParam, LPARAM lParam);  // null ends the table
};

struct MessageMap {
    const MessageMap* (*pfnGetBaseMap)();
    const MsgMapEntry* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                         \
public:                                               \
    static const MessageMap* GetThisMessageMap();     \
    const MessageMap* GetMessageMap() const override; \
                                                      \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MessageMap* theClass::GetThisMessageMap() {                                 \
        using ThisClass [[maybe_unused]] = theClass;                                  \
        using TheBaseClass = baseClass;                                               \
        static const MsgMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                      \
    { 0, 0, 0, nullptr }                                                       \
    }                                                                          \
    ;                                                                          \
    static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &map;                                                               \
    }

#define ON_CONTROL(code, id, memberFxn)                                             \
    {WM_COMMAND, (UINT)(code), (UINT)(id), [](CWnd* p, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(p)->memberFxn();                                   \
         return 0;                                                                  \
     }},

#define ON_COMMAND(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_KILLFOCUS(id, memberFxn) ON_CONTROL(CBN_KILLFOCUS, id, memberFxn)
#define ON_CBN_DROPDOWN(id, memberFxn) ON_CONTROL(CBN_DROPDOWN, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_CLBN_CHKCHANGE(id, memberFxn) ON_CONTROL(CLBN_CHKCHANGE, id, memberFxn)

// Handler: void memberFxn(NMHDR* pNotifyStruct, LRESULT* pResult)
#define ON_NOTIFY(code, id, memberFxn)                                                \
    {WM_NOTIFY, (UINT)(code), (UINT)(id), [](CWnd* p, WPARAM, LPARAM l) -> LRESULT {  \
         LRESULT result = 0;                                                          \
         static_cast<ThisClass*>(p)->memberFxn(reinterpret_cast<NMHDR*>(l), &result); \
         return result;                                                               \
     }},

// Handler: LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(message, memberFxn) \
    {(UINT)(message), 0, 0,            \
     [](CWnd* p, WPARAM w, LPARAM l) -> LRESULT { return static_cast<ThisClass*>(p)->memberFxn(w, l); }},
