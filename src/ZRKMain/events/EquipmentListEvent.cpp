#include "events/EquipmentListEvent.h"

#include <boost/any.hpp>
#include <gui/BlockData.h>
#include <vector>

#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

EquipmentListEvent::EquipmentListEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

void EquipmentListEvent::callback(gui::ParamHandle params)
{
    const gui::ParamNode* node = findParam("equlst", params);
    if (!node)
        return;
    const auto* blocks = boost::any_cast<std::vector<gui::BlockData*>>(&node->value);
    if (!blocks) {
        writeLog(6, channel().c_str(), "equlst holds no outfit list");
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
    role->loadEquipment();
    equipment->setEquipmentList(role->getSlotModels());
}

} // namespace zrk
} // namespace kavri3D
