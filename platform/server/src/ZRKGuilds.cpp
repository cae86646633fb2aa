#include "server/ZRKGuilds.h"

#include <algorithm>
#include "server/ZRKDatabase.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {

const Json::Value& founded(ZRKWorld& world)
{
    const Json::Value& master = world.document("master");
    return master.isObject() ? master["guilds"] : Json::Value::nullSingleton();
}

/// The guild the player's settings name: its id, 0 for none, -1 when they name none at all
/// (a founder the master data lists, who never joined or left since).
long long settingsGuild(const ZRKWorld::Player& p)
{
    const Json::Value& settings = ZRKWorld::Player::doc(p.settings);
    const Json::Value& id = settings.isObject() ? settings["g_id"] : Json::Value::nullSingleton();
    return id.isNull() ? -1 : id.isInt64() ? id.asInt64() : 0;
}

/// Whether the player belongs to the guild `g` of the master data.
bool belongs(ZRKWorld& world, const Json::Value& g, const std::string& player)
{
    const ZRKWorld::Player* p = world.player(player);
    if (!p)
        return false;
    const long long said = settingsGuild(*p);
    if (said >= 0)
        return said == g["g_id"].asInt64();
    if (g["members"].isArray())
        for (const Json::Value& m : g["members"])
            if (m.isString() && m.asString() == player)
                return true;
    return false;
}

} // namespace

bool ZRKGuilds::find(ZRKWorld& world, long long id, Guild& out)
{
    const Json::Value& guilds = founded(world);
    if (id == 0 || !guilds.isArray())
        return false;
    for (const Json::Value& g : guilds) {
        if (!g.isObject() || !g["g_id"].isInt64() || g["g_id"].asInt64() != id)
            continue;
        out = Guild();
        out.id = id;
        out.name = g["g_name"].isString() ? g["g_name"].asString() : std::string();
        out.master = g["master"].isString() ? g["master"].asString() : std::string();
        out.max = g["max"].isInt64() && g["max"].asInt64() > 0 ? g["max"].asInt64() : kDefaultMax;
        if (g["members"].isArray())
            for (const Json::Value& m : g["members"])
                if (m.isString() && belongs(world, g, m.asString()) &&
                    std::find(out.members.begin(), out.members.end(), m.asString()) == out.members.end())
                    out.members.push_back(m.asString());
        ZRKDatabase::Statement& q = world.db().prepare("SELECT name FROM players WHERE json_valid(settings) AND "
                                                       "json_extract(settings, '$.g_id') = ?1 ORDER BY name");
        q.bind(1, id);
        while (q.step()) {
            const std::string name = q.text(0);
            if (std::find(out.members.begin(), out.members.end(), name) == out.members.end())
                out.members.push_back(name);
        }
        q.reset();
        return true;
    }
    return false;
}

long long ZRKGuilds::guildOf(ZRKWorld& world, const std::string& player)
{
    const Json::Value& guilds = founded(world);
    if (guilds.isArray())
        for (const Json::Value& g : guilds)
            if (g.isObject() && g["g_id"].isInt64() && g["g_id"].asInt64() != 0 && belongs(world, g, player))
                return g["g_id"].asInt64();
    return 0;
}

bool ZRKGuilds::join(ZRKWorld& world, long long id, const std::string& player, std::string& refusal)
{
    Guild guild;
    if (!find(world, id, guild)) {
        refusal = "guild/unknown";
        return false;
    }
    const ZRKWorld::Player* p = world.player(player);
    if (!p || p->pcId == 0) {
        refusal = "error/srv_no_person";
        return false;
    }
    if (guildOf(world, player) != 0) {
        refusal = "guild/in_guild";
        return false;
    }
    if (static_cast<long long>(guild.members.size()) >= guild.max) {
        refusal = "guild/full";
        return false;
    }
    const Json::Value& old = ZRKWorld::Player::doc(p->settings);
    Json::Value settings = old.isObject() ? old : Json::Value(Json::objectValue);
    settings["g_id"] = static_cast<Json::Int64>(id);
    settings["g_name"] = guild.name;
    settings["g_leve"] = 1;
    settings["g_contribution"] = 0;
    if (!world.setSettings(player, settings)) {
        refusal = "error/unknow_wrong";
        return false;
    }
    return true;
}

} // namespace zrk
} // namespace kavri3D
