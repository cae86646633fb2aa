#pragma once
#include <cstdint>

namespace kavri3D {
namespace zrk {
namespace gui {

/// One price option of a shop entry: which option the server sells under ("s_id", "s_expire"),
/// its unit price and the money it is paid in (1 coins, 2 coupons, 3 medals).
struct ShopPrice {
    std::int32_t s_id = 0;
    std::int32_t s_price = 0;
    std::int32_t s_buy_type = 0;
    std::int32_t s_expire = 0; ///< days the item lasts; 0 for ever
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
