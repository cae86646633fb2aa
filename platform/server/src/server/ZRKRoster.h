#pragma once
#include <json/json.h>
#include <string>
#include <vector>

namespace kavri3D {
namespace zrk {

class ZRKWorld;

/// The friend rosters the world keeps ("roster" of each player's lists: [{fuid, group}]):
/// reading them, the entries as the game shows them, and the changes, inside the caller's
/// transaction. Groups: 1 friends, 2 the blacklist, anything else "anous" (3: a player who
/// asked to be a friend and waits for an answer).
class ZRKRoster {
public:
    enum Group { Friend = 1, Blacklist = 2, Asking = 3 };
    struct Entry {
        std::string fuid;
        int group = 0;
    };
    /// A roster holds at most this many entries.
    static constexpr std::size_t kMaxEntries = 200;

    /// The player's entries, in the order kept; malformed ones (no text "fuid", no whole-number
    /// group) are left out.
    static std::vector<Entry> entries(ZRKWorld& world, const std::string& player);
    /// The group the player keeps `fuid` in; -1 when not on the roster.
    static int groupOf(ZRKWorld& world, const std::string& player, const std::string& fuid);
    /// Whether both keep each other among their friends.
    static bool mutual(ZRKWorld& world, const std::string& a, const std::string& b);
    /// The roster as the game reads it: per entry "fuid", "group", "nick", "f_pc_id", "f_cid",
    /// "f_lv", "f_rank", "f_blue" and "pep" (1 when the friendship is mutual). Entries of players
    /// the world no longer has are left out.
    static Json::Value view(ZRKWorld& world, const std::string& player);

    /// Puts `fuid` on the player's roster in the group, or moves it there. False, with the
    /// message key of the refusal, for oneself, a player the world does not have, or a new
    /// entry over the limit; nothing is then changed.
    static bool put(ZRKWorld& world, const std::string& player, const std::string& fuid, int group,
                    std::string& refusal);
    /// Takes `fuid` off the player's roster; false when it was not on it.
    static bool remove(ZRKWorld& world, const std::string& player, const std::string& fuid);
};

} // namespace zrk
} // namespace kavri3D
