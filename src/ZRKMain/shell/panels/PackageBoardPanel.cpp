#include "shell/panels/PackageBoardPanel.h"

#include "events/EqIconLoadingEvent.h"
#include "events/EquipmentListEvent.h"
#include "events/ExChangeSlotEvent.h"
#include "events/PackageLoadingEvent.h"

namespace kavri3D {
namespace zrk {
namespace gui {

PackageBoardPanel::PackageBoardPanel(core::CEGUIPanelContainer* container) : ZRKPanel(container, kKind) {}

const ZRKPanel::EventTable& PackageBoardPanel::events() const
{
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(id).
    // The battle information event (10) goes between the outfit and the slot exchange with the rooms.
    static const EventTable table = {
        event<EqIconLoadingEvent>(), event<PackageLoadingEvent>(), event<EquipmentListEvent>(), event<ExChangeSlotEvent>(),
    };
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
