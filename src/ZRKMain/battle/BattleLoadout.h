#pragma once
#include <list>
#include <string>
#include <vector>
#include <util/XmlConfigHelper.h>
#include "battle/BattleRoom.h"

namespace kavri3D {
namespace zrk {

/// The battle's loadout: the player's bags make room for the battle's weapons and props, and
/// get their own items back when the scene ends. The chosen ammo bag and its weapon set come
/// with the battle's entry; a staged duplicate lends its own arms.
class BattleLoadout {
public:
    typedef BattleRoom::WeaponEntry WeaponEntry;
    typedef BattleRoom::StageWeapon StageWeapon;

    explicit BattleLoadout(BattleRoom& room) : mRoom(room) {}
    BattleLoadout(const BattleLoadout&) = delete;
    BattleLoadout& operator=(const BattleLoadout&) = delete;

    /// A new scene: nothing taken aside, no set, the current ammo bag.
    void clear();
    /// The entry's ammo bag ("1" to "3"; another text takes bag 3) and its weapon set, each
    /// weapon with the shells its item gives.
    void chooseBag(const std::string& bag);
    /// The land arms the players: with a weapon set or a staged duplicate the bags are taken
    /// aside and the battle's arms lent; otherwise the own figure takes his own bags' arms.
    void arm();
    /// The own figure fights with the weapons of the current ammo bag and the props of the
    /// props bag (the battle's own arms when that bag holds no weapon).
    void armFromOwnBags();
    /// The scene goes: the bags and the ammo bag as they were before the battle.
    void restore();

    void pullBags(bool remove);
    void buildWeapons();
    int addWeapon(const std::string& itemId, int bagIndex, int fixItem, int itemCd, int shellNum, int shootRange);
    void addDuplicateProps();
    /// The player's own props (taken aside) to the land for the battle; none when the stage gave its own.
    void lendOwnProps();
    static bool readStageArms(const std::string& text, std::vector<StageWeapon>& weapons,
                              std::vector<std::string>& props);
    void restoreBags();
    void removeGivenWeapons();
    /// Whether the room's duplicate is a staged one (its stages lend the arms).
    void readSpecialDuplicate();

    int& ammoBag() { return mAmmoBag; }
    int& savedAmmoBag() { return mSavedAmmoBag; }
    std::vector<WeaponEntry>& weaponSet() { return mWeaponSet; }
    bool& specialDuplicate() { return mSpecialDuplicate; }
    bool areBagsPulled() const { return mBagsPulled; }
    std::list<core::XmlConfigHelper>& savedWeaponItems() { return mSavedWeaponItems; }
    std::list<core::XmlConfigHelper>& savedPropItems() { return mSavedPropItems; }

private:
    /// The arms of the room's duplicate stage; false when it has none that can be read.
    bool readStageAi(std::vector<StageWeapon>& weapons, std::vector<std::string>& props) const;
    int roomParam(const char* key) const;

    BattleRoom& mRoom;
    std::list<core::XmlConfigHelper> mSavedWeaponItems;
    std::list<core::XmlConfigHelper> mSavedPropItems;
    std::vector<WeaponEntry> mWeaponSet;
    int mSavedAmmoBag = -1;
    int mAmmoBag = 1;
    bool mSpecialDuplicate = false;
    bool mBagsPulled = false;
};

} // namespace zrk
} // namespace kavri3D
