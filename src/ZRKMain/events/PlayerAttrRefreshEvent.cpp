#include "events/PlayerAttrRefreshEvent.h"

namespace kavri3D {
namespace zrk {

PlayerAttrRefreshEvent::PlayerAttrRefreshEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

} // namespace zrk
} // namespace kavri3D
