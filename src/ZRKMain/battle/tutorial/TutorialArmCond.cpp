#include "battle/tutorial/TutorialArmCond.h"

#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialArmCond::apply(const std::string& args)
{
    const std::vector<std::string> parts = TutorialParts::splitArgs(args);
    ZRKPlayerSim* doll = TutorialParts::seatDoll(mRoom, TutorialParts::intArg(parts, 0));
    ZRKLand* land = mRoom->getLand();
    if (!doll || !land || parts.size() < 2)
        return;
    std::vector<WeaponState>& slots = doll->getWeaponBag()->getSlots();
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (slots[i].empty()) {
            slots[i] = WeaponState();
            slots[i].name = parts[1];
            land->refWeaponState(slots[i]);
            doll->changeWeapon(static_cast<int>(i), true);
            return;
        }
}

} // namespace zrk
} // namespace kavri3D
