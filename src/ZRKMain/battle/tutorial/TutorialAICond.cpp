#include "battle/tutorial/TutorialAICond.h"

#include <land/ZRKPlayerAI.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialAICond::apply(const std::string& args)
{
    const std::vector<std::string> parts = TutorialParts::splitArgs(args);
    if (ZRKPlayerSim* doll = TutorialParts::seatDoll(mRoom, TutorialParts::intArg(parts, 0)))
        doll->attachAI(mRoom->findAI(parts.size() > 1 ? parts[1].c_str() : ""));
}

} // namespace zrk
} // namespace kavri3D
