#include "land/GameSummary.h"

namespace kavri3D {
namespace zrk {

const GameSummary::Entry* GameSummary::find(const std::string& uid) const
{
    for (const Entry& e : entries)
        if (e.uid == uid)
            return &e;
    return nullptr;
}

} // namespace zrk
} // namespace kavri3D
