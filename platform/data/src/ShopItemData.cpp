#include "data/ShopItemData.h"

#include "data/ZRKJson.h"

namespace kavri3D {
namespace zrk {

ShopItemData::ShopItemData(const Json::Value& entry)
{
    Json::Value settings = entry.isObject() ? entry : Json::Value(Json::objectValue);
    settings.removeMember("prices");
    mSettings = ZRKJson::toView(settings);
    const Json::Value& prices = ZRKJson::member(entry, "prices");
    if (prices.isArray())
        for (const Json::Value& p : prices)
            if (p.isObject() && mPrices.size() < kMaxPrices)
                mPrices.push_back(ZRKJson::toView(p));
}

} // namespace zrk
} // namespace kavri3D
