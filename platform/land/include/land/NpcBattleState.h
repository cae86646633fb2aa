#pragma once
#include "land/DollConstants.h"

namespace kavri3D {
namespace zrk {

/// The battle state of an NPC as the sighting reads it.
struct NpcBattleState {
    int state = BATTLE_FIGHTING; ///< BATTLE_KILLED once dead
};

} // namespace zrk
} // namespace kavri3D
