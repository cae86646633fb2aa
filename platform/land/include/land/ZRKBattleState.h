#pragma once

namespace kavri3D {
namespace zrk {

/// A player's fighting numbers: health, energy and fury with their maxima. The player's data
/// state and its doll share one object, so what the land changes the room sees.
struct ZRKBattleState {
    int hp = 0;
    int xhp = 0;
    int sp = 0;
    int xsp = 0;
    int fury = 0;
    int xfury = 0;
    int fsp = 0;    ///< fury gained per hit taken (0: the land's own rule)
    int field2 = 0; ///< bit 0: the player may always use the aim assist

    /// Maxima at least 0; health, energy and fury within 0 and their maxima.
    void clamp();
};

} // namespace zrk
} // namespace kavri3D
