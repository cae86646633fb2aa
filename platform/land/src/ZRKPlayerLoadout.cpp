// The doll's loadout taken again from its room once the battle has rearranged the bags.
#include <boost/shared_ptr.hpp>
#include "land/ILandRoom.h"
#include "land/LandBuilder.h"
#include "land/ZRKLand.h"
#include "land/ZRKPlayerSim.h"

namespace kavri3D {
namespace zrk {

namespace {
constexpr std::size_t kMaxItems = 16;

/// The ids the room gives, without gaps, and the land knowing the record of each.
std::vector<std::string> itemsOf(ZRKLand& land, LandItems& items, const std::vector<std::string>& given)
{
    std::vector<std::string> ids;
    ILandRoom* room = land.getZRKRoom();
    for (const std::string& id : given) {
        if (id.empty())
            continue;
        if (!items.has(id) && room)
            items.add(id, room->getItemRecord(id));
        ids.push_back(id);
        if (ids.size() >= kMaxItems)
            break;
    }
    return ids;
}
} // namespace

void ZRKPlayerSim::clearWeaponBags() { mWeapons = WeaponBag(); }

void ZRKPlayerSim::initBattleWeapons()
{
    ZRKLand* land = getLand();
    ILandRoom* room = land ? land->getZRKRoom() : nullptr;
    if (!room)
        return;
    LandSetup::Seat seat;
    seat.weapons = itemsOf(*land, land->mItems, room->getPlayerWeapons(getId()));
    land->builder().buildWeapons(*this, seat);
    mPlayerBattle.weapon = 0;
}

void ZRKPlayerSim::buildPropBag()
{
    ZRKLand* land = getLand();
    ILandRoom* room = land ? land->getZRKRoom() : nullptr;
    if (!room)
        return;
    mProps = PropBag(&land->mItems);
    for (const std::string& id : itemsOf(*land, land->mItems, room->getPlayerProps(getId())))
        mProps.addItem(id, PropBag::carried(room->getPlayerPropCount(getId(), id)));
}

} // namespace zrk
} // namespace kavri3D
