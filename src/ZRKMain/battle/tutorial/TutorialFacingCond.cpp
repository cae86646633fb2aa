#include "battle/tutorial/TutorialFacingCond.h"

#include <yake/StringUtil.h>
#include "battle/tutorial/BattleRoomNewbie.h"

namespace kavri3D {
namespace zrk {

void TutorialFacingCond::apply(const std::string& args)
{
    mRoom->faceEachOther(mRoom->seatName(yake::StringUtil::parseInt(args)));
}

} // namespace zrk
} // namespace kavri3D
