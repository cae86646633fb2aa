#pragma once
#include <json/json.h>
#include <string>

namespace kavri3D {
namespace zrk {

class ZRKPlayerSim;

/// The props the own figure used up in a battle, as the server takes them out of his props
/// bag: the report of the battle's end carries them, and so does the report of a player who
/// gives the battle up midway. The server takes them once a battle, whichever comes first.
class BattlePropsUsed {
public:
    /// [{"i_id", "num"}], one entry a prop.
    static Json::Value of(const ZRKPlayerSim& me);
    /// The player gives the room's battle up: the server takes what he used now.
    static void reportLeaving(const std::string& room, const ZRKPlayerSim& me);
};

} // namespace zrk
} // namespace kavri3D
