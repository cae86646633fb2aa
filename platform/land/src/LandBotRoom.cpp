#include "land/LandBotRoom.h"

#include <util/JsonText.h>
#include "land/LandRecord.h"

namespace kavri3D {
namespace zrk {

namespace {
constexpr std::size_t kMaxMapFile = 1 << 20;

Json::Value record(std::initializer_list<std::pair<const char*, Json::Value>> members)
{
    Json::Value v(Json::objectValue);
    for (const auto& m : members)
        v[m.first] = m.second;
    return v;
}
} // namespace

Json::Value LandBotRoom::readMaps(const std::string& path)
{
    Json::Value root;
    std::string error;
    if (!core::JsonText::readFile(path, root, error, kMaxMapFile) || !root.isObject()) {
        LandRecord::warn("map file " + path + (error.empty() ? " is not a JSON record" : " not read: " + error) +
                         "; no maps");
        return Json::Value(Json::objectValue);
    }
    const Json::Value& maps = root["maps"];
    return maps.isObject() ? maps : Json::Value(Json::objectValue);
}

Json::Value LandBotRoom::builtInItems()
{
    Json::Value items(Json::objectValue);
    items["1"] = record({{"i_name", "Cannon"},
                         {"i_type", 0},
                         {"i_speed", 120},
                         {"i_damage", 300},
                         {"i_radius", 20},
                         {"i_crater", 10},
                         {"i_delay", 100}});
    items["2"] = record({{"i_name", "Mortar"},
                         {"i_type", 0},
                         {"i_speed", 100},
                         {"i_damage", 450},
                         {"i_radius", 25},
                         {"i_crater", 14},
                         {"i_delay", 140},
                         {"i_shell_num", 3},
                         {"i_cd_time", 10000}});
    items["3"] = record({{"i_name", "Rifle"},
                         {"i_type", 1},
                         {"i_speed", 300},
                         {"i_damage", 200},
                         {"i_radius", 8},
                         {"i_crater", 3},
                         {"i_delay", 80},
                         {"i_shot_range", 300}});
    items["4"] = record({{"i_name", "Blade"},
                         {"i_type", 2},
                         {"i_speed", 50},
                         {"i_damage", 350},
                         {"i_radius", 4},
                         {"i_crater", 0},
                         {"i_delay", 60},
                         {"i_shot_range", 15},
                         {"i_hit_range", 90}});
    items["51"] = record({{"i_name", "First Aid"}, {"i_effect", 0x1}, {"i_hp", 300}, {"i_delay", 20}});
    items["52"] = record({{"i_name", "Energy Drink"}, {"i_effect", 0x2}, {"i_sp", 500}, {"i_delay", 20}});
    items["53"] = record({{"i_name", "Pacemaker"}, {"i_effect", 0x1000}, {"i_delay", 0}});
    items["54"] = record({{"i_name", "Ammo Box"}, {"i_effect", 0x8}, {"i_delay", 30}});
    return items;
}

LandBotRoom::LandBotRoom() : mSeats(8), mMaps(Json::objectValue)
{
    const Json::Value items = builtInItems();
    for (const std::string& id : items.getMemberNames())
        mItems[id] = items[id];
    mValues["seed"] = "1";
    mValues["state"] = "1";
}

LandBotRoom LandBotRoom::battle(std::uint64_t seed, int dolls, const std::string& place, bool meBot, int skill)
{
    LandBotRoom room;
    room.setValue("seed", std::to_string(seed));
    room.setValue("place", place);
    for (int i = 0; i < dolls && i < 8; ++i) {
        // Alternate the sides: seats 4, 0, 5, 1, ...
        const int seat = (i % 2 == 0 ? 4 : 0) + i / 2;
        Player p;
        p.nickname = i == 0 ? "Me" : "Bot " + std::to_string(i);
        p.bot = i == 0 ? meBot : true;
        p.skill = skill;
        p.weapons = {"1", "2"};
        p.props = {"51", "52"};
        // Boys and girls in turn, each in one of three coats.
        const std::string body = i % 4 < 2 ? "boy" : "girl";
        const std::string choice = "_0" + std::to_string(1 + i % 3);
        p.look = {{"body", body}};
        for (const char* part : {"hair", "face", "coat", "glove", "shoes"})
            p.look.emplace_back(part, body + "_" + part + choice);
        room.seat(seat, i == 0 ? "me" : "bot" + std::to_string(i), p);
    }
    room.setMyPlayerId("me");
    return room;
}

void LandBotRoom::seat(int index, const std::string& playerId, const Player& player)
{
    if (index < 0 || index >= static_cast<int>(mSeats.size()))
        return;
    mSeats[static_cast<std::size_t>(index)] = playerId;
    mPlayers[playerId] = player;
}

void LandBotRoom::unseat(int index)
{
    if (index >= 0 && index < static_cast<int>(mSeats.size()))
        mSeats[static_cast<std::size_t>(index)].clear();
}

std::string LandBotRoom::getSeatPlayer(int seat) const
{
    return seat >= 0 && seat < static_cast<int>(mSeats.size()) ? mSeats[static_cast<std::size_t>(seat)] : std::string();
}

core::XmlConfigHelper LandBotRoom::getPlayerSettings(const std::string& playerId) const
{
    core::XmlConfigHelper s;
    auto it = mPlayers.find(playerId);
    if (it == mPlayers.end())
        return s;
    s.setStringVal("pc_nickname", it->second.nickname);
    s.setIntVal("pc_lv", it->second.level);
    s.setBoolVal("pc_bot", it->second.bot);
    s.setIntVal("pc_bot_skill", it->second.skill);
    return s;
}

std::vector<std::string> LandBotRoom::getPlayerWeapons(const std::string& playerId) const
{
    auto it = mPlayers.find(playerId);
    return it == mPlayers.end() ? std::vector<std::string>() : it->second.weapons;
}

std::vector<std::string> LandBotRoom::getPlayerProps(const std::string& playerId) const
{
    auto it = mPlayers.find(playerId);
    return it == mPlayers.end() ? std::vector<std::string>() : it->second.props;
}

std::vector<std::pair<std::string, std::string>> LandBotRoom::getPlayerLook(const std::string& playerId) const
{
    auto it = mPlayers.find(playerId);
    return it == mPlayers.end() ? std::vector<std::pair<std::string, std::string>>() : it->second.look;
}

core::XmlConfigHelper LandBotRoom::getRoomValues() const
{
    core::XmlConfigHelper v;
    for (const auto& e : mValues)
        v.setStringVal(e.first, e.second);
    return v;
}

Json::Value LandBotRoom::getMapRecord(const std::string& place) const
{
    return mMaps.isObject() && mMaps.isMember(place) ? mMaps[place] : Json::Value();
}

Json::Value LandBotRoom::getItemRecord(const std::string& itemId) const
{
    auto it = mItems.find(itemId);
    return it == mItems.end() ? Json::Value() : it->second;
}

void LandBotRoom::reportLoaded(const std::string& playerId)
{
    ++mLoadReports;
    if (mAutoStart)
        mValues["state"] = "2";
}

} // namespace zrk
} // namespace kavri3D
