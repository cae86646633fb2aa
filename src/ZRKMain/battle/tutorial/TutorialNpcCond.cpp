#include "battle/tutorial/TutorialNpcCond.h"

#include <string>
#include "battle/tutorial/BattleRoomNewbie.h"

namespace kavri3D {
namespace zrk {

void TutorialNpcCond::apply(const std::string& args)
{
    const std::string id = mRoom->createTutorialNpc(args);
    if (!id.empty())
        mRoom->faceEachOther(id);
}

} // namespace zrk
} // namespace kavri3D
