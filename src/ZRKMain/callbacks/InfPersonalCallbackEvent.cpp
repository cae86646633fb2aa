#include "callbacks/InfPersonalCallbackEvent.h"

#include <data/ZRKUserRequest.h>
#include <gui/BagData.h>
#include <gui/RoleAttr.h>
#include <vector>

#include "events/CharCatalogue.h"
#include "events/PackageLoadingEvent.h"
#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRole.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

namespace {
const int kLastWornSlot = 16;
const int kLastListedSlot = 50; ///< the bag proper is not shown on a profile
} // namespace

InfPersonalCallbackEvent::InfPersonalCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

InfPersonalCallbackEvent::~InfPersonalCallbackEvent() = default;

ZRKReply InfPersonalCallbackEvent::replyTo(void (InfPersonalCallbackEvent::*slot)(bool, const std::string&))
{
    const unsigned asked = mAsked;
    return mRequests.guard([this, asked, slot](bool error, const std::string& text) {
        if (asked == mAsked)
            (this->*slot)(error, text);
    });
}

void InfPersonalCallbackEvent::callback(gui::ParamHandle params)
{
    gui::RoleAttr* attr = nullptr;
    if (!findParam("roleattr", params) || !readParam("roleattr", params, attr) || !attr)
        return;
    mUid = attr->member_name;
    mPcId = attr->pc_id;
    mKind = attr->c_id;
    ++mAsked;
    mRequests.track(ZRKUserRequest::queryUserDefState(mUid, replyTo(&InfPersonalCallbackEvent::onDefStateReply)));
}

void InfPersonalCallbackEvent::onDefStateReply(bool error, const std::string&)
{
    if (error)
        return;
    const core::XmlConfigHelper state = ZRKUserRequest::getUserDefState(mUid);
    ZRKRolePtr role = RoleManager::instance().getRole("showview");
    if (!role)
        return;
    const std::string look = ZRKRoleRes::lookOf(mKind);
    role->setLook(look);
    std::vector<std::string> items;
    for (const char* part : CharCatalogue::kParts)
        items.push_back(CharCatalogue::entry(look, part, state.getIntVal(std::string("def_") + part, 0)));
    role->setDefaultItems(items);
    role->clearItems();
    const int animations = CharCatalogue::count(look, "animation");
    for (int i = 2; i < animations; ++i)
        role->addItem(CharCatalogue::entry(look, "animation", i));
    role->resetMood();
    role->clearEquipment();
    role->loadEquipment();
    role->setMood(CharCatalogue::entry(look, "animation", 0));
    mRequests.track(
        ZRKUserRequest::queryUserInventory(mUid, mPcId, false, replyTo(&InfPersonalCallbackEvent::onInventoryReply)));
}

void InfPersonalCallbackEvent::onInventoryReply(bool error, const std::string&)
{
    const ZRKInventory* inventory = ZRKUserRequest::getInventory1();
    ZRKRolePtr role = RoleManager::instance().getRole("showview");
    if (error || !inventory || !role)
        return;
    role->clearEquipment();
    EquipRes* equipment = GameServices::equipment();
    std::string looks;
    for (const core::XmlConfigHelper& item : inventory->items()) {
        const int slot = item.getIntVal("pci_slot", 0);
        if (slot < 1 || slot > kLastWornSlot || !equipment)
            continue;
        const int id = item.getIntVal("i_id", 0);
        const std::string kind = ZRKRole::getSlotName(slot);
        const std::string model =
            kind.empty() ? std::string() : equipment->getModel(id); // a slot of no kind shows nothing
        if (model.empty())
            continue;
        role->setAttr(kind, model);
        if (kind == "suite")
            looks = equipment->getSfName(id);
    }
    if (!looks.empty())
        role->setAttr("looks", looks);
    role->loadEquipment();
    raiseEvent(getEventId());
}

gui::ParamList* InfPersonalCallbackEvent::fillParams()
{
    clearParams();
    std::vector<gui::BagData> bag;
    if (const ZRKInventory* inventory = ZRKUserRequest::getInventory1())
        for (const core::XmlConfigHelper& item : inventory->items())
            if (item.getIntVal("pci_slot", 0) <= kLastListedSlot) {
                gui::BagData record = PackageLoadingEvent::bagRecord(item, ZRKUserRequest::getInventoryTime());
                record.pci_bind = gui::BagData().pci_bind; // another player's binding is his own business
                bag.push_back(record);
            }
    addNode("bagList", bag, 0, gui::ParamNode::Record);
    return paramList();
}

} // namespace zrk
} // namespace kavri3D
