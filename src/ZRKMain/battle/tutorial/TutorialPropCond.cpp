#include "battle/tutorial/TutorialPropCond.h"

#include <yake/StringUtil.h>
#include <land/DollConstants.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include "battle/tutorial/BattleRoomNewbie.h"
#include "battle/tutorial/TutorialParts.h"

namespace kavri3D {
namespace zrk {

void TutorialPropCond::apply(const std::string& args)
{
    ZRKPlayerSim* doll = TutorialParts::myDoll(mRoom);
    if (PropBag* bag = doll ? doll->getCurrentPropBag() : nullptr)
        bag->addLocalItem(yake::StringUtil::parseInt(args));
}

} // namespace zrk
} // namespace kavri3D
