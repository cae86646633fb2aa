// "res/server/boxes.json", the numbers of boxes and bag items the embedded server reads at start.
#include <cstdint>
#include <server/ZRKBoxes.h>

#include "FuzzSupport.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    zrk::ZRKBoxes boxes;
    std::string why;
    if (!boxes.load(zrkfuzz::FuzzSupport::write("boxes.json", data, size), why))
        return 0;
    // What the box handlers ask of it, at the edges of what they pass.
    for (bool pve : {false, true})
        (void)boxes.offers(pve);
    for (int index : {0, 1, 7, 8, 1000})
        (void)boxes.price(index);
    for (double share : {0.0, 0.5, 0.999999, 1.0, -1.0})
        (void)boxes.drawLoot(share);
    for (long long id : {-1LL, 0LL, 5001LL, 5101LL, 9223372036854775807LL}) {
        (void)boxes.bagBox(id);
        (void)boxes.function(id);
    }
    (void)boxes.unlockParam();
    return 0;
}
