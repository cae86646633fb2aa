#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Dresses the preview character "showview" in what the player tries on in the shop, and holds
/// the pose of a weapon tried on; nothing goes to the server.
class ShopTryOnCallbackEvent : public BaseEvent {
public:
    ShopTryOnCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~ShopTryOnCallbackEvent() override;

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ShopTryOn; }
};

} // namespace zrk
} // namespace kavri3D
