// The GDI subset: device contexts, pens, the null brush and 32-bit DIB sections, drawn with
// Cairo. Only outlines are drawn (the gauges select the null brush), aliased as GDI draws.
#include "win32/Windows.h"

#include <cairo.h>
#include <cmath>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

struct GdiObject {
    enum Kind { Pen, Brush, Bitmap };
    explicit GdiObject(Kind k, bool isStock = false) : kind(k), stock(isStock) {}
    Kind kind;
    bool stock;
    // Pen.
    int width = 1;
    COLORREF colour = 0;
    // Brush: a null brush draws no fill.
    bool hollow = true;
    // Bitmap.
    int cx = 0, cy = 0;
    bool topDown = true;
    std::vector<std::uint32_t> pixels;
    int selected = 0; ///< contexts it is selected into
};

struct GdiContext {
    bool screen = false;
    HBITMAP bitmap = nullptr;
    HPEN pen = nullptr;
    HBRUSH brush = nullptr;
};

namespace {
std::mutex gMutex;
std::set<GdiObject*> gObjects;

GdiObject* stockNullBrush()
{
    static GdiObject brush(GdiObject::Brush, true);
    return &brush;
}

GdiObject* stockBlackPen()
{
    static GdiObject pen(GdiObject::Pen, true);
    return &pen;
}

GdiObject* stockBitmap()
{
    // A fresh memory context holds a 1 x 1 placeholder, as on Windows.
    static GdiObject bitmap(GdiObject::Bitmap, true);
    return &bitmap;
}

GdiContext* screenContext()
{
    static GdiContext screen{true, nullptr, stockBlackPen(), stockNullBrush()};
    return &screen;
}

bool known(HGDIOBJ object)
{
    if (!object)
        return false;
    if (object->stock)
        return true;
    std::lock_guard<std::mutex> lock(gMutex);
    return gObjects.count(object) != 0;
}

GdiObject* track(GdiObject* object)
{
    std::lock_guard<std::mutex> lock(gMutex);
    gObjects.insert(object);
    return object;
}

/// Runs the drawing on the context's bitmap with its pen; false without a bitmap to draw on.
template <class Draw> BOOL draw(HDC dc, Draw path)
{
    if (!dc || dc->screen || !dc->bitmap || dc->bitmap->stock || dc->bitmap->pixels.empty())
        return FALSE;
    GdiObject& bmp = *dc->bitmap;
    const int stride = bmp.cx * 4;
    // A bottom-up section is drawn the right way up through a flipped copy.
    std::vector<std::uint32_t> flipped;
    std::uint32_t* data = bmp.pixels.data();
    if (!bmp.topDown) {
        flipped.resize(bmp.pixels.size());
        for (int y = 0; y < bmp.cy; ++y)
            std::memcpy(&flipped[std::size_t(y) * bmp.cx], &bmp.pixels[std::size_t(bmp.cy - 1 - y) * bmp.cx], stride);
        data = flipped.data();
    }
    cairo_surface_t* surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(data),
                                                                   CAIRO_FORMAT_RGB24, bmp.cx, bmp.cy, stride);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    path(cr);
    const GdiObject* brush = dc->brush;
    if (brush && !brush->hollow) {
        cairo_set_source_rgb(cr, (brush->colour & 0xFF) / 255.0, (brush->colour >> 8 & 0xFF) / 255.0,
                             (brush->colour >> 16 & 0xFF) / 255.0);
        cairo_fill_preserve(cr);
    }
    const GdiObject* pen = dc->pen;
    if (pen) {
        cairo_set_source_rgb(cr, (pen->colour & 0xFF) / 255.0, (pen->colour >> 8 & 0xFF) / 255.0,
                             (pen->colour >> 16 & 0xFF) / 255.0);
        cairo_set_line_width(cr, pen->width < 1 ? 1.0 : pen->width);
        cairo_stroke(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
    if (!bmp.topDown)
        for (int y = 0; y < bmp.cy; ++y)
            std::memcpy(&bmp.pixels[std::size_t(bmp.cy - 1 - y) * bmp.cx], &flipped[std::size_t(y) * bmp.cx], stride);
    return TRUE;
}

/// The ellipse of a GDI box: through the centres of its edge pixels (right and bottom are
/// outside the box).
struct Box {
    double cx, cy, rx, ry;
    Box(int l, int t, int r, int b)
        : cx((l + r) / 2.0), cy((t + b) / 2.0), rx(std::max(0.5, (r - l - 1) / 2.0)),
          ry(std::max(0.5, (b - t - 1) / 2.0))
    {
    }
    /// Cairo's angle (y down) of the ray from the centre towards a point, on the unit circle the
    /// ellipse is scaled from.
    double angleTo(int x, int y) const { return std::atan2((y + 0.5 - cy) / ry, (x + 0.5 - cx) / rx); }
};

void ellipsePath(cairo_t* cr, const Box& box, double from, double to, bool whole)
{
    cairo_save(cr);
    cairo_translate(cr, box.cx, box.cy);
    cairo_scale(cr, box.rx, box.ry);
    if (whole)
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    else
        cairo_arc_negative(cr, 0, 0, 1, from, to); // y down: decreasing angles turn counter-clockwise
    cairo_restore(cr);                             // the pen is not scaled with the path
}
} // namespace

HDC GetDC(HWND hwnd) { return hwnd ? nullptr : screenContext(); }

int ReleaseDC(HWND, HDC dc) { return dc == screenContext() ? 1 : 0; }

namespace {
// Deleted memory contexts kept for the next ones: a gauge that makes one for every redraw
// allocates nothing after the first.
constexpr int kSpareContexts = 8;
GdiContext* gSpareContexts[kSpareContexts] = {};
int gSpareCount = 0;
} // namespace

HDC CreateCompatibleDC(HDC)
{
    {
        std::lock_guard<std::mutex> lock(gMutex);
        if (gSpareCount > 0) {
            GdiContext* dc = gSpareContexts[--gSpareCount];
            *dc = GdiContext{false, stockBitmap(), stockBlackPen(), stockNullBrush()};
            return dc;
        }
    }
    return new GdiContext{false, stockBitmap(), stockBlackPen(), stockNullBrush()};
}

BOOL DeleteDC(HDC dc)
{
    if (!dc || dc->screen)
        return FALSE;
    for (GdiObject* o : {dc->bitmap, dc->pen, dc->brush})
        if (o && !o->stock)
            --o->selected;
    std::lock_guard<std::mutex> lock(gMutex);
    if (gSpareCount < kSpareContexts)
        gSpareContexts[gSpareCount++] = dc;
    else
        delete dc;
    return TRUE;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD)
{
    if (bits)
        *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS)
        return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    const long cy = h.biHeight < 0 ? -static_cast<long>(h.biHeight) : h.biHeight;
    if (h.biBitCount != 32 || h.biCompression != BI_RGB || h.biWidth <= 0 || h.biWidth > 8192 || cy <= 0 || cy > 8192)
        return nullptr;
    GdiObject* bmp = new GdiObject(GdiObject::Bitmap);
    bmp->cx = static_cast<int>(h.biWidth);
    bmp->cy = static_cast<int>(cy);
    bmp->topDown = h.biHeight < 0;
    bmp->pixels.assign(std::size_t(bmp->cx) * bmp->cy, 0u);
    if (bits)
        *bits = bmp->pixels.data();
    return track(bmp);
}

HPEN CreatePen(int style, int width, COLORREF colour)
{
    if (style != PS_SOLID)
        return nullptr;
    GdiObject* pen = new GdiObject(GdiObject::Pen);
    pen->width = width;
    pen->colour = colour & 0x00FFFFFF;
    return track(pen);
}

HGDIOBJ GetStockObject(int which) { return which == NULL_BRUSH ? stockNullBrush() : nullptr; }

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object)
{
    if (!dc || !known(object))
        return nullptr;
    HGDIOBJ* slot = object->kind == GdiObject::Pen     ? &dc->pen
                    : object->kind == GdiObject::Brush ? &dc->brush
                                                       : &dc->bitmap;
    if (object->kind == GdiObject::Bitmap && (dc->screen || (object->selected > 0 && *slot != object)))
        return nullptr; // a bitmap lives in one memory context at a time
    HGDIOBJ old = *slot;
    if (old && !old->stock)
        --old->selected;
    if (!object->stock)
        ++object->selected;
    *slot = object;
    return old;
}

BOOL DeleteObject(HGDIOBJ object)
{
    if (!object || object->stock)
        return object ? TRUE : FALSE;
    {
        std::lock_guard<std::mutex> lock(gMutex);
        if (!gObjects.count(object) || object->selected > 0)
            return FALSE;
        gObjects.erase(object);
    }
    delete object;
    return TRUE;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom)
{
    const Box box(left, top, right, bottom);
    return draw(dc, [&box](cairo_t* cr) { ellipsePath(cr, box, 0, 0, true); });
}

BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd)
{
    const Box box(left, top, right, bottom);
    double from = box.angleTo(xStart, yStart);
    double to = box.angleTo(xEnd, yEnd);
    const bool whole = std::fabs(from - to) < 1e-9;
    while (to >= from)
        to -= 2 * M_PI;
    return draw(dc, [&](cairo_t* cr) { ellipsePath(cr, box, from, to, whole); });
}

BOOL Polygon(HDC dc, const POINT* points, int count)
{
    if (!points || count < 2)
        return FALSE;
    return draw(dc, [points, count](cairo_t* cr) {
        // Pixel centres, as the outlines above.
        cairo_move_to(cr, points[0].x + 0.5, points[0].y + 0.5);
        for (int i = 1; i < count; ++i)
            cairo_line_to(cr, points[i].x + 0.5, points[i].y + 0.5);
        cairo_close_path(cr);
    });
}

int win32LiveGdiObjects()
{
    std::lock_guard<std::mutex> lock(gMutex);
    return static_cast<int>(gObjects.size());
}
