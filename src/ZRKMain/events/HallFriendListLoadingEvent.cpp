#include "events/HallFriendListLoadingEvent.h"

namespace kavri3D {
namespace zrk {

HallFriendListLoadingEvent::HallFriendListLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id)
    : BaseEvent(page, dispatcher, id)
{
}

} // namespace zrk
} // namespace kavri3D
