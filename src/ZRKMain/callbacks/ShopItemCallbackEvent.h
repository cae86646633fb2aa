#pragma once
#include <string>
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Refreshes the shop-item list the game-data library keeps (ZRKServer::getShopItem); it hands
/// the GUI nothing itself.
class ShopItemCallbackEvent : public BaseEvent {
public:
    ShopItemCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~ShopItemCallbackEvent() override;

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ShopItem; }
    void onReply(bool error, const std::string& text);

private:
    ZRKRequestOwner mRequests;
};

} // namespace zrk
} // namespace kavri3D
