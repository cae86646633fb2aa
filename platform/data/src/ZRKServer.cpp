#include "data/ZRKServer.h"

#include "data/ZRKGameData.h"
#include "data/ZRKJson.h"

namespace kavri3D {
namespace zrk {

ZRKServer::ZRKServer() : mNpc("npc"), mDuplicate("duplicate"), mItem("item"), mMap("map"), mWeapon("weapon") {}

core::XmlConfigHelper ZRKServer::getCurrentZone() const
{
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    return data ? data->view("zone") : core::XmlConfigHelper();
}

core::XmlConfigHelper ZRKServer::getOnline() const
{
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    return data ? data->view("online") : core::XmlConfigHelper();
}

std::list<core::XmlConfigHelper> ZRKServer::getClasses() const
{
    std::list<core::XmlConfigHelper> out;
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    const Json::Value& classes = data ? data->viewJson("itemClasses") : Json::Value::nullSingleton();
    if (classes.isArray())
        for (const Json::Value& c : classes)
            if (c.isObject())
                out.push_back(ZRKJson::toView(c));
    return out;
}

void ZRKServer::setPlayerOnline(const std::string& uid, bool online)
{
    if (online)
        mOnline.insert(uid);
    else
        mOnline.erase(uid);
}

} // namespace zrk
} // namespace kavri3D
