// CTaskBarMsgWnd: the popup that rises out of the task bar edge, stays five seconds
// and sinks back. The model runs the timeline on the thread that made it (its timers
// and input arrive there); the driver's surface shows it.
#pragma once

#include <memory>
#include <string>

#include "host/win/PopupSurface.h"
#include "host/win/Wnd.h"
#include "popup/TaskBarGeometry.h"

class CTaskBarMsgWnd : public CWnd {
public:
    static constexpr UINT_PTR kRiseTimer = 100;
    static constexpr UINT_PTR kSinkTimer = 101;
    static constexpr UINT_PTR kStayTimer = 102;
    static constexpr int kStep = 2;  // pixels per timer tick
    static constexpr int kBitmapMaxWidth = 130;
    static constexpr int kBitmapMaxHeight = 105;
    // A click tells the main window of the client program.
    static constexpr UINT kClickMessage = WM_USER + 100;
    static constexpr const char* kMainWindowTitle = "Tessan保险业务系统";
    static constexpr const char* kBitmapFile = "frame.bmp";
    static constexpr const char* kFontFamily = "MS Sans Serif";

    // The bitmap file is looked for in the current folder now.
    CTaskBarMsgWnd(const std::string& text, int width, int height, UINT stayTime, UINT stepPeriod,
                   const win::Rect& textRect, COLORREF background, COLORREF textColour);
    ~CTaskBarMsgWnd() override;

    // The show sequence: decides the edge and the anchor, makes the window and starts
    // rising. False when no window can be made (nothing is then running).
    bool PopUp();
    bool IsDestroyed() const { return m_bDestroyed; }

    kel::popup::TaskBarEdge GetEdge() const { return m_nEdge; }
    const win::Rect& GetAnchor() const { return m_rcAnchor; }
    int GetShownHeight() const { return m_nShownHeight; }
    bool IsHovering() const { return m_bHover; }
    const win::PopupLook& GetLook() const { return m_look; }

    void OnTimer(UINT_PTR nIDEvent) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    virtual void OnClick();
    void OnMouseHover();
    void OnMouseLeave();

private:
    struct InputLink;
    void PlaceStep();
    void DestroyWindow();

    int m_nWidth;
    int m_nHeight;
    UINT m_nStayTime;
    UINT m_nStepPeriod;
    win::PopupLook m_look;
    bool m_bHover = false;
    kel::popup::TaskBarEdge m_nEdge = kel::popup::kEdgeBottom;
    win::Rect m_rcAnchor;
    int m_nShownHeight = 0;
    bool m_bDestroyed = false;
    std::unique_ptr<win::PopupSurface> m_surface;
    std::shared_ptr<InputLink> m_link;
};
