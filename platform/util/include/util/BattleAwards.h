#pragma once
#include <vector>

namespace kavri3D {
namespace core {

/// The one award rule of a battle: what each player who fought it to the end gets, by whether
/// his side won. The server books it and the battle simulation's summary shows it, so the
/// result screen, the summary and the world agree.
class BattleAwards {
public:
    /// One award as the game's lists carry it ("bi_type", "bi_num"; "bi_id" 0).
    struct Award {
        int type; ///< 1 coins, 4 arena points, 5 experience
        long long num;
    };
    /// Arena points are given by the arena's own table, to the fighters of an arena battle.
    enum Kind { Coins = 1, ArenaPoints = 4, Experience = 5 };
    static const std::vector<Award>& of(bool won);
    /// The amount of one kind in the rule; 0 when it gives none.
    static long long amount(bool won, int type);
};

} // namespace core
} // namespace kavri3D
