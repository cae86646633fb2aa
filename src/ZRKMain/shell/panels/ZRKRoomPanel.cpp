#include "shell/panels/ZRKRoomPanel.h"

#include "events/BattleSendMsgEvent.h"

namespace kavri3D {
namespace zrk {
namespace gui {

ZRKRoomPanel::ZRKRoomPanel(core::CEGUIPanelContainer* container) : ZRKPanel(container, kKind) {}

const ZRKPanel::EventTable& ZRKRoomPanel::events() const
{
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(id).
    static const EventTable table = {
        event<BattleSendMsgEvent>(),
    };
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
