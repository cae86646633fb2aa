#include "data/ZRKRoomStateProxy.h"

#include <json/json.h>
#include "data/ZRKJson.h"
#include "data/ZRKUserRequest.h"

namespace kavri3D {
namespace zrk {

ZRKRoomStateProxy::ZRKRoomStateProxy(const std::string& roomName, const std::string& selfId)
    : ZRKRoomState(roomName, selfId)
{
}

void ZRKRoomStateProxy::seriate(int number, const std::vector<std::string>& seats)
{
    if (mDestroyed)
        return;
    mSeriateNumber = number;
    for (int s = 0; s < kSlotCount; ++s) {
        mSeats[s] = static_cast<std::size_t>(s) < seats.size() ? seats[static_cast<std::size_t>(s)] : std::string();
        if (mSeats[s].empty())
            continue;
        const bool fresh = !findPlayer(mSeats[s]);
        boost::shared_ptr<ZRKPlayerState>& p = playerOf(mSeats[s]);
        if (fresh && mSeats[s] == mSelfId) {
            // The own player as his own data knows him: the land dresses and names him by it.
            Json::Value card(Json::objectValue);
            card["info"] = ZRKJson::fromView(ZRKUserRequest::getUserInfo(mSelfId));
            card["settings"] = ZRKJson::fromView(ZRKUserRequest::getUserSetting(mSelfId));
            p->apply(card);
        }
        p->getBattleState().setIntVal("seat", s);
        // Seats 0-3 are one side, 4-7 the other.
        p->getBattleState().setIntVal("team", s < kSlotCount / 2 ? 1 : 0);
    }
}

void ZRKRoomStateProxy::changeRoomState(const core::XmlConfigHelper& values)
{
    applyState(ZRKJson::fromView(values), Json::Value());
}

void ZRKRoomStateProxy::fireParamSignal(bool first, bool dress)
{
    if (mDestroyed)
        return;
    mHasParams = true;
    fire("parameter", [this, first, dress]() { mParamSignal(first, dress); });
}

void ZRKRoomStateProxy::firePlayerStateSignal(const std::string& player, int bits)
{
    if (mDestroyed)
        return;
    fire("player-state", [this, player, bits]() { mPlayerStateSignal(player, bits); });
}

} // namespace zrk
} // namespace kavri3D
