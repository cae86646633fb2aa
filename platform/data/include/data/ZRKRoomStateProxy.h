#pragma once
#include <string>
#include <vector>
#include <util/XmlConfigHelper.h>
#include "data/ZRKRoomState.h"

namespace kavri3D {
namespace zrk {

/// A room state the game writes itself (the offline tutorial's): no server tells it anything,
/// so the one who owns it seats the players, changes its state and fires its signals.
class ZRKRoomStateProxy : public ZRKRoomState {
public:
    ZRKRoomStateProxy(const std::string& roomName, const std::string& selfId);

    /// Seats the players (up to eight ids, empty for a free seat); each seated player gets a
    /// state, the own one filled from the player's own data. `number` is the seating's tag.
    void seriate(int number, const std::vector<std::string>& seats);
    /// The room's state takes the values given (listeners hear the coming state first).
    void changeRoomState(const core::XmlConfigHelper& values);
    /// Tells the parameter listeners, as a server notice would.
    void fireParamSignal(bool first, bool dress);
    void firePlayerStateSignal(const std::string& player, int bits);
    /// The parameters, written in place.
    core::XmlConfigHelper& params() { return mParams; }
    int getSeriateNumber() const { return mSeriateNumber; }

private:
    int mSeriateNumber = 0;
};

} // namespace zrk
} // namespace kavri3D
