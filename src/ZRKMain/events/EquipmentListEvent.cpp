#include "events/EquipmentListEvent.h"

#include <boost/any.hpp>
#include <gui/BlockData.h>
#include <vector>

#include <data/ZRKPlayerState.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>

#include "events/OwnSeatRole.h"
#include "events/RoomListenEvent.h"
#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {

/// The outfit may come before the player page (the bag is opened first): until that page
/// dresses him, the own figure would stand without a face and gloves. The default look the
/// log-in fetched gives them.
void wearLoggedInLook(ZRKRole& own)
{
    ZRKSession* session = GameServices::session();
    const ZRKRoleRes* res = GameServices::roleResources();
    if (!session || !res || !own.getDefaultItems().empty())
        return;
    const core::XmlConfigHelper def = ZRKUserRequest::getUserDefState(session->getUID());
    if (!def.hasKey("def_face"))
        return; // not fetched: the player page dresses him
    const std::string look = ZRKRoleRes::lookOf(ZRKUserRequest::getPc_id().getIntVal("c_id", 0));
    own.setLook(look);
    own.setDefaultItems(res->getDefaultParts(look, def));
}

} // namespace

EquipmentListEvent::EquipmentListEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

void EquipmentListEvent::callback(gui::ParamHandle params)
{
    const gui::ParamNode* node = findParam("equlst", params);
    if (!node)
        return;
    const auto* blocks = boost::any_cast<std::vector<gui::BlockData*>>(&node->value);
    if (!blocks) {
        writeLog(kLogTrace, channel().c_str(), "equlst holds no outfit list");
        return;
    }
    ZRKRolePtr role = RoleManager::instance().getRole("myrole");
    EquipRes* equipment = GameServices::equipment();
    if (!role || !equipment)
        return;
    role->clearEquipment();
    std::string looks;
    for (const gui::BlockData* block : *blocks) {
        if (!block)
            continue;
        const std::string model = equipment->getModel(block->itemId);
        if (model.empty())
            continue;
        role->setAttr(block->slotName, model);
        if (block->slotName == "suite")
            looks = equipment->getSfName(block->itemId);
    }
    if (!looks.empty())
        role->setAttr("looks", looks);
    wearLoggedInLook(*role);
    role->loadEquipment();
    equipment->setEquipmentList(role->getSlotModels());
    if (!RoomListenEvent::isListening())
        return;
    // In a room: the own seat wears the new outfit and the room hears of it.
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    ZRKSession* session = GameServices::session();
    if (room && session) {
        boost::shared_ptr<ZRKPlayerState> self = room->getPlayer(room->getSeatOf(session->getUID()));
        OwnSeatRole::copyOwnLook(self ? self->getBattleState().getStringVal("x/demo", "") : std::string());
    }
    ZRKRoomRequest::notifyAvatar(std::string(), 4);
}

} // namespace zrk
} // namespace kavri3D
