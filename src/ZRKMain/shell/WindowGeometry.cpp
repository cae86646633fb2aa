#include "shell/WindowGeometry.h"

#include <algorithm>

namespace kavri3D {
namespace zrk {

namespace {
// Narrower than this the game's screens no longer fit; the window then stays this wide and is
// pinned to the work area's left edge.
const int kMinClientWidth = 640;
} // namespace

WindowGeometry WindowGeometry::compute(bool hasParent, const RECT& parentClient, bool embeddedArgument,
                                       int fullScreenMode, int screenWidth, int screenHeight, const RECT& workArea)
{
    WindowGeometry g;
    g.embedded = embeddedArgument && hasParent;
    g.fullScreenWidth = screenWidth;
    g.fullScreenHeight = screenHeight;
    g.style = WS_VISIBLE | WS_CLIPCHILDREN;
    if (hasParent) {
        g.style |= WS_CHILD;
        g.x = 0;
        g.y = 0;
        g.width = parentClient.right;
        g.height = parentClient.bottom;
    } else {
        g.style |= WS_OVERLAPPEDWINDOW;
        g.style &= ~(WS_MAXIMIZEBOX | WS_THICKFRAME); // fixed size, no maximise
        g.exStyle |= WS_EX_WINDOWEDGE;

        RECT probe{0, 0, 800, 600};
        AdjustWindowRectEx(&probe, g.style, FALSE, g.exStyle);
        const int frameAllowance = (probe.bottom - probe.top) - 600 + 4;
        const int workHeight = workArea.bottom - workArea.top;
        if (workHeight >= 775)
            g.clientHeight = 775 - frameAllowance;
        else if (workHeight <= frameAllowance + 600)
            g.clientHeight = 600;
        else
            g.clientHeight = workHeight - frameAllowance;
        g.clientWidth = g.clientHeight * 16 / 9;
        // The width fits the work area too: a 16:9 window from the height alone would run
        // off a 5:4 screen. The client then keeps 16:9 at the width that fits.
        const int frameWidth = (probe.right - probe.left) - 800;
        const int workWidth = workArea.right - workArea.left;
        if (g.clientWidth + frameWidth > workWidth) {
            g.clientWidth = std::max(workWidth - frameWidth, kMinClientWidth);
            g.clientHeight = g.clientWidth * 9 / 16;
        }

        RECT outer{0, 0, g.clientWidth, g.clientHeight};
        AdjustWindowRectEx(&outer, g.style, FALSE, g.exStyle);
        const int outerW = outer.right - outer.left;
        const int outerH = outer.bottom - outer.top;
        g.x = (workArea.left + workArea.right) / 2 - outerW / 2;
        g.y = (workArea.top + workArea.bottom) / 2 - outerH / 2;
        if (g.x < workArea.left)
            g.x = workArea.left;
        else if (g.x + outerW > workArea.right)
            g.x = workArea.right - outerW;
        if (g.y < workArea.top)
            g.y = workArea.top;
        else if (g.y + outerH > workArea.bottom)
            g.y = workArea.bottom - outerH;
        g.width = outerW;
        g.height = outerH;
    }
    if (fullScreenMode == 1) {
        g.fullScreenWidth = g.clientWidth;
        g.fullScreenHeight = g.clientHeight;
    }
    return g;
}

} // namespace zrk
} // namespace kavri3D
