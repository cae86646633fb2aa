#pragma once
#include <string>
#include <utility>
#include <core/AvatarManager.h>
#include <yake/Vector.h>
#include "data/ZRKServer.h"
#include "data/ZRKRequestInfo.h"

namespace kavri3D {
namespace zrk {

/// Requests about the game server: master data and item classes; the server object.
/// Each request completes later, from the frame update, with (error, text).
class ZRKServerRequest {
public:
    static long queryMaster(ZRKReply done);
    static long queryItemClasses(ZRKReply done);
    /// The zones (ZRKServer::getZones); joining one makes it the current zone.
    static long queryZones(ZRKReply done);
    static long joinZone(long zoneId, ZRKReply done);
    /// The game rooms of the current zone (ZRKServer::getRooms).
    static long queryRooms(const std::string& name, int kind, ZRKReply done);
    static long queryArenaState(ZRKReply done);
    /// Opens a game room ("mode", "title", "password", "place", "max", "wind" and for private
    /// PVE rooms "d_id", "ds_id", "private"); ZRKServer::getCurrentRoom then names it.
    static long createRoom(const core::XmlConfigHelper& room, ZRKReply done);
    /// The information of the users named; their avatars are then known.
    static long queryMembers(const yake::Vector<std::string>& uids, ZRKReply done);
    /// A few members of the current zone (ZRKServer::getZoneRandomMembers), with their avatars.
    static long queryRandomAsList(const yake::Vector<std::pair<std::string, std::string>>& filter, ZRKReply done);
    /// The server object while the session is online, else null.
    /// Loads the shop (view "shop"; ZRKServer::getShop); the server answers either way.
    static long queryShop(ZRKReply done, bool refresh);
    /// Loads the shop-item list (ZRKServer::getShopItem).
    static long queryShopItem(ZRKReply done);
    /// Looks for rooms of the player's zone he could sit down in at once (view "roomsFind");
    /// the list is emptied as the request goes, so a failed match leaves it empty.
    static long quickMatch(ZRKReply done);
    /// The rooms the last quick match found, one flat record each ("lv", "id", "occ", "max",
    /// "title", "mode", "name", "password", "fight"); empty offline.
    static std::list<core::XmlConfigHelper> getRoomsFind();
    static ZRKServer* getServer();
};

} // namespace zrk
} // namespace kavri3D
