#include "server/ZRKItemStacks.h"

#include <algorithm>

#include "server/ZRKServerCall.h"

namespace kavri3D {
namespace zrk {

long long ZRKItemStacks::limitOf(ZRKWorld& world, long long itemId)
{
    const Json::Value& sub = world.subClassOf(itemId);
    long long limit = 1;
    if (sub.isObject())
        ZRKServerCall::readNumber(sub["isc_stack_num"], limit);
    return std::max(1LL, limit);
}

bool ZRKItemStacks::stackable(const ZRKWorld::Item& i)
{
    return i.lv == 0 && i.bonus[0] == 0 && i.bonus[1] == 0 && i.bonus[2] == 0 && i.bonus[3] == 0 && i.mixTimes == 0 &&
           i.enhF == 0 && i.attrX.empty() && i.expiryDay == 0;
}

const std::string& ZRKItemStacks::firstBought(const std::string& a, const std::string& b)
{
    if (a.empty())
        return b;
    if (b.empty())
        return a;
    return b < a ? b : a; // the fixed-width date sorts as text
}

} // namespace zrk
} // namespace kavri3D
