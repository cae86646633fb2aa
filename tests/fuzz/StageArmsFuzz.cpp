// The "ds_ai" text of a staged duplicate's stage: the weapons and props the stage lends.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "battle/BattleRoom.h"

using namespace kavri3D;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool ready = (zrkfuzz::FuzzSupport::quiet(), true);
    (void)ready;
    std::vector<zrk::BattleRoom::StageWeapon> weapons;
    std::vector<std::string> props;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (zrk::BattleRoom::readStageArms(text, weapons, props) && props.size() > 6)
        __builtin_trap(); // a stage never lends more than six props
    if (weapons.size() > 64)
        __builtin_trap();
    return 0;
}
