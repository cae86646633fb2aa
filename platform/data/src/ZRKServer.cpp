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

} // namespace zrk
} // namespace kavri3D
