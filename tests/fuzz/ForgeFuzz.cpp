// "res/server/forge.json", the forge's numbers the embedded server reads at start.
#include <cstdint>
#include <server/ZRKForge.h>

#include "FuzzSupport.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    zrk::ZRKForge forge;
    std::string why;
    if (!forge.load(zrkfuzz::FuzzSupport::write("forge.json", data, size), why))
        return 0;
    // What the forge's handlers ask of it, for the ids and levels a file may name and beyond.
    for (int lv = -1; lv <= zrk::ZRKForge::kMaxLevel + 1; ++lv)
        (void)forge.level(lv);
    for (int grade = -1; grade <= 4; ++grade) {
        (void)forge.refine(grade);
        (void)forge.metal(grade);
    }
    for (long long id : {-1LL, 0LL, 1LL, 5LL, 7001LL, 7101LL, 7201LL, 9223372036854775807LL}) {
        (void)forge.stone(id);
        (void)forge.mix(id);
    }
    (void)forge.enchaseCost();
    return 0;
}
