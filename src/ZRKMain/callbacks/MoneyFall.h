#pragma once

namespace kavri3D {
namespace zrk {

/// The player's money as the game holds it (the server's view of him after its last answer),
/// and what went between two such looks: a purchase's box shows what the player was charged,
/// not what the client thought the cart costs.
class MoneyFall {
public:
    enum Kind { Coins, Coupons, Medals, ArenaPoints, Kinds };

    /// The money held now.
    static MoneyFall held();
    /// What fell from `before` to now, per kind; never below 0 (a kind that grew fell by 0).
    static MoneyFall since(const MoneyFall& before);

    long long operator[](Kind k) const { return mAmount[k]; }

private:
    long long mAmount[Kinds] = {0, 0, 0, 0};
};

} // namespace zrk
} // namespace kavri3D
