#include "battle/tutorial/TutorialAniCond.h"

#include <scene/BasicPlayer.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialAniCond::apply(const std::string& args)
{
    const std::vector<std::string> parts = TutorialParts::splitArgs(args);
    ZRKPlayerSim* doll = TutorialParts::seatDoll(mRoom, TutorialParts::intArg(parts, 0));
    if (!doll)
        return;
    const int kind = TutorialParts::intArg(parts, 1);
    const std::string name = parts.size() > 2 ? parts[2] : std::string();
    const std::string extra = parts.size() > 3 ? parts[3] : std::string();
    if (kind == 1 && !name.empty()) {
        if (const boost::shared_ptr<core::BasicPlayer>& player = doll->getPlayerRef())
            player->setMood(name);
    } else if (kind == 1)
        doll->stand();
    else if (kind == 2)
        doll->setAltHitAnimation(name);
    else
        doll->getController().execAction(name, extra, false);
}

} // namespace zrk
} // namespace kavri3D
