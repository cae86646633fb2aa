#pragma once

namespace kavri3D {
namespace zrk {

/// Whether the platform has blue members ("platform_bluedrill" of the platform settings).
bool isBlueDrillEnabled();
/// A member's price of an amount at the factor "auction/bluebrill_Dis" (0.8 when it is missing
/// or no number in (0, 1], logged once), in single precision: 5 gives 4, 100 gives 80.
int blueDrillPrice(int amount);
/// What a player pays: the member price when members exist and he is one, else the amount.
/// The settings are read afresh on every call.
int discountPrice(int amount, bool member);

} // namespace zrk
} // namespace kavri3D
