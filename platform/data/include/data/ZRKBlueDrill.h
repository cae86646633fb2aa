#pragma once

namespace kavri3D {
namespace zrk {

/// The blue members' price: the one rule the shop's boxes and the server's till both use, so
/// what the box shows is what the till takes.
class ZRKBlueDrill {
public:
    /// The member price of an amount: amount times the factor, rounded to single precision,
    /// then up to the next whole number (5 gives 4 and 100 gives 80 at 0.8). A factor outside
    /// (0, 1] prices as written.
    static int memberPrice(int amount, float factor);
    /// Whether a character's "pc_blue_drill" marks a member (any bit of 0xF00).
    static bool isMember(long long blueDrill) { return (blueDrill & 0xF00) != 0; }
};

} // namespace zrk
} // namespace kavri3D
