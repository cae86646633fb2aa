#pragma once
#include <vector>
#include <data/ZRKRequestOwner.h>
#include <gui/ShopData.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The props shop of the rooms: loads the shop and lists the battle props of the ordinary sale
/// ("shoplist"). The list is made once and kept: the catalogue does not change while the game runs.
class PropShopLoadCallbackEvent : public BaseEvent {
public:
    PropShopLoadCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~PropShopLoadCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::PropShopLoad; }
    void onReply(bool error, const std::string& text);

private:
    std::vector<gui::ShopData> mProps;
    ZRKRequestOwner mRequests; ///< last: no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
