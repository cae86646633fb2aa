#include "battle/tutorial/TutorialFuryCond.h"

#include <boost/any.hpp>
#include <land/ZRKBattleState.h>
#include <yake/StringUtil.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialFuryCond::apply(const std::string& args)
{
    ZRKPlayerSim* doll = TutorialParts::myDoll(mRoom);
    if (!doll)
        return;
    const int n = yake::StringUtil::parseInt(args);
    if (doll->getBattle().fury < n)
        doll->getBattle().fury = n;
    doll->getSimEvent().setAttr("fury", boost::any(true));
}

} // namespace zrk
} // namespace kavri3D
