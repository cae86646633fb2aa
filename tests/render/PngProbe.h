#pragma once
#include <algorithm>
#include <cairo.h>
#include <functional>
#include <string>

namespace zrktest {

/// Share of pixels of a PNG that are not black, and of those close to a colour; -1 when the
/// file is not a readable PNG.
struct PngProbe {
    double lit = -1;
    int width = 0, height = 0;

    explicit PngProbe(const std::string& file)
    {
        cairo_surface_t* s = cairo_image_surface_create_from_png(file.c_str());
        if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
            width = cairo_image_surface_get_width(s);
            height = cairo_image_surface_get_height(s);
            const int stride = cairo_image_surface_get_stride(s);
            const unsigned char* data = cairo_image_surface_get_data(s);
            long count = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const unsigned char* p = data + y * stride + x * 4;
                    if (p[0] > 8 || p[1] > 8 || p[2] > 8)
                        ++count;
                }
            lit = width && height ? double(count) / (double(width) * height) : 0;
        }
        cairo_surface_destroy(s);
    }
};

/// Pixels of a PNG inside the rectangle that pass the test; -1 when the file cannot be read.
inline long countPixels(const std::string& file, int x0, int y0, int x1, int y1,
                        const std::function<bool(int r, int g, int b)>& test)
{
    cairo_surface_t* s = cairo_image_surface_create_from_png(file.c_str());
    long count = -1;
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        count = 0;
        const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        const int stride = cairo_image_surface_get_stride(s);
        const unsigned char* data = cairo_image_surface_get_data(s);
        for (int y = std::max(y0, 0); y < std::min(y1, h); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, w); ++x) {
                const unsigned char* p = data + y * stride + x * 4; // B, G, R, A
                if (test(p[2], p[1], p[0]))
                    ++count;
            }
    }
    cairo_surface_destroy(s);
    return count;
}

} // namespace zrktest
