// The tutorial's "x" condition text: a JSON list of [keyword, arguments] pairs of other
// conditions, applied to a tutorial room without a land.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialCond.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    static zrk::BattleRoomNewbie* room = [] {
        auto* r = new zrk::BattleRoomNewbie;
        r->fillRegistriesForTest();
        return r;
    }();
    if (zrk::TutorialCond* x = room->findCond("x"))
        x->apply(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
