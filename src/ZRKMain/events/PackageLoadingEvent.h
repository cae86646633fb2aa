#pragma once
#include <gui/BagData.h>
#include <util/XmlConfigHelper.h>
#include <string>
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The bag list: fetches the player's inventory and hands the GUI one record per worn and bag
/// slot. The bag, shop and forge actions raise its id after changing the inventory.
class PackageLoadingEvent : public BaseEvent {
public:
    PackageLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::PackageLoading; }

    void onReply(bool error, const std::string& text);

    /// One item of the bag (or one just bought) as the screens get it: its instance part from the
    /// item's view, the inventory time, then the template from the item library.
    static gui::BagData bagRecord(const core::XmlConfigHelper& item, long inventoryTime);

private:
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
