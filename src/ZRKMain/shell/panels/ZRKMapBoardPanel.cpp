#include "shell/panels/ZRKMapBoardPanel.h"

namespace kavri3D {
namespace zrk {
namespace gui {

ZRKMapBoardPanel::ZRKMapBoardPanel(core::CEGUIPanelContainer* container) : ZRKPanel(container, kKind) {}

const ZRKPanel::EventTable& ZRKMapBoardPanel::events() const
{
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(EventId::Name).
    static const EventTable table = {};
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
