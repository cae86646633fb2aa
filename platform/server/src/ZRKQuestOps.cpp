#include "server/ZRKQuestOps.h"

#include <algorithm>
#include <json/json.h>
#include <vector>

#include "server/ZRKServerCall.h"
#include "server/ZRKServerCore.h"
#include "server/ZRKServerOps.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {

typedef ZRKWorld::Quest Quest;

/// The template of a quest in the library; null for none.
const Json::Value& questTemplate(ZRKWorld& world, long long id)
{
    const Json::Value& lib = world.document("lib/quest");
    if (!lib.isObject())
        return Json::Value::nullSingleton();
    const Json::Value& found = lib[std::to_string(id)];
    return found.isObject() ? found : Json::Value::nullSingleton();
}

/// A whole number of a record, 0 when it has none; never below 0 nor above the quests' limit.
long long amount(const Json::Value& record, const char* key)
{
    long long v = 0;
    if (!record.isObject() || !ZRKServerCall::readNumber(record[key], v))
        return 0;
    return std::max(0LL, std::min(v, ZRKQuestOps::kMostCount));
}

/// How far one battle takes a goal of that type.
long long stepOf(const std::string& type, const ZRKQuestOps::Tally& tally)
{
    const auto clamp = [](long long n) { return std::max(0LL, std::min(n, ZRKQuestOps::kMostCount)); };
    if (type == "battles")
        return 1;
    if (type == "wins")
        return tally.won ? 1 : 0;
    if (type == "hits")
        return clamp(tally.hits);
    if (type == "kills")
        return clamp(tally.kills);
    return 0;
}

/// The objects a reward offers to choose from.
std::vector<long long> offered(const Json::Value& reward)
{
    std::vector<long long> out;
    const Json::Value& items = reward.isObject() ? reward["items"] : Json::Value::nullSingleton();
    if (items.isArray())
        for (const Json::Value& item : items) {
            long long id = 0;
            if (ZRKServerCall::readNumber(item, id) && id > 0)
                out.push_back(id);
        }
    return out;
}

/// A done quest's reward, {items:[object],q_id:id}: its money, its experience (with the stat
/// points of the levels it reaches) and the chosen object, laid into the first free slot of
/// the bag. Every check comes before the first change; a refusal changes nothing.
void rewardQuest(ZRKServerCall& call)
{
    const Json::Value& args = call.request.args;
    long long id = 0;
    if (!args.isObject() || !ZRKServerCall::readNumber(args["q_id"], id))
        return call.refuse("error/srv_bad_request", "no quest id");
    const Json::Value& items = args["items"];
    long long chosen = 0;
    if (!items.isNull() &&
        (!items.isArray() || items.size() > 1 || (items.size() == 1 && !ZRKServerCall::readNumber(items[0], chosen))))
        return call.refuse("error/srv_bad_request", "the chosen object is no single item id");
    ZRKWorld& world = call.world();
    const Json::Value& quest = questTemplate(world, id);
    const std::vector<Quest> rows = world.questRows(call.player);
    const auto row = std::find_if(rows.begin(), rows.end(), [id](const Quest& q) { return q.id == id; });
    if (quest.isNull() || row == rows.end())
        return call.refuse("quest/unknown", "no quest " + std::to_string(id) + " of " + call.player);
    if (row->state == ZRKWorld::QuestRewarded)
        return call.refuse("quest/rewarded", "quest " + std::to_string(id) + " is paid already");
    if (row->state != ZRKWorld::QuestDone)
        return call.refuse("quest/not_done", "quest " + std::to_string(id) + " is not done");
    const Json::Value& reward = quest["reward"];
    const std::vector<long long> choices = offered(reward);
    if (chosen != 0 ? std::find(choices.begin(), choices.end(), chosen) == choices.end() : !choices.empty())
        return call.refuse("quest/not_offered",
                           "object " + std::to_string(chosen) + " is not a choice of quest " + std::to_string(id));
    ZRKWorld::Item item;
    if (chosen != 0) {
        if (world.itemAttrs(chosen).isNull())
            return call.refuse("error/unknow_wrong", "quest " + std::to_string(id) + " offers an unknown item");
        item.id = chosen;
        item.slot = world.freeSlot(call.player, false);
        if (item.slot == 0)
            return call.refuse("quest/bag_full", "no free slot for the reward of quest " + std::to_string(id));
    }

    std::string refusal;
    long long levels = 0;
    Quest paid = *row;
    paid.state = ZRKWorld::QuestRewarded;
    if (!world.addMoney(call.player, ZRKWorld::Coins, amount(reward, "money"), refusal) ||
        !world.addExperience(call.player, amount(reward, "exp")) || !world.gainLevels(call.player, levels) ||
        (chosen != 0 && !world.addItem(call.player, item)) || !world.setQuest(call.player, paid))
        return call.refuse("error/unknow_wrong", "the reward of quest " + std::to_string(id) + " cannot be written");

    call.views["pc"] = world.playerView(call.player, ZRKWorld::PcView);
    call.share("pcQuests", world.sharedQuests(call.player));
    if (chosen != 0) {
        call.share("inventory", world.sharedInventoryView(call.player));
        call.views["inventoryDirty"].append(item.slot);
    }
    if (levels > 0) {
        ZRKServerCore& server = call.server;
        const std::string player = call.player;
        call.committed = [&server, player]() { server.tellGrade(player); };
    }
}

} // namespace

bool ZRKQuestOps::advance(ZRKWorld& world, const std::string& player, const Tally& tally)
{
    for (Quest q : world.questRows(player)) {
        if (q.state != ZRKWorld::QuestRunning)
            continue;
        const Json::Value& quest = questTemplate(world, q.id);
        const Json::Value& goal = quest.isObject() ? quest["goal"] : Json::Value::nullSingleton();
        const std::string type = goal.isObject() && goal["type"].isString() ? goal["type"].asString() : std::string();
        const long long step = stepOf(type, tally);
        if (step == 0)
            continue; // a quest without a goal, or one this battle does nothing for
        const long long count = std::max(1LL, amount(goal, "count"));
        q.progress = std::min(count, std::max(0LL, q.progress) + step);
        if (q.progress >= count)
            q.state = ZRKWorld::QuestDone;
        if (!world.setQuest(player, q))
            return false;
    }
    return true;
}

void ZRKQuestOps::addTo(ZRKServerOps& ops)
{
    ops.add("rewardQuest", &rewardQuest, ZRKServerOps::NeedsPlayer | ZRKServerOps::Changes);
}

} // namespace zrk
} // namespace kavri3D
