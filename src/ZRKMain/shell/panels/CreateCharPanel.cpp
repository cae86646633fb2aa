#include "shell/panels/CreateCharPanel.h"

#include "events/ChangeCharStateEvent.h"
#include "events/CreateCharEvent.h"
#include "events/CreateCharLoadingEvent.h"
#include "events/RollCharEvent.h"

namespace kavri3D {
namespace zrk {
namespace gui {

CreateCharPanel::CreateCharPanel(core::CEGUIPanelContainer* container) : ZRKPanel(container, kKind) {}

const ZRKPanel::EventTable& CreateCharPanel::events() const
{
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(EventId::Name).
    static const EventTable table = {
        event<CreateCharLoadingEvent>(),
        event<ChangeCharStateEvent>(),
        event<RollCharEvent>(),
        event<CreateCharEvent>(),
    };
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
