#include "callbacks/MoneyFall.h"

#include <algorithm>
#include <data/ZRKUserRequest.h>

namespace kavri3D {
namespace zrk {

MoneyFall MoneyFall::held()
{
    static const char* const kKeys[Kinds] = {"pc_money1", "pc_money2", "pc_money3", "pc_arena_point"};
    const core::XmlConfigHelper pc = ZRKUserRequest::getPc_id();
    MoneyFall m;
    for (int k = 0; k < Kinds; ++k)
        m.mAmount[k] = pc.getIntVal(kKeys[k], 0);
    return m;
}

MoneyFall MoneyFall::since(const MoneyFall& before)
{
    const MoneyFall now = held();
    MoneyFall fall;
    for (int k = 0; k < Kinds; ++k)
        fall.mAmount[k] = std::max(0LL, before.mAmount[k] - now.mAmount[k]);
    return fall;
}

} // namespace zrk
} // namespace kavri3D
