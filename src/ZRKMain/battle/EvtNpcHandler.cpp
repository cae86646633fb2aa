#include "battle/EvtNpcHandler.h"

#include <core/EventManager.h>
#include <land/LandEventId.h>
#include <land/ZRKLand.h>
#include "battle/BattleRoom.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

bool EvtNpcHandler::handle(const core::Event& event)
{
    const int type = event.getType();
    if (type != LandEventId::NpcBubble && type != LandEventId::NpcKilled)
        return false;
    core::Event copy = event;
    if (mRoom.filterNpcEvent(copy))
        return true;
    ZRKLand* land = mRoom.getLand();
    if (!land || !land->isLoaded() || land->isFinished())
        return true;
    try {
        mRoom.refreshNpcBubble(BattleRoom::getAttrValue<std::string>(event.attrs(), "name"));
    } catch (const std::exception& e) {
        writeLog(kLogError, "EvtNpcHandler", "NPC event " + std::to_string(type) + " not handled: " + e.what());
    }
    return true;
}

} // namespace zrk
} // namespace kavri3D
