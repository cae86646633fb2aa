#pragma once
#include <string>

namespace kavri3D {
namespace core {

/// What makes a battle a mission: the crews of a duplicate fought in waves, stage after stage.
/// The server, the battle and the room screens all ask here, so a room priced as a mission is
/// fought as one and the other way round.
class MissionRule {
public:
    /// The room mode of a mission room, and the tactic its battle is fought with.
    static constexpr int kMode = 9;
    static constexpr int kTactic = 9;
    /// A duplicate above this number is a fixed play (its stages lend their own arms).
    static constexpr int kFixedPlayFrom = 2001;

    /// A room of that mode fights missions (exactly mode 9).
    static bool isMission(int roomMode) { return roomMode == kMode; }
    /// The tactic a room of that mode fights with: 9 for a mission, 0 for a players' battle.
    static int tacticOf(int roomMode) { return isMission(roomMode) ? kTactic : 0; }

    /// The create form's private mission numbers: 1003 to 1999 (the Training Fort) and every
    /// number above 2000 (the place of that number). 2000 itself is an ordinary room.
    static bool isPrivateMission(int formMode) { return (formMode > 1002 && formMode < 2000) || formMode > 2000; }
    /// The place a private mission is fought on: "201", or the number itself above 2000; empty
    /// for a number that is no private mission.
    static std::string privatePlace(int formMode);
    /// Which of the place's duplicates (index into its "pve" list) a private mission plays: the
    /// first for 1003 and above 2000, the third for 1004 to 1999; -1 for no private mission.
    static int privateDungeonIndex(int formMode);

    /// The stage a battle fights for a room's "ds_id": 0, below or none (-1) is the first.
    static int stageOf(int dsId) { return dsId < 1 ? 1 : dsId; }
};

} // namespace core
} // namespace kavri3D
