#pragma once
#include <string>

namespace kavri3D {
namespace zrk {

/// What a notice from the server says happened; the name travels in the message.
class ZRKNotice {
public:
    enum Kind {
        Join,      ///< member entered the room (args: seat, player)
        Leave,     ///< member left the room
        Message,   ///< member said text in the room
        Chat,      ///< member said text to this player alone
        Presence,  ///< member came online or went (args: online)
        RoomInfo,  ///< the whole room: id, params, state, moderator, seats, slots, players
        Seat,      ///< member moved to another seat (args: seat)
        Host,      ///< member is the room's host now
        Player,    ///< member's battle values changed (args: battle, bits)
        RoomState, ///< the room's state changed; a battle starts with its params (args: state, params)
        Invite,    ///< member invites this player (args: what, room)
        Kick,      ///< member was put out of the room
        RoomGone,  ///< the room closed
        Dropped,   ///< the server dropped this player's connection
        Avatar,    ///< this player's avatar changed (args: flags, views)
        Roster,    ///< this player's friend roster changed (args: views with "roster")
        KindCount
    };
    /// What changed of a player in a room: the bits of a player notice and of the room
    /// state's player-state signal.
    enum PlayerChange {
        Joined = 0x1,
        Looks = 0x2,
        Equipment = 0x4,
        Ready = 0x8,
        Pose = 0x10,
        Moved = 0x20,
        Left = 0x40
    };

    static const char* name(Kind kind);
    /// The kind of a name; KindCount for a name no notice has.
    static Kind kindOf(const std::string& name);
};

} // namespace zrk
} // namespace kavri3D
