#pragma once
#include <string>
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Renews a timed item of the bag at the option the player picked, at once; the player's
/// attributes and the bag are then shown afresh. A refusal is shown in a box and raises the
/// event's own id, so that the screen that asked stops saying it renews.
class ShopRenewalCallbackEvent : public BaseEvent {
public:
    ShopRenewalCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~ShopRenewalCallbackEvent() override;

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ShopRenewal; }
    void onReply(bool error, const std::string& text);

private:
    ZRKRequestOwner mRequests;
};

} // namespace zrk
} // namespace kavri3D
