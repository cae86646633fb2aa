#include "events/BattleInfEvent.h"

#include <data/ZRKPlayerState.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKUserRequest.h>
#include <gui/BagData.h>

#include "events/OwnSeatRole.h"
#include "events/RoomListenEvent.h"

namespace kavri3D {
namespace zrk {

std::string BattleInfEvent::demoText(int itemId, int level)
{
    if (itemId == 0)
        return "0";
    if (level < 2)
        return std::to_string(itemId);
    return std::to_string(itemId) + "+" + std::to_string(level - 1);
}

void BattleInfEvent::callback(gui::ParamHandle params)
{
    if (!RoomListenEvent::isListening())
        return;
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    boost::shared_ptr<ZRKPlayerState> self = room ? room->getSelfState() : boost::shared_ptr<ZRKPlayerState>();
    if (!self)
        return;
    bool busy = false;
    if (!readOptional("busy", params, busy))
        busy = false;
    int item = 0, level = 0;
    const gui::ParamNode* demo = findParam("demo", params);
    gui::BagData* const* shown = demo ? boost::any_cast<gui::BagData*>(&demo->value) : nullptr;
    if (shown && *shown) {
        item = (*shown)->i_id;
        level = (*shown)->pci_lv;
    }
    core::XmlConfigHelper& battle = self->getBattleState();
    battle.setIntVal("x/busy", busy ? 1 : 0);
    const std::string before = battle.getStringVal("x/demo", "");
    const std::string text = demoText(item, level);
    battle.setStringVal("x/demo", text);
    if (text != before)
        OwnSeatRole::copyOwnLook(text);
    battle.setIntVal("ca_id", ZRKUserRequest::getCa_id() - 1);
    ZRKRoomRequest::notifyAvatar(std::string(), 16);
}

} // namespace zrk
} // namespace kavri3D
