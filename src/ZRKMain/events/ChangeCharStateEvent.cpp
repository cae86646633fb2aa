#include "events/ChangeCharStateEvent.h"

#include <gui/RoleState.h>

#include "events/CharCatalogue.h"
#include "rooms/RoleManager.h"

namespace kavri3D {
namespace zrk {

ChangeCharStateEvent::ChangeCharStateEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

void ChangeCharStateEvent::callback(gui::ParamHandle params)
{
    gui::RoleState state;
    if (!readParam("state", params, state))
        return;
    int action = -1;
    if (!readOptional("animation", params, action))
        return;
    const int actions = CharCatalogue::count(state.look, "action");
    if (action >= actions)
        action = actions - 1;
    ZRKRolePtr role = RoleManager::instance().getRole("createchar");
    if (!role)
        return;
    const bool newLook = mLastLook.empty() || mLastLook != state.look;
    CharCatalogue::dress(*role, state.look, state.index, true, newLook);
    if (newLook)
        mLastLook = state.look;
    if (action < 0)
        return;
    role->execAction(CharCatalogue::entry(state.look, "action", action));
    const std::string effect = CharCatalogue::entry(state.look, "effect", action);
    if (!effect.empty())
        RoleManager::instance().playEffect(effect, role->getPosition());
}

} // namespace zrk
} // namespace kavri3D
