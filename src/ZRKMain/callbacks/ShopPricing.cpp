#include "callbacks/ShopPricing.h"

#include <cstdlib>
#include <data/SpConfig.h>
#include <data/ZRKBlueDrill.h>
#include <lan/ZRKLan.h>
#include <string>

#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const float kDefaultFactor = 0.8f;

float memberFactor()
{
    const std::string text = ZRKLan::getConfig().getStringVal("auction/bluebrill_Dis", "");
    char* end = nullptr;
    const float factor = text.empty() ? 0.0f : std::strtof(text.c_str(), &end);
    if (!text.empty() && end && *end == '\0' && factor > 0.0f && factor <= 1.0f)
        return factor;
    static bool told = false;
    if (!told) {
        told = true;
        writeLog(kLogWarning, "ShopPricing", "\"auction/bluebrill_Dis\" is no number in (0, 1]: members pay 0.8");
    }
    return kDefaultFactor;
}
} // namespace

bool isBlueDrillEnabled() { return SpConfig::getConfig().getBoolVal("platform_bluedrill", false); }

int blueDrillPrice(int amount) { return ZRKBlueDrill::memberPrice(amount, memberFactor()); }

int discountPrice(int amount, bool member) { return isBlueDrillEnabled() && member ? blueDrillPrice(amount) : amount; }

} // namespace zrk
} // namespace kavri3D
