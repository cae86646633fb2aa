#pragma once
#include "events/BaseEvent.h"
#include <string>

namespace kavri3D {
namespace zrk {

/// Tells the room the player is busy in the bag and which weapon the seat
/// shows; the own seat then shows it too.
class BattleInfEvent : public BaseEvent {
public:
    BattleInfEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::BattleInf; }

    /// The shown-item text: "0" for none, the id, or "id+level-1" from level 2
    /// on.
    static std::string demoText(int itemId, int level);
};

} // namespace zrk
} // namespace kavri3D
