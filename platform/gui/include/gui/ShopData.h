#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include <gui/BagData.h>
#include <gui/ShopPrice.h>

namespace kavri3D {
namespace zrk {
namespace gui {

/// One shop entry as the GUI shows it and, in a cart, one line the player buys: the entry's
/// marks, the item template, its price options and the one chosen. In a cart line
/// `item.pci_num` is the number of pieces. Copied by value; fields no builder sets stay 0 or
/// empty.
struct ShopData {
    std::int32_t s_id = 0;
    std::int32_t i_id = 0;
    std::int32_t si_rcmd = 0;
    std::int32_t si_new = 0;
    std::int32_t si_sales_count = 0;
    std::int32_t reserved1 = 0; // six fields no screen reads
    std::int32_t reserved2 = 0;
    std::int32_t reserved3 = 0;
    std::int32_t reserved4 = 0;
    std::int32_t reserved5 = 0;
    std::int32_t reserved6 = 0;
    std::int32_t ic_id = 0;
    std::int32_t isc_id = 0;
    std::int32_t ca_id = 0; ///< set by the business list only
    std::string i_name;
    std::string text2; // no screen reads it
    std::int32_t reserved7 = 0;
    std::int32_t reserved8 = 0;
    std::int32_t reserved9 = 0;
    BagData item;
    std::vector<ShopPrice> prices;
    std::int32_t chosen = 0; ///< index into prices of the option picked
};

} // namespace gui
} // namespace zrk
} // namespace kavri3D
