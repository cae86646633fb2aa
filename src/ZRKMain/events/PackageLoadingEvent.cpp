#include "events/PackageLoadingEvent.h"

#include <boost/bind/bind.hpp>
#include <core/DateTime.h>
#include <data/ZRKBagLayout.h>
#include <data/ZRKUserRequest.h>
#include <gui/BagData.h>
#include <limits>
#include <list>
#include <vector>

#include "rooms/EquipRes.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

using namespace boost::placeholders;

namespace {

/// A time that fits the record; -1 for none (or one past what the record holds).
std::int32_t recordTime(long seconds)
{
    return seconds < 0 || seconds > std::numeric_limits<std::int32_t>::max() ? -1 : static_cast<std::int32_t>(seconds);
}

} // namespace

gui::BagData PackageLoadingEvent::bagRecord(const core::XmlConfigHelper& item, long inventoryTime)
{
    gui::BagData record;
    record.pci_slot = item.getIntVal("pci_slot", 0);
    record.i_id = item.getIntVal("i_id", 0);
    record.pc_id = item.getIntVal("pc_id", 0);
    record.inventory_time = recordTime(inventoryTime);
    record.pci_num = item.getIntVal("pci_num", 0);
    record.pci_buy_time = -1;
    if (record.i_id != 0) {
        record.pci_bind = item.getIntVal("pci_bind", 0);
        record.pci_lv = item.getIntVal("pci_lv", 0);
        record.pci_str = item.getIntVal("pci_str", 0);
        record.pci_luck = item.getIntVal("pci_luck", 0);
        record.pci_dex = item.getIntVal("pci_dex", 0);
        record.pci_vit = item.getIntVal("pci_vit", 0);
        record.pci_expiry_day = item.getIntVal("pci_expiry_day", 0);
        const std::string bought = item.getStringVal("pci_buy_time", "");
        if (!bought.empty())
            record.pci_buy_time = recordTime(core::parseDateTime(bought));
        record.mix_times = item.getIntVal("mix_times", 0);
        record.mix_max = item.getIntVal("mix_max", 0);
        record.enh_f = item.getIntVal("enh_f", 0);
        record.attr_x = item.getStringVal("attr_x", "");
    }
    if (EquipRes* equipment = GameServices::equipment())
        equipment->fillItemRecord(record.i_id, record);
    return record;
}

PackageLoadingEvent::PackageLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

gui::ParamList* PackageLoadingEvent::fillParams()
{
    clearParams();
    // The whole bag is rebuilt: the changed slots are only taken off the list.
    std::vector<int> dirty;
    ZRKUserRequest::getDirtySlots(dirty, true);
    std::list<core::XmlConfigHelper> items;
    ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), items);
    // After every slot of the bags, what the temporary bag holds (a box's gifts when the bag was
    // full), so the player sees it and can take it out.
    ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), items, ZRKBagLayout::Temporary, false);
    const long time = ZRKUserRequest::getInventoryTime();
    std::vector<gui::BagData> bag;
    bag.reserve(items.size());
    for (const core::XmlConfigHelper& item : items)
        bag.push_back(bagRecord(item, time));
    addNode("bagList", bag, 0, gui::ParamNode::Record);
    return paramList();
}

void PackageLoadingEvent::callback(gui::ParamHandle params)
{
    int role = 0;
    if (!readOptional("roleid", params, role))
        return;
    mRequests.track(ZRKUserRequest::queryUserInventory(
        role, false, mRequests.guard(boost::bind(&PackageLoadingEvent::onReply, this, _1, _2))));
}

void PackageLoadingEvent::onReply(bool error, const std::string& text)
{
    if (error) {
        writeLog(kLogTrace, channel().c_str(), text);
        return;
    }
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
