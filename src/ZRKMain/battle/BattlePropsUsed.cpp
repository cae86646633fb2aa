#include "battle/BattlePropsUsed.h"

#include <data/ZRKRoomRequest.h>
#include <land/ZRKPlayerSim.h>
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

Json::Value BattlePropsUsed::of(const ZRKPlayerSim& me)
{
    Json::Value props(Json::arrayValue);
    for (const auto& used : me.getPropsUsed()) {
        Json::Value& prop = props.append(Json::Value(Json::objectValue));
        prop["i_id"] = used.first;
        prop["num"] = used.second;
    }
    return props;
}

void BattlePropsUsed::reportLeaving(const std::string& room, const ZRKPlayerSim& me)
{
    if (room.empty() || me.getPropsUsed().empty())
        return; // nothing of his to take
    // The answer may come when the battle's screen is long gone: it names the room only.
    ZRKRoomRequest::reportBattleLeft(room, of(me), [room](bool error, const std::string& text) {
        if (error)
            writeLog(kLogWarning, "room", "the server did not take the props used in " + room + ": " + text);
    });
}

} // namespace zrk
} // namespace kavri3D
