#include "events/DefStateEvent.h"

#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

DefStateEvent::DefStateEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

gui::ParamList* DefStateEvent::fillParams()
{
    clearParams();
    // The document lives with the role resources; the GUI reads it in place.
    if (ZRKRoleRes* roles = GameServices::roleResources())
        addJson("defState", &roles->getDefState());
    return paramList();
}

} // namespace zrk
} // namespace kavri3D
