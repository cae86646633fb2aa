#pragma once
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {

/// The log-in screen's backdrop decoded on a thread of its own while the engine and the game
/// window come up, so the first screen only uploads it. One picture is prefetched at a time;
/// whoever draws it takes it once.
class BackdropPicture {
public:
    /// A decoded picture: rows top to bottom, four bytes a pixel (red, green, blue, alpha).
    struct Pixels {
        unsigned width = 0;
        unsigned height = 0;
        std::vector<unsigned char> rgba;
    };
    static constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;
    static constexpr unsigned kMaxSide = 4096;

    /// Decodes a JPEG held in memory; false, with the reason, for anything else, a broken one,
    /// or one larger than kMaxSide on a side.
    static bool decodeJpeg(const std::string& bytes, Pixels& out, std::string& why);
    /// Starts reading and decoding the file (a JPEG) on its own thread; one started before and
    /// not taken is dropped first.
    static void prefetch(const std::string& path);
    /// The prefetched picture of `path`, waited for if it is still being decoded: false when
    /// none of that file was prefetched, or it could not be read (the reason is logged).
    static bool take(const std::string& path, Pixels& out);
    /// Waits for and drops a prefetch nobody took (at shut-down).
    static void drop();
};

} // namespace zrk
} // namespace kavri3D
