#pragma once
#include <json/json.h>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

class ZRKDatabase;
class ZRKWorldViews;

/// How a player gets on: stat points, money, experience and the levels it reaches, grade, the
/// tutorial's progress and the quests. Every change runs inside the caller's transaction and
/// is refused whole when it would break the world (money or points below zero).
class ZRKWorldProgress {
public:
    ZRKWorldProgress(ZRKWorld& world, ZRKDatabase& db, ZRKWorldViews& views);
    ZRKWorldProgress(const ZRKWorldProgress&) = delete;
    ZRKWorldProgress& operator=(const ZRKWorldProgress&) = delete;

    bool addAbilities(const std::string& player, const long long add[4], std::string& refusal);
    bool resetAbilities(const std::string& player);
    bool addMoney(const std::string& player, ZRKWorld::MoneyKind kind, long long delta, std::string& refusal);
    bool addExperience(const std::string& player, long long delta);
    bool gainLevels(const std::string& player, long long& gained);
    bool setGrade(const std::string& player, long long lv, long long rank);
    bool raiseNewbieTask(const std::string& player, long long task);

    /// The player's quests ([{q_id, state, progress}]), made once until they change.
    std::shared_ptr<const Json::Value> quests(const std::string& player);
    std::vector<ZRKWorld::Quest> questRows(const std::string& player);
    bool setQuest(const std::string& player, const ZRKWorld::Quest& quest);

    /// What was known of the player's quests is read afresh when next asked for.
    void forget(const std::string& player) { mQuests.erase(player); }
    void forgetAll() { mQuests.clear(); }

private:
    ZRKWorld& mWorld;
    ZRKDatabase& mDb;
    ZRKWorldViews& mViews;
    std::map<std::string, std::shared_ptr<const Json::Value>> mQuests;
};

} // namespace zrk
} // namespace kavri3D
