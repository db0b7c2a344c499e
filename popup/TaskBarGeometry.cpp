#include "popup/TaskBarGeometry.h"

namespace kel::popup {

TaskBarEdge DecideEdge(const win::DesktopMetrics& desktop) {
    const win::Rect& work = desktop.workArea;
    const win::Rect& screen = desktop.screen;
    if (work.Width() == screen.Width() && work.bottom < screen.bottom) return kEdgeBottom;
    if (work.left == 0 && work.top != 0) return kEdgeTop;
    if (work.left != 0 && work.top == 0) return kEdgeLeft;
    return kEdgeRight;
}

win::Rect AnchorFor(TaskBarEdge edge, const win::Rect& workArea, int width, int height) {
    int x = workArea.right - width;
    int y = workArea.bottom - height;
    if (edge == kEdgeTop) y = workArea.top;
    if (edge == kEdgeLeft) x = workArea.left;
    return {x, y, x + width, y + height};
}

win::Rect StepRect(TaskBarEdge edge, const win::Rect& anchor, int width, int shownHeight) {
    int left = anchor.left + (edge == kEdgeLeft ? 10 : 0);
    int top = edge == kEdgeTop ? anchor.top : anchor.bottom - shownHeight;
    return {left, top, left + (width - 10), top + shownHeight};
}

}  // namespace kel::popup
