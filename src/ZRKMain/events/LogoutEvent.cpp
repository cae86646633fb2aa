#include "events/LogoutEvent.h"

#include "events/ExitEvent.h"

namespace kavri3D {
namespace zrk {

LogoutEvent::LogoutEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

gui::ParamList* LogoutEvent::fillParams() { return emptyParams(); }

void LogoutEvent::callback(gui::ParamHandle)
{
    if (ExitEvent* exit = ExitEvent::instance())
        exit->confirmQuit(true);
}

} // namespace zrk
} // namespace kavri3D
