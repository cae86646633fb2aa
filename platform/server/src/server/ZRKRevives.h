#pragma once
#include <iterator>
#include <map>
#include <string>
#include <json/value.h>

namespace kavri3D {
namespace zrk {

/// What the server charges for revives bought in a fight: the price list of the game's settings
/// (the one the battle's panel offers from), and how many each player has bought in each
/// battle. The client's word on the price is never taken.
class ZRKRevives {
public:
    /// Reads "battle/pvp_pacemaker" and "battle/pve_pacemaker" from the game's settings file; a
    /// missing or broken table sells no revive of that kind (logged).
    void load(const std::string& settingsFile);
    /// Sets a table from its text (tests); false for a text that is no table.
    bool setTable(bool pve, const std::string& text);

    /// The price of the player's next revive in the room's battle (`seed`: the battle's own,
    /// a room fights many); false, with `why`, when the battle allows no more.
    bool price(const std::string& room, const std::string& seed, const std::string& player, bool pve, int& currency,
               int& cost, std::string& why) const;
    /// One more revive paid in the room's battle.
    void count(const std::string& room, const std::string& seed, const std::string& player);
    int done(const std::string& room, const std::string& seed, const std::string& player) const;
    /// Forgets the rooms `gone` names (closed): the counts stay bounded by the rooms open.
    template <class Pred> void forgetRooms(Pred gone)
    {
        for (auto it = mBattles.begin(); it != mBattles.end();)
            it = gone(it->first) ? mBattles.erase(it) : std::next(it);
    }

private:
    Json::Value mTables[2]; ///< pvp, pve
    struct Battle {
        std::string seed;
        std::map<std::string, int> done; ///< revives bought, by player
    };
    std::map<std::string, Battle> mBattles; ///< by room
};

} // namespace zrk
} // namespace kavri3D
