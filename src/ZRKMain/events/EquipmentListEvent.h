#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Dresses the player's own character in the outfit the bag screen shows, and lets the
/// equipment resources know it.
class EquipmentListEvent : public BaseEvent {
public:
    EquipmentListEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::EquipmentList; }
};

} // namespace zrk
} // namespace kavri3D
