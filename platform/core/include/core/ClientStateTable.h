#pragma once
#include <cstddef>
#include <string>

namespace kavri3D {
namespace core {

/// The game's client states by name, and every change between them the game makes. The state
/// machine logs any other change between these states as illegal and still carries it out;
/// the tests fail on it. Call sites name states through this table, never by their text.
class ClientStateTable {
public:
    static constexpr const char* kLogon = "logon";                   ///< log-in; the fall-back on a lost link
    static constexpr const char* kCreateChar = "zrk_createchar";     ///< a new player makes a character
    static constexpr const char* kArea = "room";                     ///< the zone choice
    static constexpr const char* kPlayerHall = "playerhall";         ///< a zone's hall with its rooms
    static constexpr const char* kPersonalRoom = "zrk_personalroom"; ///< a game room's seats before a battle
    static constexpr const char* kBattle = "battle";                 ///< a fight
    static constexpr const char* kTutorial = "battle_newbie";        ///< the offline lessons

    struct Change {
        const char* from;
        const char* to;
    };

    /// Every state, in the order above.
    static const char* const* states(std::size_t& count);
    /// Every legal change.
    static const Change* changes(std::size_t& count);

    static bool isState(const std::string& name);
    /// True when the table lists the change, when it is the machine's first (from no state),
    /// or when either side is no state of the game's (a framework's or a test's own).
    static bool isLegal(const std::string& from, const std::string& to);
};

} // namespace core
} // namespace kavri3D
