#pragma once
#include <boost/signals2/signal.hpp>
#include <json/value.h>
#include <list>
#include <set>
#include <string>
#include <vector>
#include <util/XmlConfigHelper.h>
#include "data/ShopItemData.h"
#include "data/ZRKDataLib.h"
#include "data/ZRKMapLib.h"
#include "data/ZRKWeaponLib.h"

namespace kavri3D {
namespace zrk {

/// The game server as the client knows it: the current zone, who is online, and the server's
/// libraries.
class ZRKServer {
public:
    ZRKServer();

    /// The client's GUI resources are all present and loaded; counted for the tests.
    void onGuiReady() { ++mGuiReadyCount; }
    int getGuiReadyCount() const { return mGuiReadyCount; }

    ZRKNpcLib* getNpcLib() { return &mNpc; }
    ZRKDataLib* getDuplicateLib() { return &mDuplicate; }
    ZRKItemLib* getItemLib() { return &mItem; }
    ZRKMapLib* getMapLib() { return &mMap; }
    ZRKWeaponLib* getWeaponLib() { return &mWeapon; }
    /// The zone the player is in (result view "zone"; key "name").
    core::XmlConfigHelper getCurrentZone() const;
    /// The id of the zone the player is in (its "z_id"; 0 when none).
    int getCurrentZoneId() const { return getCurrentZone().getIntVal("z_id", 0); }
    /// The room the player opened last (result view "room": "id", "name", "mode").
    core::XmlConfigHelper getCurrentRoom() const;
    /// Whether the last one written to is online (result view "online"; key "online").
    core::XmlConfigHelper getOnline() const;
    /// The item sub-classes of the last class reply ("isc_id", "ic_id", "isc_name", "isc_slot",
    /// "isc_stack_num", "ic_name"), in the server's order; records that are no objects are left out.
    std::list<core::XmlConfigHelper> getClasses() const;

    /// The shop of the last shop reply, entry by entry in the server's order.
    const std::vector<ShopItemData>& getShop() const { return mShop; }
    /// The shop-item list of the last shop-item reply: one flat record per entry.
    const std::list<core::XmlConfigHelper>& getShopItem() const { return mShopItems; }
    /// At most this many shop entries are kept.
    static constexpr unsigned kMaxShopEntries = 1000;

    /// Players the server said are online (presence notices).
    bool isPlayerOnline(const std::string& uid) const { return mOnline.count(uid) > 0; }
    void setPlayerOnline(const std::string& uid, bool online);
    void clearOnline() { mOnline.clear(); }

    // The lobby.
    typedef boost::signals2::signal<void(const std::string& member, bool joined)> ZoneMemberSignal;
    /// The zones of the last zone query ("z_id", "z_name", "pc_level", "max", "occ").
    const std::list<core::XmlConfigHelper>& getZones() const { return mZones; }
    /// The rooms of the last room query, one flat record each, made once per reply.
    const std::list<core::XmlConfigHelper>& getRooms() const { return mRooms; }
    /// The rooms of the last quick match.
    const std::list<core::XmlConfigHelper>& getRoomsFind() const { return mRoomsFind; }
    void clearRoomsFind() { mRoomsFind.clear(); }
    /// The user names of the last random-members query.
    const std::vector<std::string>& getZoneRandomMembers() const { return mRandomMembers; }
    /// Whether the zone the player is in is an arena.
    bool isArenaZone() const;
    /// Told of each join or leave of the current zone's room.
    boost::signals2::connection subscribeToZoneMebSignal(const ZoneMemberSignal::slot_type& slot)
    {
        return mZoneMembers.connect(slot);
    }
    /// A member joined or left a room; the signal fires when it is the current zone's.
    void onRoomMember(const std::string& room, const std::string& member, bool joined);
    /// A reply brought a list view ("zones", "rooms", "zoneRandom", "shop", "shopItem"): its
    /// records are made now.
    void onListView(const std::string& name, const Json::Value& value);
    void clearLobby();

private:
    ZRKNpcLib mNpc;
    ZRKDataLib mDuplicate;
    ZRKItemLib mItem;
    ZRKMapLib mMap;
    ZRKWeaponLib mWeapon;
    std::set<std::string> mOnline;
    std::list<core::XmlConfigHelper> mZones;
    std::list<core::XmlConfigHelper> mRooms;
    std::list<core::XmlConfigHelper> mRoomsFind;
    std::vector<std::string> mRandomMembers;
    std::vector<ShopItemData> mShop;
    std::list<core::XmlConfigHelper> mShopItems;
    ZoneMemberSignal mZoneMembers;
    int mGuiReadyCount = 0;
};

/// The game server object of the live session, as ZRKServerRequest::getServer gives it.
ZRKServer* getZRKServer();

} // namespace zrk
} // namespace kavri3D
