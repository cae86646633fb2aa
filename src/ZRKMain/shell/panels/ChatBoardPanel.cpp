#include "shell/panels/ChatBoardPanel.h"

namespace kavri3D {
namespace zrk {
namespace gui {

ChatBoardPanel::ChatBoardPanel(core::CEGUIPanelContainer* container) : ZRKPanel(container, kKind) {}

const ZRKPanel::EventTable& ChatBoardPanel::events() const
{
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(EventId::Name).
    static const EventTable table = {};
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
