#include "shell/panels/PackageBoardPanel.h"

#include "events/BattleInfEvent.h"
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
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(EventId::Name).
    static const EventTable table = {
        event<EqIconLoadingEvent>(), event<PackageLoadingEvent>(), event<EquipmentListEvent>(),
        event<BattleInfEvent>(),     event<ExChangeSlotEvent>(),
    };
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
