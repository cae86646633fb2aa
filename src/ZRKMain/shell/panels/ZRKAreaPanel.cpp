#include "shell/panels/ZRKAreaPanel.h"

#include "events/AreaGoEvent.h"
#include "events/AreaLoadingEvent.h"
#include "events/AreaRandomMembersEvent.h"
#include "events/LogoutEvent.h"

namespace kavri3D {
namespace zrk {
namespace gui {

ZRKAreaPanel::ZRKAreaPanel(core::CEGUIPanelContainer* container) : ZRKPanel(container, kKind) {}

const ZRKPanel::EventTable& ZRKAreaPanel::events() const
{
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(id).
    static const EventTable table = {
        event<AreaLoadingEvent>(),
        event<AreaGoEvent>(),
        event<AreaRandomMembersEvent>(),
        event<LogoutEvent>(),
    };
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
