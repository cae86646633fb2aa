#include "events/HallPlayerAttrRefreshEvent.h"

namespace kavri3D {
namespace zrk {

HallPlayerAttrRefreshEvent::HallPlayerAttrRefreshEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id)
    : BaseEvent(page, dispatcher, id)
{
}

} // namespace zrk
} // namespace kavri3D
