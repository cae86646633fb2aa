#pragma once
#include <win32/Windows.h>

namespace kavri3D {
namespace zrk {

/// Where and how big the game window is, decided before it exists: a fixed-size top-level
/// window with a 16:9 client area that fits the work area (its height, and its width), or a
/// child filling the launcher's window.
struct WindowGeometry {
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0; // outer position
    int width = 0;    // outer size (a child: the parent's client size)
    int height = 0;
    int clientWidth = 800; // the drawable size the game is laid out for
    int clientHeight = 600;
    int fullScreenWidth = 0;
    int fullScreenHeight = 0;
    bool embedded = false;

    /// `parentClient` is read only with a parent. Pure: the same inputs give the same window.
    static WindowGeometry compute(bool hasParent, const RECT& parentClient, bool embeddedArgument, int fullScreenMode,
                                  int screenWidth, int screenHeight, const RECT& workArea);
};

} // namespace zrk
} // namespace kavri3D
