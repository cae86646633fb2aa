#pragma once
#include <string>
#include <util/Singleton.h>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// The platform settings of the game ("platform_tgw", "platform_bluedrill"...), read from a
/// JSON file of keys and values.
class SpConfig : public Singleton<SpConfig> {
public:
    explicit SpConfig(const std::string& file = "res/lan/spconfig.json");
    /// The settings of the live instance; an empty view when there is none.
    static core::XmlConfigHelper getConfig();

private:
    core::XmlConfigHelper mConfig;
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::SpConfig);
