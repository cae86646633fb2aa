#pragma once
#include <json/json.h>
#include <list>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// One entry of the shop as the server sent it: its settings ("i_id", "s_id", "si_rcmd",
/// "si_new", "si_sales_count", "si_sale_type") and its price options ("s_id", "s_price",
/// "s_buy_type", "s_expire"), in the server's order.
class ShopItemData {
public:
    /// At most this many options are kept of an entry.
    static constexpr unsigned kMaxPrices = 16;

    explicit ShopItemData(const Json::Value& entry);

    const core::XmlConfigHelper& getSettings() const { return mSettings; }
    const std::list<core::XmlConfigHelper>& getPrices() const { return mPrices; }

private:
    core::XmlConfigHelper mSettings;
    std::list<core::XmlConfigHelper> mPrices;
};

} // namespace zrk
} // namespace kavri3D
