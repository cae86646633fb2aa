#include "data/SpConfig.h"

#include <yake/FileText.h>

#include "data/ZRKJson.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::SpConfig);

namespace kavri3D {
namespace zrk {

SpConfig::SpConfig(const std::string& file)
    : mConfig(ZRKJson::toView(ZRKJson::readFile(file, yake::FileText::kDefaultLimit)))
{
}

core::XmlConfigHelper SpConfig::getConfig()
{
    SpConfig* config = getSingletonPtr();
    return config ? config->mConfig : core::XmlConfigHelper();
}

} // namespace zrk
} // namespace kavri3D
