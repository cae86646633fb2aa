#include "callbacks/PropLoadCallbackEvent.h"

#include <list>
#include <vector>
#include <data/ZRKBagLayout.h>
#include <data/ZRKUserRequest.h>
#include <gui/BagData.h>

#include "events/PackageLoadingEvent.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

PropLoadCallbackEvent::PropLoadCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

PropLoadCallbackEvent::~PropLoadCallbackEvent() = default;

gui::ParamList* PropLoadCallbackEvent::fillParams()
{
    clearParams();
    std::list<core::XmlConfigHelper> items;
    ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), ZRKBagLayout::Props, items);
    const long time = ZRKUserRequest::getInventoryTime();
    std::vector<gui::BagData> slots;
    for (const core::XmlConfigHelper& item : items) {
        const int slot = item.getIntVal("pci_slot", 0);
        if (slot >= ZRKBagLayout::kPropsFirst && slot <= ZRKBagLayout::kPropsLast)
            slots.push_back(PackageLoadingEvent::bagRecord(item, time));
    }
    addNode("bagList", slots, 0, gui::ParamNode::Record);
    return paramList();
}

void PropLoadCallbackEvent::callback(gui::ParamHandle params)
{
    int role = 0;
    if (!readParam("roleid", params, role))
        return;
    mRequests.track(ZRKUserRequest::queryUserInventory(
        role, false, mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); })));
}

void PropLoadCallbackEvent::onReply(bool error, const std::string& text)
{
    if (error) {
        log(kLogTrace, "the props bag did not load: " + text);
        return;
    }
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
