#include "server/ZRKRoster.h"

#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {

const Json::Value& rosterOf(const ZRKWorld::Player& p)
{
    const Json::Value& lists = ZRKWorld::Player::doc(p.lists);
    return lists.isObject() ? lists["roster"] : Json::Value::nullSingleton();
}

/// The player's lists with the roster replaced by the entries.
bool write(ZRKWorld& world, const ZRKWorld::Player& p, const std::vector<ZRKRoster::Entry>& entries)
{
    const Json::Value& old = ZRKWorld::Player::doc(p.lists);
    Json::Value lists = old.isObject() ? old : Json::Value(Json::objectValue);
    Json::Value& roster = lists["roster"] = Json::Value(Json::arrayValue);
    for (const ZRKRoster::Entry& e : entries) {
        Json::Value& item = roster.append(Json::Value(Json::objectValue));
        item["fuid"] = e.fuid;
        item["group"] = e.group;
    }
    return world.setLists(p.name, lists);
}

} // namespace

std::vector<ZRKRoster::Entry> ZRKRoster::entries(ZRKWorld& world, const std::string& player)
{
    std::vector<Entry> out;
    const ZRKWorld::Player* p = world.player(player);
    const Json::Value& roster = p ? rosterOf(*p) : Json::Value::nullSingleton();
    if (!roster.isArray())
        return out;
    for (const Json::Value& item : roster) {
        if (!item.isObject() || !item["fuid"].isString() || item["fuid"].asString().empty() || !item["group"].isInt())
            continue;
        Entry e;
        e.fuid = item["fuid"].asString();
        e.group = item["group"].asInt();
        out.push_back(e);
    }
    return out;
}

int ZRKRoster::groupOf(ZRKWorld& world, const std::string& player, const std::string& fuid)
{
    for (const Entry& e : entries(world, player))
        if (e.fuid == fuid)
            return e.group;
    return -1;
}

bool ZRKRoster::mutual(ZRKWorld& world, const std::string& a, const std::string& b)
{
    return groupOf(world, a, b) == Friend && groupOf(world, b, a) == Friend;
}

Json::Value ZRKRoster::view(ZRKWorld& world, const std::string& player)
{
    Json::Value out(Json::arrayValue);
    for (const Entry& e : entries(world, player)) {
        const ZRKWorld::Player* f = world.player(e.fuid);
        if (!f)
            continue;
        const Json::Value& settings = ZRKWorld::Player::doc(f->settings);
        const Json::Value& blue = settings.isObject() ? settings["pc_blue_drill"] : Json::Value::nullSingleton();
        Json::Value& item = out.append(Json::Value(Json::objectValue));
        item["fuid"] = e.fuid;
        item["group"] = e.group;
        item["nick"] = f->nick;
        item["f_pc_id"] = static_cast<Json::Int64>(f->pcId);
        item["f_cid"] = static_cast<Json::Int64>(f->cId);
        item["f_lv"] = static_cast<Json::Int64>(f->lv);
        item["f_rank"] = static_cast<Json::Int64>(f->rank);
        item["f_blue"] = blue.isInt() ? blue.asInt() : 0;
        item["pep"] = e.group == Friend && groupOf(world, e.fuid, player) == Friend ? 1 : 0;
    }
    return out;
}

bool ZRKRoster::put(ZRKWorld& world, const std::string& player, const std::string& fuid, int group,
                    std::string& refusal)
{
    if (fuid == player) {
        refusal = "roster/self";
        return false;
    }
    const ZRKWorld::Player* f = world.player(fuid);
    if (!f || f->pcId == 0) {
        refusal = "error/srv_no_person";
        return false;
    }
    std::vector<Entry> list = entries(world, player);
    bool found = false;
    for (Entry& e : list)
        if (e.fuid == fuid) {
            e.group = group;
            found = true;
        }
    if (!found) {
        if (list.size() >= kMaxEntries) {
            refusal = "roster/full";
            return false;
        }
        list.push_back(Entry{fuid, group});
    }
    const ZRKWorld::Player* p = world.player(player);
    if (!p || !write(world, *p, list)) {
        refusal = "error/unknow_wrong";
        return false;
    }
    return true;
}

bool ZRKRoster::remove(ZRKWorld& world, const std::string& player, const std::string& fuid)
{
    std::vector<Entry> list = entries(world, player);
    const std::size_t before = list.size();
    for (auto it = list.begin(); it != list.end();)
        it = it->fuid == fuid ? list.erase(it) : std::next(it);
    const ZRKWorld::Player* p = world.player(player);
    return list.size() != before && p && write(world, *p, list);
}

} // namespace zrk
} // namespace kavri3D
