#include "battle/tutorial/TutorialReviveCond.h"

#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialReviveCond::apply(const std::string& args)
{
    const std::vector<std::string> parts = TutorialParts::splitArgs(args);
    const int seat = TutorialParts::intArg(parts, 0);
    ZRKLand* land = mRoom->getLand();
    ZRKPlayerSim* doll = TutorialParts::seatDoll(mRoom, seat);
    if (!land || !doll)
        return;
    land->reviveDoll(doll->getId(), true, true);
    doll->invincible(0, -1.0f);
    if (parts.size() > 1 && !parts[1].empty()) {
        doll->setAltSpawnNode(parts[1]);
        land->spawnPlayerNode(doll->getId(), parts[1]);
    }
}

} // namespace zrk
} // namespace kavri3D
