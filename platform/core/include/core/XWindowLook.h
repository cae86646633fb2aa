#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace kavri3D {
namespace core {

/// What the game window tells the X server and its window manager about itself: a fixed
/// size that cannot be maximised, the program's icon and its pointer. Pictures are read with
/// the engine's codecs (PNG), so the engine must be up.
class XWindowLook {
public:
    /// A picture as 0xAARRGGBB pixels, row by row.
    struct Picture {
        int width = 0, height = 0;
        std::vector<std::uint32_t> pixels;
    };
    /// Largest picture file taken for an icon or a pointer.
    static constexpr std::size_t kMaxPictureBytes = 256 * 1024;
    /// Largest side of a picture kept (X cursors and icons are small).
    static constexpr int kMaxSide = 256;

    /// Reads a picture, scaled to `side` by `side` when `side` is above 0; empty (and a log
    /// line) when the file is missing, too large or no picture.
    static Picture readPicture(const std::string& file, int side);
    /// WM_NORMAL_HINTS with the smallest and largest size both the window's size, and
    /// _MOTIF_WM_HINTS without maximise and resize: the player cannot change the size.
    static void fixSize(void* display, unsigned long window, int width, int height);
    /// _NET_WM_ICON: the picture at 16 and 32 pixels. False when it could not be read.
    static bool setIcon(void* display, unsigned long window, const std::string& file);
    /// The pointer over the window: the picture with its hot spot. False when it could not
    /// be read or made.
    static bool setCursor(void* display, unsigned long window, const std::string& file, int hotX, int hotY);
};

} // namespace core
} // namespace kavri3D
