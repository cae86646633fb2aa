#pragma once
#include <win32/Windows.h>

namespace kavri3D {
namespace core {

/// A 32-bit DIB section the size of the rectangle, rows top-down in memory (so a texture
/// filled from the pixels shows the picture as drawn), cleared. False, with both results
/// null, for an empty or oversized rectangle.
bool win32CreateBitmap(HDC dc, const RECT& rect, HBITMAP& bitmap, void*& bits);

} // namespace core
} // namespace kavri3D
