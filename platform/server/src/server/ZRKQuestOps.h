#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

class ZRKServerOps;
class ZRKWorld;

/// The server's quests. Their templates are the quest library ("lib/quest", by id): a goal
/// {"type": "battles", "wins", "hits" or "kills", "count"} and a reward {"money" (coins),
/// "exp", "items": the objects to choose one from}. Each player keeps his own quests with
/// their progress and state: 16 running, 32 done, 64 rewarded. A battle fought to its end
/// moves the running ones on; "rewardQuest" pays a done one once.
class ZRKQuestOps {
public:
    /// What one player did in a battle he fought to its end.
    struct Tally {
        bool won = false;
        long long hits = 0;
        long long kills = 0;
    };

    static void addTo(ZRKServerOps& ops);
    /// Moves the player's running quests on by the battle; a goal reached makes its quest done.
    /// Inside the caller's transaction; false when a quest could not be written.
    static bool advance(ZRKWorld& world, const std::string& player, const Tally& tally);
    /// The most a quest's goal may ask for, and the most a battle may count for it.
    static constexpr long long kMostCount = 1000000;
};

} // namespace zrk
} // namespace kavri3D
