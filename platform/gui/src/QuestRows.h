#pragma once
#include <json/value.h>
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {
namespace gui {

/// One quest as the Quests tab shows it: the player's state and progress with what the quest
/// library says of it.
struct QuestRow {
    long id = 0;
    int state = 0; ///< 16 running, 32 done (claimable), 64 rewarded
    long progress = 0;
    std::string name;
    std::string desc;
    std::string goalType; ///< "battles", "wins", "hits", "kills"
    long goal = 0;
    long money = 0;
    long exp = 0;
    std::vector<int> objects; ///< the reward's objects, one to choose
};

/// The player's quests ("pcQuests") read against the quest library ("lib/quest"), as they came
/// from the server: every value is checked for its type, a quest the library lacks is shown by
/// its id, and the list is cut at kMostRows.
class QuestRows {
public:
    static constexpr std::size_t kMostRows = 200;
    static constexpr std::size_t kMostObjects = 8;
    static std::vector<QuestRow> read(const Json::Value& library, const Json::Value& mine);
    /// "Wins: 1/1", "Hits: 3/10".
    static std::string progressText(const QuestRow& row);
    /// "200 coins, 700 exp", with ", one object" when it offers some.
    static std::string rewardText(const QuestRow& row);
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
