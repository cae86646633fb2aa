#pragma once
#include <vector>
#include <util/XmlConfigHelper.h>
#include "land/DollConstants.h"

namespace kavri3D {
namespace zrk {

/// What the land keeps per doll for one battle: aim, turn order, counts and, at the end, the
/// awards (each "bi_type", "bi_id", "bi_num", "bi_index").
struct PlayerBattleState {
    int flags = 0;               ///< BattleFlag bits
    int count = 0;               ///< prize boxes earned
    int level = 0;               ///< the level value (the bubble shows it plus one)
    int rank = 0;                ///< passed through to the bag record
    int state = BATTLE_FIGHTING; ///< BattleStateCode
    int pitch = 45;              ///< whole degrees, 0..90
    int force = 0;               ///< 0..CTRL_FORCE_MAX
    int markForce = 0;           ///< the force the aim assist prompts
    int perfect = 0;             ///< a force that counts as perfect (tutorial)
    int aimingLevel = 0;         ///< compared with "battle/aiming_lv_max" by the aim assist
    int weapon = 0;              ///< index of the current weapon
    int delay = 0;               ///< turn order: the least delay acts next
    int kills = 0;
    int deaths = 0;
    int shots = 0;
    int hits = 0;
    int damage = 0; ///< damage dealt to enemies
    std::vector<core::XmlConfigHelper> awards;
};

} // namespace zrk
} // namespace kavri3D
