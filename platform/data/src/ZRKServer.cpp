#include "data/ZRKServer.h"

#include "data/ZRKGameData.h"
#include "data/ZRKJson.h"
#include "data/ZRKServerRequest.h"

namespace kavri3D {
namespace zrk {

ZRKServer::ZRKServer() : mNpc("npc"), mDuplicate("duplicate"), mItem("item") {}

core::XmlConfigHelper ZRKServer::getCurrentZone() const
{
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    return data ? data->view("zone") : core::XmlConfigHelper();
}

core::XmlConfigHelper ZRKServer::getCurrentRoom() const
{
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    return data ? data->view("room") : core::XmlConfigHelper();
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

ZRKServer* getZRKServer() { return ZRKServerRequest::getServer(); }

bool ZRKServer::isArenaZone() const { return getCurrentZone().getBoolVal("arena", false); }

void ZRKServer::onRoomMember(const std::string& room, const std::string& member, bool joined)
{
    const std::string zone = getCurrentZone().getStringVal("name", "");
    if (!zone.empty() && room == zone)
        mZoneMembers(member, joined);
}

namespace {
/// One record per entry of a list view; entries that are no records are left out.
std::list<core::XmlConfigHelper> records(const Json::Value& list)
{
    std::list<core::XmlConfigHelper> out;
    if (list.isArray())
        for (const Json::Value& v : list)
            if (v.isObject())
                out.push_back(ZRKJson::toView(v));
    return out;
}
} // namespace

void ZRKServer::onListView(const std::string& name, const Json::Value& value)
{
    if (name == "zones")
        mZones = records(value);
    else if (name == "rooms")
        mRooms = records(value);
    else if (name == "roomsFind")
        mRoomsFind = records(value);
    else if (name == "shopItem")
        mShopItems = records(value);
    else if (name == "shop") {
        mShop.clear();
        if (value.isArray())
            for (const Json::Value& entry : value)
                if (entry.isObject() && mShop.size() < kMaxShopEntries)
                    mShop.emplace_back(entry);
    } else if (name == "zoneRandom") {
        mRandomMembers.clear();
        if (value.isArray())
            for (const Json::Value& v : value)
                if (v.isString())
                    mRandomMembers.push_back(v.asString());
    }
}

void ZRKServer::clearLobby()
{
    mZones.clear();
    mRooms.clear();
    mRoomsFind.clear();
    mRandomMembers.clear();
}

} // namespace zrk
} // namespace kavri3D
