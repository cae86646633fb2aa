#include "events/LogoutEvent.h"

#include <data/ZRKSession.h>
#include <gui/IGuiManager.h>

#include "events/ExitEvent.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

LogoutEvent::LogoutEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

gui::ParamList* LogoutEvent::fillParams()
{ return emptyParams(); }

void LogoutEvent::callback(gui::ParamHandle)
{
    ZRKSession* session = GameServices::session();
    if (!session || !session->isOnline()) {
        // Nobody to log out: the button leaves the game, with the quit question first.
        if (ExitEvent* exit = ExitEvent::instance())
            exit->confirmQuit(true);
        return;
    }
    // The player ends his session, not the game: the log-in screen comes back for the next
    // log-in, and the log-on state logs the session out as it is entered.
    if (gui::IGuiManager* manager = GameServices::guiManager()) {
        manager->resetPages();
        manager->showPage("login");
    }
    if (!session->teleport(std::string(), "logon", std::string()))
        session->logout();
}

} // namespace zrk
} // namespace kavri3D
