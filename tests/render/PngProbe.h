#pragma once
#include <cairo.h>
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

} // namespace zrktest
