#pragma once

namespace kavri3D {
namespace zrk {

class BattleRoom;

/// Leaving the battle: the scene goes and the player goes back where the battle was entered
/// from (his room, the room list or the player hall), the server told that this screen left.
class BattleExit {
public:
    explicit BattleExit(BattleRoom& room) : mRoom(room) {}
    BattleExit(const BattleExit&) = delete;
    BattleExit& operator=(const BattleExit&) = delete;

    void leave();
    /// GUI event 59 through a fresh GUI manager (the lobby's idle action after a battle).
    static void raiseLeaveEvent();

private:
    BattleRoom& mRoom;
};

} // namespace zrk
} // namespace kavri3D
