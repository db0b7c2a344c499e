// Where the task-bar popup goes: which screen edge the task bar is on, the popup's
// final rectangle beside it, and the rectangle shown at each step of the rise and
// the sink. Plain arithmetic on the desktop's geometry.
#pragma once

#include "host/win/PopupSurface.h"

namespace kel::popup {

enum TaskBarEdge : int {
    kEdgeBottom = 200,
    kEdgeTop = 201,
    kEdgeRight = 202,  // also: no task bar to be seen (auto-hidden)
    kEdgeLeft = 203,
};

// Tested in this order: bottom when the work area is as wide as the screen and ends
// above the screen's bottom; top when the work area starts at the left but not at
// the top; left when it starts right of 0 at the top; otherwise right.
TaskBarEdge DecideEdge(const win::DesktopMetrics& desktop);

// The popup's final rectangle in the work area: at the right edge, above the bottom
// (or below the top for a task bar at the top); at the left edge for a task bar at
// the left.
win::Rect AnchorFor(TaskBarEdge edge, const win::Rect& workArea, int width, int height);

// The rectangle shown with `shownHeight` pixels risen: 10 pixels narrower than the
// popup, growing up from the anchor's bottom (down from its top for a task bar at
// the top), and 10 pixels in from the left for a task bar at the left.
win::Rect StepRect(TaskBarEdge edge, const win::Rect& anchor, int width, int shownHeight);

}  // namespace kel::popup
