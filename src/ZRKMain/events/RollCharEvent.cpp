#include "events/RollCharEvent.h"

#include <boost/bind/bind.hpp>

#include "rooms/RoleManager.h"

using namespace boost::placeholders;

namespace kavri3D {
namespace zrk {

RollCharEvent::RollCharEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

RollCharEvent::~RollCharEvent()
{
    // The handler points here: a preview that outlives the screen stops asking.
    if (RoleManager* roles = RoleManager::getSingletonPtr())
        if (ZRKRolePtr role = roles->getRole("createchar"))
            role->setTurnHandler(ZRKRole::TurnHandler());
}

void RollCharEvent::callback(gui::ParamHandle params)
{
    if (!readOptional("flags", params, mRotate) || !readOptional("isClock", params, mClockwise))
        return;
    if (ZRKRolePtr role = RoleManager::instance().getRole("createchar"))
        role->setTurnHandler(boost::bind(&RollCharEvent::getRollState, this, _1, _2));
}

void RollCharEvent::getRollState(bool& rotate, bool& clockwise)
{
    rotate = mRotate;
    clockwise = mClockwise;
}

} // namespace zrk
} // namespace kavri3D
