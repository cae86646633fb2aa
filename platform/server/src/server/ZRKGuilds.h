#pragma once
#include <json/json.h>
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {

class ZRKWorld;

/// The guilds: each is founded in the master data ("guilds": {g_id, g_name, master, members,
/// max}); who joined later is in his settings ("g_id", "g_name"), so membership lasts in the
/// world like the rest of the player. A guild takes at most its "max" members.
class ZRKGuilds {
public:
    struct Guild {
        long long id = 0;
        std::string name;
        std::string master;
        long long max = 0;
        std::vector<std::string> members; ///< founders first, then those who joined
    };
    /// A guild's size when the master data names none.
    static constexpr long long kDefaultMax = 30;

    /// The guild of that id; false when there is none.
    static bool find(ZRKWorld& world, long long id, Guild& out);
    /// The id of the guild the player belongs to; 0 for none.
    static long long guildOf(ZRKWorld& world, const std::string& player);
    /// Takes the player into the guild, inside the caller's transaction. False, with the
    /// message key of the refusal, for an unknown guild or player, one in a guild already, or
    /// a full guild; nothing is then changed.
    static bool join(ZRKWorld& world, long long id, const std::string& player, std::string& refusal);
};

} // namespace zrk
} // namespace kavri3D
