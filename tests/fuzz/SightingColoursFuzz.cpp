// The sight's colour setting ("kavri3D/app/config/gui/color/sighting"): any text makes a force
// ring that draws into its own bitmap and frees everything again.
#include <cstdint>
#include <string>
#include <core/BlackBoard.h>
#include <win32/Windows.h>

#include "FuzzSupport.h"
#include "battle/hud/SightingTexture.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    static core::BlackBoard board;
    board.setString("kavri3D/app/config/gui/color/sighting", std::string(reinterpret_cast<const char*>(data), size));
    const int before = win32LiveGdiObjects();
    {
        zrk::BattleRoom::SightingTexture ring;
        ring.create(70, 84, 6);
        ring.draw(450.0f, 700.0f);
        ring.draw(1e9f, -3.0f);
        if (!ring.pixels())
            __builtin_trap(); // the bitmap is there whatever the colours
    }
    if (win32LiveGdiObjects() != before)
        __builtin_trap(); // pens and bitmap go with the ring
    return 0;
}
