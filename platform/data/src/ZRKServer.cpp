#include "data/ZRKServer.h"

#include "data/ZRKGameData.h"

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

void ZRKServer::setPlayerOnline(const std::string& uid, bool online)
{
    if (online)
        mOnline.insert(uid);
    else
        mOnline.erase(uid);
}

} // namespace zrk
} // namespace kavri3D
