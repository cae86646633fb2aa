#include "events/DefStateEvent.h"

namespace kavri3D {
namespace zrk {

DefStateEvent::DefStateEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

gui::ParamList* DefStateEvent::fillParams()
{
    clearParams();
    // "defState" is the role resources' document (ZRKRoleRes::getDefState, handed out with
    // addJson) once those resources exist; until then the GUI gets no node.
    return paramList();
}

} // namespace zrk
} // namespace kavri3D
