#include "land/LandSetup.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include "land/ILandRoom.h"
#include "land/LandRecord.h"

namespace kavri3D {
namespace zrk {

namespace {
constexpr int kMaxSlots = 16;
constexpr std::size_t kMaxItemsPerPlayer = 16;

std::vector<std::string> firstItems(std::vector<std::string> ids)
{
    ids.erase(std::remove(ids.begin(), ids.end(), std::string()), ids.end());
    if (ids.size() > kMaxItemsPerPlayer)
        ids.resize(kMaxItemsPerPlayer);
    return ids;
}
} // namespace

const LandSetup::Seat* LandSetup::findSeat(const std::string& playerId) const
{
    for (const Seat& s : seats)
        if (s.playerId == playerId)
            return &s;
    return nullptr;
}

bool LandSetup::parseVector(const std::string& text, yake::math::Vector3& out)
{
    if (text.empty() || text.size() > 128)
        return false;
    std::string s = text;
    for (char& c : s)
        if (c == ',' || c == '(' || c == ')')
            c = ' ';
    const char* p = s.c_str();
    float v[3];
    for (float& f : v) {
        char* end = nullptr;
        errno = 0;
        double d = std::strtod(p, &end);
        if (end == p || errno == ERANGE || !std::isfinite(d))
            return false;
        f = static_cast<float>(d);
        p = end;
    }
    while (*p == ' ')
        ++p;
    if (*p != '\0')
        return false;
    out = yake::math::Vector3(v[0], v[1], v[2]);
    return out.isFinite();
}

bool LandSetup::seatFromRoom(const ILandRoom& room, const std::string& playerId, Seat& out)
{
    if (playerId.empty())
        return false;
    const int slots = std::min(std::max(room.getSlotCount(), 0), kMaxSlots);
    for (int i = 0; i < slots; ++i) {
        if (room.getSeatPlayer(i) != playerId)
            continue;
        core::XmlConfigHelper settings = room.getPlayerSettings(playerId);
        out = Seat();
        out.index = i;
        out.playerId = playerId;
        out.team = i < (slots + 1) / 2 ? 1 : 0;
        out.nickname = settings.getStringVal("pc_nickname", playerId);
        out.level = std::min(std::max(settings.getIntVal("pc_lv", 0), 0), 999);
        out.bot = settings.getBoolVal("pc_bot", false);
        out.botSkill = std::min(std::max(settings.getIntVal("pc_bot_skill", 50), 0), 100);
        out.weapons = firstItems(room.getPlayerWeapons(playerId));
        out.props = firstItems(room.getPlayerProps(playerId));
        // A look of a few parts: anything past a dozen is not a look.
        out.look = room.getPlayerLook(playerId);
        if (out.look.size() > 12)
            out.look.resize(12);
        out.state = room.getPlayerState(playerId);
        out.battle = room.getBattleState(playerId);
        return true;
    }
    return false;
}

bool LandSetup::fromRoom(const ILandRoom& room, LandSetup& out, std::string& reason)
{
    out = LandSetup();
    out.slotCount = std::min(std::max(room.getSlotCount(), 0), kMaxSlots);
    out.myPlayerId = room.getMyPlayerId();
    for (int i = 0; i < out.slotCount; ++i) {
        const std::string id = room.getSeatPlayer(i);
        Seat seat;
        if (id.empty() || out.findSeat(id) || !seatFromRoom(room, id, seat))
            continue; // an empty seat, or a player seated twice
        out.seats.push_back(seat);
    }
    if (out.seats.empty()) {
        reason = "no seated players";
        return false;
    }
    if (!out.findSeat(out.myPlayerId)) {
        reason = "player \"" + out.myPlayerId + "\" has no seat";
        return false;
    }

    core::XmlConfigHelper values = room.getRoomValues();
    const std::string seedText = values.getStringVal("seed", "");
    char* end = nullptr;
    errno = 0;
    unsigned long long seed = seedText.empty() ? 1 : std::strtoull(seedText.c_str(), &end, 10);
    if (!seedText.empty() && (!end || *end != '\0' || errno == ERANGE)) {
        LandRecord::warn("room seed \"" + seedText + "\" is not a number; 1 is used");
        seed = 1;
    }
    out.seed = seed;
    out.place = values.getStringVal("place", "");
    out.tactic = values.getIntVal("tactic", 0);
    out.mode = values.getIntVal("mode", 0);
    out.dungeon = values.getIntVal("d_id", -1);
    out.stage = values.getIntVal("ds_id", -1);
    const std::string wind = values.getStringVal("wind", "");
    if (!wind.empty()) {
        if (parseVector(wind, out.wind) && out.wind.length() <= 100.0f)
            out.windChanges = out.wind != yake::math::Vector3::ZERO;
        else {
            LandRecord::warn("room wind \"" + wind + "\" is not a vector; no wind");
            out.wind = yake::math::Vector3::ZERO;
        }
    }

    out.map = room.getMapRecord(out.place);
    if (!out.map.isObject()) {
        LandRecord::warn("no map record for place \"" + out.place + "\"; the default field is used");
        out.map = Json::Value(Json::objectValue);
    }
    for (const Seat& s : out.seats) {
        for (const std::vector<std::string>* list : {&s.weapons, &s.props})
            for (const std::string& id : *list)
                if (!out.items.count(id))
                    out.items[id] = room.getItemRecord(id);
    }
    return true;
}

} // namespace zrk
} // namespace kavri3D
