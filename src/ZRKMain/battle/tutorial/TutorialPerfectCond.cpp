#include "battle/tutorial/TutorialPerfectCond.h"

#include <boost/any.hpp>
#include <core/EventManager.h>
#include <yake/StringUtil.h>
#include <land/DollConstants.h>
#include <land/LandEventId.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialPerfectCond::apply(const std::string& args)
{
    ZRKPlayerSim* doll = TutorialParts::myDoll(mRoom);
    if (!doll)
        return;
    PlayerBattleState& battle = doll->getPlayerBattle();
    battle.force = 0;
    battle.markForce = 0;
    battle.perfect = yake::StringUtil::parseInt(args);
    if (core::EventManager* events = core::EventManager::getSingletonPtr()) {
        ZRKLand::LandAnyEvent event(LandEventId::OwnStatus);
        event.attrs().setAttr("aim_force", boost::any(true));
        events->send(event);
    }
}

} // namespace zrk
} // namespace kavri3D
