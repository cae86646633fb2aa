#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>
#include "land/ILandRoom.h"

namespace kavri3D {
namespace zrk {

/// A room held in memory, for battles without a server: the benchmark's and the tests'. Its
/// seats, players, items and values are set by hand; its maps come from the server's map
/// file ("res/server/maps.json") and its weapons and props from a small built-in list.
/// The "state" turns 2 as soon as the land reports it has loaded (as the server does when
/// every seat has).
class LandBotRoom : public ILandRoom {
public:
    struct Player {
        std::string nickname;
        bool bot = true;
        int skill = 50;
        int level = 1;
        std::vector<std::string> weapons;
        std::vector<std::string> props;
        std::vector<std::pair<std::string, std::string>> look; ///< kind and model
    };

    /// Map records of a map file ({"maps": {place: record}}): empty when the file is missing,
    /// over 1 MB, not JSON or nested too deep (one log line).
    static Json::Value readMaps(const std::string& path);
    /// The built-in item records: weapons "1" cannon, "2" mortar (3 shells, 10 s cool-down),
    /// "3" rifle (direct), "4" blade (close); props "51" first aid, "52" energy drink,
    /// "53" pacemaker, "54" ammo box.
    static Json::Value builtInItems();

    LandBotRoom();
    /// A room of `dolls` bots (half a side each, seats from 0 and from 4) on the place; the
    /// player "me" sits in the first seat of team 0 and is a bot too unless `meBot` is false.
    static LandBotRoom battle(std::uint64_t seed, int dolls, const std::string& place, bool meBot, int skill);

    void seat(int index, const std::string& playerId, const Player& player);
    void unseat(int index);
    void setMyPlayerId(const std::string& id) { mMe = id; }
    void setValue(const std::string& key, const std::string& value) { mValues[key] = value; }
    void setMaps(const Json::Value& maps) { mMaps = maps; }
    void setItem(const std::string& id, const Json::Value& record) { mItems[id] = record; }
    /// Whether a land's load report turns "state" 2 by itself (default true).
    void setAutoStart(bool on) { mAutoStart = on; }
    int getLoadReports() const { return mLoadReports; }

    int getSlotCount() const override { return static_cast<int>(mSeats.size()); }
    std::string getSeatPlayer(int seat) const override;
    core::XmlConfigHelper getPlayerSettings(const std::string& playerId) const override;
    std::vector<std::string> getPlayerWeapons(const std::string& playerId) const override;
    std::vector<std::string> getPlayerProps(const std::string& playerId) const override;
    std::vector<std::pair<std::string, std::string>> getPlayerLook(const std::string& playerId) const override;
    core::XmlConfigHelper getRoomValues() const override;
    Json::Value getMapRecord(const std::string& place) const override;
    Json::Value getItemRecord(const std::string& itemId) const override;
    std::string getMyPlayerId() const override { return mMe; }
    void reportLoaded(const std::string& playerId) override;

private:
    std::vector<std::string> mSeats;
    std::map<std::string, Player> mPlayers;
    std::map<std::string, std::string> mValues;
    Json::Value mMaps;
    std::map<std::string, Json::Value> mItems;
    std::string mMe;
    bool mAutoStart = true;
    int mLoadReports = 0;
};

} // namespace zrk
} // namespace kavri3D
