#include "core/win32CreateBitmap.h"

namespace kavri3D {
namespace core {

bool win32CreateBitmap(HDC dc, const RECT& rect, HBITMAP& bitmap, void*& bits)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = rect.right - rect.left;
    info.bmiHeader.biHeight = -(rect.bottom - rect.top); // negative: top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bits = nullptr;
    bitmap = rect.bottom > rect.top ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (!bitmap)
        bits = nullptr;
    return bitmap != nullptr;
}

} // namespace core
} // namespace kavri3D
