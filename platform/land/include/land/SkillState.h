#pragma once

namespace kavri3D {
namespace zrk {

/// One skill of a doll (keys F1..F4): uses left and, while it works, when it began.
struct SkillState {
    int key = 0;           ///< SkillKey
    int num_max = 0;       ///< uses a battle
    int num_cur = 0;       ///< uses left
    bool enabled = true;   ///< false: the skill is locked for this battle
    int state = 0;         ///< 0 ready, 1 working (start, duration), 2 not usable
    float start = -1.0f;   ///< land time it began working
    float duration = 0.0f; ///< seconds it works
};

} // namespace zrk
} // namespace kavri3D
