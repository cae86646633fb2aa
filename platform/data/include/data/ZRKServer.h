#pragma once
#include <util/XmlConfigHelper.h>
#include "data/ZRKDataLib.h"

namespace kavri3D {
namespace zrk {

/// The game server as the client knows it: the current zone and the server's libraries.
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

private:
    ZRKNpcLib mNpc;
    ZRKDataLib mDuplicate;
    ZRKItemLib mItem;
    ZRKMapLib mMap;
    ZRKWeaponLib mWeapon;
};

} // namespace zrk
} // namespace kavri3D
