#include "data/ZRKGameData.h"

#include "data/ZRKJson.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::ZRKGameData);

namespace kavri3D {
namespace zrk {

ZRKGameData::ZRKGameData() = default;
ZRKGameData::~ZRKGameData() = default;

void ZRKGameData::applyViews(const Json::Value& views)
{
    if (!views.isObject())
        return;
    for (const std::string& name : views.getMemberNames()) {
        View& v = mViews[name];
        v.value = views[name];
        v.settings = ZRKJson::toView(v.value);
        if (name == "inventory")
            mInventory.assign(v.value);
    }
}

void ZRKGameData::clear()
{
    mViews.clear();
    mInventory.clear();
}

const Json::Value& ZRKGameData::viewJson(const std::string& name) const
{
    static const Json::Value none;
    auto it = mViews.find(name);
    return it == mViews.end() ? none : it->second.value;
}

core::XmlConfigHelper ZRKGameData::view(const std::string& name) const
{
    auto it = mViews.find(name);
    return it == mViews.end() ? core::XmlConfigHelper() : it->second.settings;
}

core::XmlConfigHelper ZRKGameData::liveView(const std::string& name)
{
    ZRKGameData* data = getSingletonPtr();
    return data ? data->view(name) : core::XmlConfigHelper();
}

} // namespace zrk
} // namespace kavri3D
