#include "util/MissionRule.h"

namespace kavri3D {
namespace core {

std::string MissionRule::privatePlace(int formMode)
{
    if (!isPrivateMission(formMode))
        return std::string();
    return formMode < 2000 ? std::string("201") : std::to_string(formMode);
}

int MissionRule::privateDungeonIndex(int formMode)
{
    if (!isPrivateMission(formMode))
        return -1;
    return formMode == 1003 || formMode > 2000 ? 0 : 2;
}

} // namespace core
} // namespace kavri3D
