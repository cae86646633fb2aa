#include "battle/tutorial/TutorialEnergyCond.h"

#include <yake/StringUtil.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialEnergyCond::apply(const std::string& args)
{
    if (ZRKPlayerSim* doll = TutorialParts::myDoll(mRoom)) {
        doll->drillEnergy2(yake::StringUtil::parseInt(args));
        doll->energyRefullReset();
        doll->energyConsumeReset();
    }
}

} // namespace zrk
} // namespace kavri3D
