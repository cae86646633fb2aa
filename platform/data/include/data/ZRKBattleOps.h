#pragma once

namespace kavri3D {
namespace zrk {

class ZRKServerOps;

/// The server's side of a battle's hand-shake: each client reports its land loaded, and the
/// battle's end, after which the awards are written back to the players.
class ZRKBattleOps {
public:
    static void addTo(ZRKServerOps& ops);
    /// Coins a winner and a loser of a battle are given.
    static constexpr long long kWinCoins = 100;
    static constexpr long long kLoseCoins = 30;
    /// Seconds a finished battle stays before the server closes it.
    static constexpr double kCloseSeconds = 10.0;
};

} // namespace zrk
} // namespace kavri3D
