#include "util/BattleAwards.h"

namespace kavri3D {
namespace core {

const std::vector<BattleAwards::Award>& BattleAwards::of(bool won)
{
    static const std::vector<Award> winner = {{Coins, 100}, {Experience, 30}};
    static const std::vector<Award> loser = {{Coins, 30}, {Experience, 10}};
    return won ? winner : loser;
}

long long BattleAwards::amount(bool won, int type)
{
    long long sum = 0;
    for (const Award& a : of(won))
        sum += a.type == type ? a.num : 0;
    return sum;
}

} // namespace core
} // namespace kavri3D
