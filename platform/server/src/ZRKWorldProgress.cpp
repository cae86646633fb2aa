#include "server/ZRKWorldProgress.h"

#include "server/ZRKDatabase.h"
#include "server/ZRKWorldViews.h"

namespace kavri3D {
namespace zrk {

namespace {

const char* const kMoneyColumns[ZRKWorld::MoneyKinds] = {"money1", "money2", "money3"};
const char* const kMoneyRefusals[ZRKWorld::MoneyKinds] = {"warning/no_enough_zaobi", "warning/no_enough_dianjuan",
                                                          "warning/no_enough_guabi"};

} // namespace

ZRKWorldProgress::ZRKWorldProgress(ZRKWorld& world, ZRKDatabase& db, ZRKWorldViews& views)
    : mWorld(world), mDb(db), mViews(views)
{
}

bool ZRKWorldProgress::addAbilities(const std::string& player, const long long add[4], std::string& refusal)
{
    long long sum = 0;
    for (int a = 0; a < 4; ++a) {
        if (add[a] < 0 || add[a] > 100000) {
            refusal = "error/srv_bad_request";
            return false;
        }
        sum += add[a];
    }
    if (sum == 0 && mWorld.player(player)) // nothing to add: nothing changes, no view is made again
        return true;
    ZRKDatabase::Statement& q = mDb.prepare(
        "UPDATE players SET points = points - ?1, str = str + ?2, vit = vit + ?3, dex = dex + ?4, luk = luk + ?5 "
        "WHERE name = ?6 AND points >= ?1");
    q.bind(1, sum).bind(2, add[0]).bind(3, add[1]).bind(4, add[2]).bind(5, add[3]).bind(6, player);
    if (!q.run() || mDb.changes() == 0) {
        refusal = "error/srv_points";
        return false;
    }
    // What is known of the player changes with it (undoing the work forgets it all).
    ZRKWorld::Player* known = mWorld.knownPlayer(player);
    if (!known) {
        mWorld.forget(player);
        return true;
    }
    ZRKWorld::Player& p = *known;
    p.points -= sum;
    for (int a = 0; a < 4; ++a)
        p.abilities[a] += add[a];
    // The one view that shows them follows.
    if (Json::Value* pc = mViews.changedPc(player)) {
        (*pc)[Json::StaticString("pc_points")] = ZRKWorld::big(p.points);
        (*pc)[Json::StaticString("pc_stp")] = ZRKWorld::big(p.points);
        for (int a = 0; a < 4; ++a)
            (*pc)[std::string("pc_") + ZRKWorld::kAbilityNames[a]] = ZRKWorld::big(p.abilities[a]);
    }
    return true;
}

bool ZRKWorldProgress::setGrade(const std::string& player, long long lv, long long rank)
{
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET lv = ?, rank = ? WHERE name = ?");
    q.bind(1, lv).bind(2, rank).bind(3, player);
    const bool done = q.run() && mDb.changes() > 0;
    mWorld.forget(player); // every view of the player shows the new grade
    return done;
}

bool ZRKWorldProgress::raiseNewbieTask(const std::string& player, long long task)
{
    if (!mWorld.hasPlayer(player))
        return false;
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET newbie_task = ?1 WHERE name = ?2 AND newbie_task < ?1");
    q.bind(1, task).bind(2, player);
    const bool done = q.run();
    mWorld.forget(player);
    return done;
}

bool ZRKWorldProgress::addMoney(const std::string& player, ZRKWorld::MoneyKind kind, long long delta,
                                std::string& refusal)
{
    if (kind < 0 || kind >= ZRKWorld::MoneyKinds || !mWorld.hasPlayer(player)) {
        refusal = "error/srv_bad_request";
        return false;
    }
    const std::string column = kMoneyColumns[kind];
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET " + column + " = " + column +
                                            " + ?1 WHERE name = ?2 AND " + column + " + ?1 >= 0");
    q.bind(1, delta).bind(2, player);
    if (!q.run() || mDb.changes() == 0) {
        refusal = kMoneyRefusals[kind];
        return false;
    }
    ZRKWorld::Player* known = mWorld.knownPlayer(player);
    if (!known) {
        mWorld.forget(player);
        return true;
    }
    known->money[kind] += delta;
    if (Json::Value* pc = mViews.changedPc(player))
        (*pc)["pc_money" + std::to_string(kind + 1)] = ZRKWorld::big(known->money[kind]);
    return true;
}

bool ZRKWorldProgress::gainLevels(const std::string& player, long long& gained)
{
    gained = 0;
    const ZRKWorld::Player* p = mWorld.player(player);
    if (!p)
        return false;
    const Json::Value& table = mWorld.document("master")["exp_table"];
    long long lv = 0;
    if (table.isArray())
        for (const Json::Value& need : table)
            if (need.isIntegral() && p->exp >= need.asInt64())
                ++lv;
    if (lv <= p->lv)
        return true; // levels are never taken away, and one past the table is kept
    gained = lv - p->lv;
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET lv = ?1, points = points + ?2 WHERE name = ?3");
    q.bind(1, lv).bind(2, gained * ZRKWorld::kPointsPerLevel).bind(3, player);
    const bool done = q.run() && mDb.changes() == 1;
    mWorld.forget(player);
    return done;
}

bool ZRKWorldProgress::resetAbilities(const std::string& player)
{
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET points = points + str + vit + dex + luk, str = 0, vit "
                                            "= 0, dex = 0, luk = 0 WHERE name = ?1");
    q.bind(1, player);
    const bool done = q.run() && mDb.changes() == 1;
    mWorld.forget(player);
    return done;
}

bool ZRKWorldProgress::addExperience(const std::string& player, long long delta)
{
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE players SET exp = exp + ?1 WHERE name = ?2 AND exp + ?1 >= 0");
    q.bind(1, delta).bind(2, player);
    const bool done = q.run() && mDb.changes() == 1;
    mWorld.forget(player); // its views show the experience
    return done;
}

std::shared_ptr<const Json::Value> ZRKWorldProgress::quests(const std::string& player)
{
    auto known = mQuests.find(player);
    if (known != mQuests.end())
        return known->second;
    auto made = std::make_shared<Json::Value>(Json::arrayValue);
    mQuests[player] = made;
    Json::Value& out = *made;
    for (const ZRKWorld::Quest& quest : questRows(player)) {
        Json::Value& entry = out.append(Json::Value(Json::objectValue));
        entry[Json::StaticString("q_id")] = ZRKWorld::big(quest.id);
        entry[Json::StaticString("state")] = ZRKWorld::big(quest.state);
        entry[Json::StaticString("progress")] = ZRKWorld::big(quest.progress);
    }
    return made;
}

std::vector<ZRKWorld::Quest> ZRKWorldProgress::questRows(const std::string& player)
{
    std::vector<ZRKWorld::Quest> out;
    ZRKDatabase::Statement& q = mDb.prepare("SELECT q_id, state, progress FROM quests WHERE player = ? ORDER BY q_id");
    q.bind(1, player);
    while (q.step()) {
        ZRKWorld::Quest quest;
        quest.id = q.integer(0);
        quest.state = q.integer(1);
        quest.progress = q.integer(2);
        out.push_back(quest);
    }
    q.reset();
    return out;
}

bool ZRKWorldProgress::setQuest(const std::string& player, const ZRKWorld::Quest& quest)
{
    ZRKDatabase::Statement& q =
        mDb.prepare("UPDATE quests SET state = ?1, progress = ?2 WHERE player = ?3 AND q_id = ?4");
    q.bind(1, quest.state).bind(2, quest.progress).bind(3, player).bind(4, quest.id);
    const bool done = q.run() && mDb.changes() == 1;
    mQuests.erase(player);
    return done;
}

} // namespace zrk
} // namespace kavri3D
