#pragma once
#include <string>
#include <utility>
#include <vector>
#include "data/ZRKRequestInfo.h"
#include "data/ZRKRoomState.h"

namespace Json {
class Value;
}

namespace kavri3D {
namespace zrk {

/// Requests about the room the player is in, and its state object.
/// Each request completes later, from the frame update, with (error, text).
class ZRKRoomRequest {
public:
    /// The state of the named room, or for an empty name of the current room (the latest room
    /// the player entered when the current one is a hall); null when the player is in none.
    /// With both flags set it makes (or gives) a local room the game writes itself, named
    /// `name` or kLocalRoomName, which is then the current room until it is dropped.
    static ZRKRoomState* getRoomState(const std::string& name, bool local, bool make);
    static const char* const kLocalRoomName;

    // The player's own room: each changes it on the server, and the change reaches the room
    // state as notices, on a later frame.
    /// To a free open seat of the other team.
    static long changeTeam(ZRKReply done);
    /// The owner puts the player of that seat out.
    static long kick(int seat, ZRKReply done);
    static long changeReadyState(bool ready, ZRKReply done);
    /// The owner starts the battle; refused with the text to show while the room's rules fail.
    static long beginGame(ZRKReply done);
    /// The player's screen is back from the room's battle (its end, or given up midway).
    static long backFromBattle(const std::string& room, ZRKReply done);
    /// The player gives the room's battle up midway: the props he used up in it
    /// ([{"i_id", "num"}]) leave his props bag, as the battle's end would have taken them.
    static long reportBattleLeft(const std::string& room, const Json::Value& propsUsed, ZRKReply done);
    /// The owner opens (true) or shuts an empty seat.
    static long changeSlotFlag(int seat, bool open, ZRKReply done);
    static long changeMap(int mapId, ZRKReply done);
    static long changeMapPVE(int mapId, unsigned index, ZRKReply done);
    /// Opens a prize box of the finished battle: the pairs ("idx", the box) and ("id", its id as
    /// offered); the server tells the room what was in it.
    static long openBox(const std::vector<std::pair<std::string, std::string>>& pairs, ZRKReply done);
    /// Tells the room the own look (kind 4) or shown item and busy flag (kind 16) changed;
    /// the own battle values "x" and "ca_id" go along.
    static long notifyAvatar(const std::string& text, int kind);
};

/// The state of the current room, as ZRKRoomRequest::getRoomState("", false, false) gives it.
ZRKRoomState* getZRKRoomState();

} // namespace zrk
} // namespace kavri3D
