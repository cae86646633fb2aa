#include "battle/tutorial/TutorialAgonalCond.h"

#include <yake/StringUtil.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialAgonalCond::apply(const std::string& args)
{
    if (ZRKPlayerSim* doll = TutorialParts::seatDoll(mRoom, yake::StringUtil::parseInt(args))) {
        doll->dying(true);
        doll->invincible(3, -1.0f);
    }
}

} // namespace zrk
} // namespace kavri3D
