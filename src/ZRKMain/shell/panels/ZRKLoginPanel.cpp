#include "shell/panels/ZRKLoginPanel.h"

namespace kavri3D {
namespace zrk {
namespace gui {

ZRKLoginPanel::ZRKLoginPanel(core::CEGUIPanelContainer* container) : ZRKPanel(container, kKind) {}

const ZRKPanel::EventTable& ZRKLoginPanel::events() const
{
    // One row per event class as it comes: event<SomeEvent>() or hallEvent<SomeHallEvent>(id).
    static const EventTable table = {};
    return table;
}

} // namespace gui
} // namespace zrk
} // namespace kavri3D
