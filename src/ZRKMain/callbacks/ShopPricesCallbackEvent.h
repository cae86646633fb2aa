#pragma once
#include <string>
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The price card of one item: loads the shop, then hands the GUI every option the shop sells
/// the item under ("prices", one record).
class ShopPricesCallbackEvent : public BaseEvent {
public:
    ShopPricesCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~ShopPricesCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ShopPrices; }
    void handleShop(bool error, const std::string& text);

private:
    int mItemId = 0;
    ZRKRequestOwner mRequests;
};

} // namespace zrk
} // namespace kavri3D
