#include "battle/tutorial/TutorialArm2Cond.h"

#include <yake/StringUtil.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialArm2Cond::apply(const std::string& args)
{
    if (ZRKPlayerSim* doll = TutorialParts::myDoll(mRoom)) {
        doll->changeWeapon(yake::StringUtil::parseInt(args), true);
        doll->wait();
    }
}

} // namespace zrk
} // namespace kavri3D
