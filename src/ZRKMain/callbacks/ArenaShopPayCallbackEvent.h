#pragma once
#include <gui/ShopData.h>
#include "callbacks/ShopPayCallbackEvent.h"

namespace kavri3D {
namespace zrk {

/// Buys one item of the arena shop (paid in arena points).
class ArenaShopPayCallbackEvent : public ShopPayCallbackEvent {
public:
    ArenaShopPayCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~ArenaShopPayCallbackEvent() override;

    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ArenaShopPay; }

private:
    gui::ShopData mItem; ///< the item of the last request
};

} // namespace zrk
} // namespace kavri3D
