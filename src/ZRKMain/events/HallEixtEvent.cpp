#include "events/HallEixtEvent.h"

#include <core/ClientStateTable.h>
#include <data/ZRKSession.h>

#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

HallEixtEvent::HallEixtEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id)
    : BaseEvent(page, dispatcher, id)
{
}

void HallEixtEvent::callback(gui::ParamHandle params)
{
    std::string zone, cry, guild;
    // A missing cry or guild room is no room: only the zone's own is left.
    if (!readParam("zone_name", params, zone) || !readOptional("cry_name", params, cry) ||
        !readOptional("guild_name", params, guild))
        return;
    if (ZRKSession* session = GameServices::session()) {
        session->leave(zone);
        if (!cry.empty())
            session->leave(cry);
        session->teleport(std::string(), core::ClientStateTable::kArea, std::string());
    }
    raiseEvent(givenId());
}

} // namespace zrk
} // namespace kavri3D
