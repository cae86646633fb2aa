#pragma once
#include <set>
#include <string>
#include <util/XmlConfigHelper.h>
#include "data/ZRKDataLib.h"

namespace kavri3D {
namespace zrk {

/// The game server as the client knows it: the current zone, who is online, and the server's
/// libraries.
class ZRKServer {
public:
    ZRKServer();

    ZRKNpcLib* getNpcLib() { return &mNpc; }
    ZRKDataLib* getDuplicateLib() { return &mDuplicate; }
    ZRKItemLib* getItemLib() { return &mItem; }
    ZRKMapLib* getMapLib() { return &mMap; }
    ZRKWeaponLib* getWeaponLib() { return &mWeapon; }
    /// The zone the player is in (result view "zone"; key "name").
    core::XmlConfigHelper getCurrentZone() const;
    /// Whether the current zone is an arena (its "arena" value is 1).
    bool isArenaZone() const { return getCurrentZone().getIntVal("arena", 0) == 1; }
    /// Whether the last one written to is online (result view "online"; key "online").
    core::XmlConfigHelper getOnline() const;

    /// Players the server said are online (presence notices).
    bool isPlayerOnline(const std::string& uid) const { return mOnline.count(uid) > 0; }
    void setPlayerOnline(const std::string& uid, bool online);
    void clearOnline() { mOnline.clear(); }

private:
    ZRKNpcLib mNpc;
    ZRKDataLib mDuplicate;
    ZRKItemLib mItem;
    ZRKMapLib mMap;
    ZRKWeaponLib mWeapon;
    std::set<std::string> mOnline;
};

} // namespace zrk
} // namespace kavri3D
