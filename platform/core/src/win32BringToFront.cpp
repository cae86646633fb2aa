#include "core/win32BringToFront.h"

namespace kavri3D {
namespace core {

bool win32BringToFront(HWND window)
{
    if (!IsWindow(window))
        return false;
    if (!window->visible)
        ShowWindow(window, SW_SHOW);
    // The render window's focus hook raises its X window and gives it the input focus.
    return SetForegroundWindow(window) != FALSE;
}

} // namespace core
} // namespace kavri3D
