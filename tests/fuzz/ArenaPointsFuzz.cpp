// "res/server/arena.json", the points an arena battle gives, read by the embedded server at start:
// whatever the file holds, the points are a sound table's or none.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <server/ZRKArenaPoints.h>

#include "FuzzSupport.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    zrk::ZRKArenaPoints table;
    std::string why;
    const bool sound = table.load(zrkfuzz::FuzzSupport::write("arena.json", data, size), why);
    for (bool won : {false, true}) {
        const long long points = table.points(won);
        if (points < 0 || points > zrk::ZRKArenaPoints::kLimit || (!sound && points != 0)) {
            std::fprintf(stderr, "arena points %lld from a %s table\n", points, sound ? "sound" : "broken");
            std::abort();
        }
    }
    return 0;
}
