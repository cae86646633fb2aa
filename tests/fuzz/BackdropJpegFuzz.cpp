// The log-in backdrop's JPEG, decoded on its own thread before the first screen.
#include <cstdint>

#include "FuzzSupport.h"
#include "rooms/BackdropPicture.h"

using kavri3D::zrk::BackdropPicture;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    BackdropPicture::Pixels pixels;
    std::string why;
    if (BackdropPicture::decodeJpeg(zrkfuzz::FuzzSupport::text(data, size), pixels, why) &&
        pixels.rgba.size() != static_cast<std::size_t>(pixels.width) * pixels.height * 4)
        __builtin_trap(); // a picture is always whole
    return 0;
}
