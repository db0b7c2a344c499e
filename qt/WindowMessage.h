// A window message delivered to a Qt top-level window: how SendToWindow reaches the
// host's main window. The window handles the event and leaves its answer in it.
#pragma once

#include <QEvent>

#include "host/win/WinTypes.h"

namespace kel::qt {

class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(UINT message, WPARAM wParam, LPARAM lParam)
        : QEvent(EventType()), message(message), wParam(wParam), lParam(lParam) {
        setAccepted(false);
    }
    static QEvent::Type EventType() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
};

}  // namespace kel::qt
