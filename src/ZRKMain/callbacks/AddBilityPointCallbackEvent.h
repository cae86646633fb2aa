#pragma once
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Spends free stat points: the amounts for strength, vitality, dexterity and luck ("str",
/// "vit", "dex", "luk") go to the server as they are; it decides whether the player has them,
/// and the page hears of the new values with the player's next update.
class AddBilityPointCallbackEvent : public BaseEvent {
public:
    AddBilityPointCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~AddBilityPointCallbackEvent() override;

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::AddBilityPoint; }

private:
    ZRKRequestOwner mRequests;
};

} // namespace zrk
} // namespace kavri3D
