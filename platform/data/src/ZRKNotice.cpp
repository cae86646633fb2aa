#include "data/ZRKNotice.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kNames[ZRKNotice::KindCount] = {"join",     "leave",   "message", "chat",      "presence", "roomInfo",
                                                  "seat",     "host",    "player",  "roomState", "invite",   "kick",
                                                  "roomGone", "dropped", "avatar",  "roster"};
} // namespace

const char* ZRKNotice::name(Kind kind) { return kind >= 0 && kind < KindCount ? kNames[kind] : "?"; }

ZRKNotice::Kind ZRKNotice::kindOf(const std::string& name)
{
    for (int k = 0; k < KindCount; ++k)
        if (name == kNames[k])
            return static_cast<Kind>(k);
    return KindCount;
}

} // namespace zrk
} // namespace kavri3D
