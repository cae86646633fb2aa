#pragma once
#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <json/json.h>
#include <map>
#include <string>
#include <utility>
#include <vector>
#include <yake/Vector3.h>

namespace kavri3D {
namespace zrk {

class ILandRoom;
class ZRKPlayerState;
struct ZRKBattleState;

/// Everything a battle is made from, read once from the room: the seed, the map, the seats
/// with their players and their items, and the first wind. A seed, a setup and the players'
/// commands replay a battle.
struct LandSetup {
    struct Seat {
        int index = 0;
        std::string playerId;
        int team = 0; ///< seats of the first half are team 1, the others team 0
        std::string nickname;
        int level = 0;
        bool bot = false;                 ///< the server marks it "pc_bot": a bot plays it here
        int botSkill = 50;                ///< "pc_bot_skill", 0-100
        std::vector<std::string> weapons; ///< item ids
        std::vector<std::string> props;
        std::vector<std::pair<std::string, std::string>> look; ///< kind and model, as the room gives it
        boost::shared_ptr<ZRKPlayerState> state;               ///< the player's data state, when the room has it
        boost::shared_ptr<ZRKBattleState> battle;              ///< shared with the player's data state
    };

    std::uint64_t seed = 1;
    std::string place;
    Json::Value map;                          ///< the map record of the place
    std::map<std::string, Json::Value> items; ///< item records by id
    std::vector<Seat> seats;
    int slotCount = 8;
    std::string myPlayerId;
    yake::math::Vector3 wind;
    bool windChanges = true; ///< a calm room (wind 0) keeps its calm
    int tactic = 0;
    int mode = 0;     ///< room "mode": ROOM_MODE_PRACTICE never ends by itself
    int dungeon = -1; ///< "d_id"
    int stage = -1;   ///< "ds_id"

    const Seat* findSeat(const std::string& playerId) const;

    /// The setup from the room's answers; false (with the reason) when it has no usable seat.
    static bool fromRoom(const ILandRoom& room, LandSetup& out, std::string& reason);
    /// A seat of the room's player (for a player seated after the battle began); false when
    /// the room does not seat it.
    static bool seatFromRoom(const ILandRoom& room, const std::string& playerId, Seat& out);
    /// "x y z", "x,y,z" or "(x, y, z)": the vector; false for anything else or a non-finite value.
    static bool parseVector(const std::string& text, yake::math::Vector3& out);
};

} // namespace zrk
} // namespace kavri3D
