#pragma once
#include "data/ZRKDataLib.h"

namespace kavri3D {
namespace zrk {

/// The quest library, and the player's quests ("pcQuests": entries of "q_id" and "state").
class ZRKQuestLib : public ZRKDataLib {
public:
    ZRKQuestLib() : ZRKDataLib("quest") {}
    /// How many of the player's quests have a state sharing a bit with the mask.
    int getDoingNum(int stateMask) const;
};

} // namespace zrk
} // namespace kavri3D
