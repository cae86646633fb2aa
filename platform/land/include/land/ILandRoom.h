#pragma once
#include <json/json.h>
#include <string>
#include <utility>
#include <vector>
#include <boost/shared_ptr.hpp>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

class ZRKPlayerState;
struct ZRKBattleState;

/// What the land reads of its room: the few questions it asks the room state, the map
/// library and the item library. The game's room state answers them through an adapter;
/// tests and the benchmark answer them directly.
class ILandRoom {
public:
    virtual ~ILandRoom() = default;

    /// Seats in the room (both sides; the first half is one team, the second the other).
    virtual int getSlotCount() const = 0;
    /// The player id in the seat; empty for an empty seat.
    virtual std::string getSeatPlayer(int seat) const = 0;
    /// The player's settings: "pc_nickname", "pc_lv", "pc_bot" (bool), "pc_bot_skill" (0-100).
    virtual core::XmlConfigHelper getPlayerSettings(const std::string& playerId) const = 0;
    /// Item ids of the player's battle weapons (in slot order) and props.
    virtual std::vector<std::string> getPlayerWeapons(const std::string& playerId) const = 0;
    virtual std::vector<std::string> getPlayerProps(const std::string& playerId) const = 0;
    /// How many of a prop the player carries into the battle (a stack of his bag); 1 unless the
    /// room counts them.
    virtual int getPlayerPropCount(const std::string& playerId, const std::string& itemId) const { return 1; }
    /// The room's values: "seed", "place", "wind", "state" (and "tactic", "d_id", "ds_id").
    virtual core::XmlConfigHelper getRoomValues() const = 0;
    /// The map record of a place (null when there is none).
    virtual Json::Value getMapRecord(const std::string& place) const = 0;
    /// An item record by id (null when there is none).
    virtual Json::Value getItemRecord(const std::string& itemId) const = 0;
    /// The id of the player this client plays.
    virtual std::string getMyPlayerId() const = 0;

    /// The player's look as its portrait wears it: pairs of kind and model, "body" ("boy",
    /// "girl") first, then "hair", "face", "coat", "glove", "shoes". Empty: the battle's
    /// plain outfit.
    virtual std::vector<std::pair<std::string, std::string>> getPlayerLook(const std::string& playerId) const
    {
        return {};
    }
    /// The player's data state and its battle numbers, when the room keeps them; the land
    /// then shares them with the doll instead of keeping its own.
    virtual boost::shared_ptr<ZRKPlayerState> getPlayerState(const std::string& playerId) const { return {}; }
    virtual boost::shared_ptr<ZRKBattleState> getBattleState(const std::string& playerId) const { return {}; }
    /// This client has loaded its land; the server tells the others.
    virtual void reportLoaded(const std::string& playerId) {}
};

} // namespace zrk
} // namespace kavri3D
