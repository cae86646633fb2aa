#pragma once
#include <win32/Windows.h>

namespace kavri3D {
namespace core {

/// Shows the window above the others and gives it the keyboard (the launcher's "raise").
/// False when the handle names no window.
bool win32BringToFront(HWND window);

} // namespace core
} // namespace kavri3D
