#pragma once
#include <vector>
#include <data/ZRKRequestOwner.h>
#include <gui/ShopData.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Buys props in a room: one piece of each cart line ("prop"), then hands the GUI what was
/// bought ("buyed").
class PropCheckoutCallbackEvent : public BaseEvent {
public:
    PropCheckoutCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~PropCheckoutCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::PropCheckout; }
    void onReply(bool error, const std::string& text);

private:
    ZRKRequestOwner mRequests; ///< last: no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
