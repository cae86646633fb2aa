#include "battle/tutorial/TutorialPitchCond.h"

#include <yake/StringUtil.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialPitchCond::apply(const std::string& args)
{
    if (ZRKPlayerSim* doll = TutorialParts::myDoll(mRoom))
        doll->pitching2(yake::StringUtil::parseInt(args));
}

} // namespace zrk
} // namespace kavri3D
