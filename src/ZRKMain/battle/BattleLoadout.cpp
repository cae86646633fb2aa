#include "battle/BattleLoadout.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <data/ZRKBagLayout.h>
#include <data/ZRKGameData.h>
#include <data/ZRKInventory.h>
#include <data/ZRKJson.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKServer.h>
#include <data/ZRKUserRequest.h>
#include <gui/IGuiManager.h>
#include <gui/IGuideContent.h>
#include <json/json.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <util/JsonText.h>
#include <util/MissionRule.h>
#include "battle/BattleLandRoom.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";
constexpr std::size_t kMaxStageAi = 16384;
constexpr int kSetSize = 6;
constexpr int kBagWeapons = 9; ///< weapons lent to one bag at most
constexpr int kStageProps = 6; ///< props a stage lends at most
const char* const kGivenWeapon = "__lid_BattleGiven";
constexpr int kFirstGivenProp = 51;

/// A whole number of a JSON record that came from a file or the server; `def` otherwise.
int intOf(const Json::Value& record, const char* key, int def)
{
    const Json::Value& v = ZRKJson::member(record, key);
    return v.isInt() ? v.asInt() : def;
}
} // namespace

void BattleLoadout::clear()
{
    mSavedWeaponItems.clear();
    mSavedPropItems.clear();
    mWeaponSet.clear();
    mBagsPulled = false;
    mSavedAmmoBag = -1;
    mAmmoBag = ZRKUserRequest::getCa_id();
}

void BattleLoadout::chooseBag(const std::string& bag)
{
    if (!bag.empty()) {
        mSavedAmmoBag = ZRKUserRequest::getCa_id();
        char* end = nullptr;
        const long n = std::strtol(bag.c_str(), &end, 10);
        mAmmoBag = end && *end == '\0' && n >= 1 && n <= 3 ? static_cast<int>(n) : 3;
        if (mAmmoBag != n || *end != '\0')
            writeLog(kLogWarning, kChannel, "ammo bag \"" + bag.substr(0, 32) + "\" is not 1, 2 or 3: bag 3 is used");
        ZRKUserRequest::setCa_id(mAmmoBag);
        const std::string set = mAmmoBag == 1 ? "ca1" : mAmmoBag == 2 ? "ca2" : "ca3"; // the bag's own set
        gui::IGuiManager* gui = mRoom.getGuiManager();
        boost::shared_ptr<gui::IGuideContent> content =
            gui ? gui->getGuideContent() : boost::shared_ptr<gui::IGuideContent>();
        if (!content)
            writeLog(kLogWarning, kChannel, "no guide content: the weapon set " + set + " is not read");
        for (int i = 0; content && i < kSetSize; ++i) {
            const std::string id = content->getString(set, i);
            if (!id.empty())
                mWeaponSet.emplace_back(id, 0);
        }
    }
    // Each weapon carries the shells its item gives.
    ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
    for (WeaponEntry& entry : mWeaponSet) {
        const long id = std::strtol(entry.first.c_str(), nullptr, 10);
        entry.second =
            server ? std::max(0, server->getItemLib()->find(std::to_string(id)).getIntVal("i_shell_num", 0)) : 0;
    }
}

void BattleLoadout::arm()
{
    if (mWeaponSet.empty() && !mSpecialDuplicate) {
        armFromOwnBags();
        return;
    }
    pullBags(true);
    buildWeapons();
    addDuplicateProps();
    lendOwnProps();
    ZRKLand* land = mRoom.getLand();
    if (ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr)
        me->buildPropBag();
}

void BattleLoadout::armFromOwnBags()
{
    // An ordinary battle lends nothing: the figure fights with the weapons of the player's
    // current ammo bag and the props of his props bag, as they stand in his inventory.
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    if (!me || !mRoom.mLandRoom)
        return;
    mRoom.mLandRoom->lendProps({});
    mRoom.mLandRoom->useBattleBags(mAmmoBag >= 1 && mAmmoBag <= 3 ? mAmmoBag : 1);
    me->clearWeaponBags();
    me->initBattleWeapons();
    me->changeWeapon(0, true);
    me->buildPropBag();
    land->_preloadDollWeapon(land->getMyUID());
}

void BattleLoadout::readSpecialDuplicate()
{
    ZRKRoomState* room = mRoom.landRoomState();
    mSpecialDuplicate = room && room->getParams().getIntVal("d_id", -1) >= core::MissionRule::kFixedPlayFrom;
}

void BattleLoadout::restore()
{
    restoreBags();
    if (mSavedAmmoBag != -1)
        ZRKUserRequest::setCa_id(mSavedAmmoBag);
    mSavedAmmoBag = -1;
    mSpecialDuplicate = false;
}

int BattleLoadout::roomParam(const char* key) const
{
    ZRKRoomState* room = mRoom.landRoomState();
    return room ? room->getParams().getIntVal(key, -1) : -1;
}

void BattleLoadout::pullBags(bool remove)
{
    if (mBagsPulled)
        return;
    mBagsPulled = true;
    ZRKInventory* inventory = ZRKUserRequest::getInventory();
    if (!inventory)
        return;
    const auto pull = [&](int bag, std::list<core::XmlConfigHelper>& into) {
        std::list<core::XmlConfigHelper> items;
        ZRKUserRequest::getBagItems(inventory, bag, items);
        // The props bag lists its empty slots too; only real items are put aside.
        items.remove_if([](const core::XmlConfigHelper& item) { return item.getIntVal("i_id", 0) == 0; });
        for (const core::XmlConfigHelper& item : items)
            if (remove)
                inventory->removeItemByLID(item.getStringVal(ZRKInventory::getLIDKey(), ""), bag);
        into.splice(into.end(), items);
    };
    pull(ZRKBagLayout::Main, mSavedWeaponItems);
    pull(mAmmoBag + 1, mSavedWeaponItems);
    pull(ZRKBagLayout::Props, mSavedPropItems);
}

bool BattleLoadout::readStageArms(const std::string& text, std::vector<StageWeapon>& weapons,
                                  std::vector<std::string>& props)
{
    weapons.clear();
    props.clear();
    if (text.empty() || text.size() > kMaxStageAi)
        return false;
    core::JsonText::Limits limits;
    limits.maxBytes = kMaxStageAi;
    limits.maxDepth = 32;
    std::string error;
    Json::Value ai;
    if (!core::JsonText::parse(text, ai, error, limits) || !ai.isObject())
        return false;
    const Json::Value& list = ZRKJson::member(ai, "weapon");
    if (list.isArray())
        for (const Json::Value& w : list)
            if (w.isObject()) {
                StageWeapon weapon;
                weapon.id = std::to_string(intOf(w, "id", 0));
                weapon.cd = intOf(w, "cd", 0);
                weapon.shellNum = intOf(w, "shellnum", 0);
                weapon.range = intOf(w, "range", 0);
                weapons.push_back(weapon);
                if (weapons.size() >= 64)
                    break;
            }
    const Json::Value& given = ZRKJson::member(ai, "prop");
    if (given.isArray())
        for (Json::ArrayIndex i = 0; i < given.size() && props.size() < static_cast<std::size_t>(kStageProps); ++i)
            props.push_back(std::to_string(intOf(given[i], "id", 0)));
    return true;
}

bool BattleLoadout::readStageAi(std::vector<StageWeapon>& weapons, std::vector<std::string>& props) const
{
    ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
    const int dId = roomParam("d_id"), dsId = roomParam("ds_id");
    if (!server || dId < 0)
        return false;
    const Json::Value duplicate = ZRKJson::fromView(server->getDuplicateLib()->find(std::to_string(dId)));
    const Json::Value& stages = ZRKJson::member(duplicate, "stages");
    std::string text;
    if (stages.isArray() || stages.isObject())
        for (const Json::Value& stage : stages)
            if (BattleRoom::wholeNumber(stage, "ds_id") == dsId && ZRKJson::member(stage, "ds_ai").isString())
                text = stage["ds_ai"].asString();
    if (!readStageArms(text, weapons, props)) {
        writeLog(kLogError, kChannel,
                 "stage " + std::to_string(dsId) + " of duplicate " + std::to_string(dId) + " has no usable \"ds_ai\"");
        return false;
    }
    return true;
}

void BattleLoadout::buildWeapons()
{
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    if (!me)
        return;
    const int fix = land->getFixPlay();
    if (land->getComboState())
        land->setFixPlay(0);
    if (roomParam("d_id") >= core::MissionRule::kFixedPlayFrom)
        land->setFixPlay(1);
    if (land->getFixPlay() == 1) {
        std::vector<StageWeapon> weapons;
        std::vector<std::string> props;
        if (readStageAi(weapons, props)) {
            mWeaponSet.clear();
            ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
            for (const StageWeapon& w : weapons) {
                // A lent weapon carries the shells the stage names (else its item's): with none
                // a weapon of counted shells could not fire at all.
                const int itemShells =
                    server ? std::max(0, server->getItemLib()->find(w.id).getIntVal("i_shell_num", 0)) : 0;
                mWeaponSet.emplace_back(w.id, w.shellNum > 0 ? w.shellNum : itemShells);
                addWeapon(w.id, mAmmoBag - 1, fix, w.cd, w.shellNum, w.range);
            }
        }
    } else {
        for (const WeaponEntry& entry : mWeaponSet)
            addWeapon(entry.first, mAmmoBag - 1, fix, -1, -1, -1);
    }
    if (mRoom.mLandRoom)
        mRoom.mLandRoom->useBattleBags(mAmmoBag);
    me->clearWeaponBags();
    me->initBattleWeapons();
    me->changeWeapon(0, true);
    std::vector<WeaponState>& slots = me->getWeaponBag()->getSlots();
    for (std::size_t i = 0; i < mWeaponSet.size() && i < slots.size(); ++i)
        if (!slots[i].name.empty())
            slots[i].setCount(mWeaponSet[i].second);
    land->_preloadDollWeapon(land->getMyUID());
}

int BattleLoadout::addWeapon(const std::string& itemId, int bagIndex, int fixItem, int itemCd, int shellNum,
                             int shootRange)
{
    ZRKInventory* inventory = ZRKUserRequest::getInventory();
    if (!inventory)
        return 0;
    std::list<core::XmlConfigHelper> items;
    ZRKUserRequest::getBagItems(inventory, bagIndex + 2, items);
    int expected = bagIndex * 10 + 21;
    int count = 0;
    for (const core::XmlConfigHelper& item : items) {
        if (item.getIntVal("i_id", 0) == 0 || item.getIntVal("pci_slot", -1) != expected)
            break; // the first gap takes the new weapon
        ++count;
        expected = item.getIntVal("pci_slot", -1) + 1;
    }
    if (count < kBagWeapons) {
        core::XmlConfigHelper item;
        item.setStringVal(ZRKInventory::getItemIdKey(), itemId);
        item.setStringVal(ZRKInventory::getLIDKey(), kGivenWeapon + std::to_string(count));
        item.setIntVal("pci_slot", expected);
        item.setIntVal("fixItem", fixItem);
        item.setIntVal("itemCd", itemCd);
        item.setIntVal("shellNum", shellNum);
        item.setIntVal("shootRange", shootRange);
        inventory->addItem(item);
    }
    return count;
}

void BattleLoadout::addDuplicateProps()
{
    ZRKInventory* inventory = ZRKUserRequest::getInventory();
    std::vector<StageWeapon> weapons;
    std::vector<std::string> props;
    ZRKLand* land = mRoom.getLand();
    if (!inventory || !land || land->getFixPlay() != 1 || !readStageAi(weapons, props))
        return;
    int lid = kFirstGivenProp;
    for (const std::string& id : props) {
        core::XmlConfigHelper item;
        item.setStringVal(ZRKInventory::getItemIdKey(), id);
        item.setIntVal(ZRKInventory::getLIDKey(), lid);
        item.setIntVal("pci_slot", lid); // the props bag's slots count from 51 as well
        inventory->addItem(item);
        ++lid;
    }
}

void BattleLoadout::lendOwnProps()
{
    // The player's props were taken aside with his bags: unless the stage gave props of its
    // own, he fights with them (the keys Z to N use them).
    std::list<core::XmlConfigHelper> given;
    if (ZRKInventory* inventory = ZRKUserRequest::getInventory())
        ZRKUserRequest::getBagItems(inventory, ZRKBagLayout::Props, given);
    given.remove_if([](const core::XmlConfigHelper& item) { return item.getIntVal("i_id", 0) == 0; });
    std::vector<std::pair<std::string, int>> own;
    std::list<core::XmlConfigHelper> saved = mSavedPropItems;
    // In the order of the bag's slots: Z is the first.
    saved.sort([](const core::XmlConfigHelper& a, const core::XmlConfigHelper& b) {
        return a.getIntVal("pci_slot", 0) < b.getIntVal("pci_slot", 0);
    });
    if (given.empty())
        for (const core::XmlConfigHelper& item : saved) {
            const std::string id = item.getStringVal(ZRKInventory::getItemIdKey(), "");
            if (!id.empty() && id != "0")
                own.emplace_back(id, std::max(1, item.getIntVal("pci_num", 1)));
        }
    if (mRoom.mLandRoom)
        mRoom.mLandRoom->lendProps(own);
}

void BattleLoadout::restoreBags()
{
    if (!mBagsPulled)
        return;
    if (ZRKInventory* inventory = ZRKUserRequest::getInventory()) {
        // What the battle lent goes: the battle's bags are emptied (only the bag's own: a lent
        // prop's id may be the id of an item elsewhere).
        for (const int bag : {mAmmoBag + 1, static_cast<int>(ZRKBagLayout::Props)}) {
            std::list<core::XmlConfigHelper> now;
            ZRKUserRequest::getBagItems(inventory, bag, now);
            for (const core::XmlConfigHelper& item : now)
                inventory->removeItemByLID(item.getStringVal(ZRKInventory::getLIDKey(), ""), bag);
        }
        // What it took aside comes back, with the bag proper, unless the server told the
        // inventory again meanwhile (a box opened at half time) and it holds the item already.
        std::set<std::string> held;
        for (const core::XmlConfigHelper& item : inventory->items())
            held.insert(item.getStringVal(ZRKInventory::getLIDKey(), ""));
        for (const std::list<core::XmlConfigHelper>* saved : {&mSavedWeaponItems, &mSavedPropItems})
            for (const core::XmlConfigHelper& item : *saved) {
                const std::string lid = item.getStringVal(ZRKInventory::getLIDKey(), "");
                if (lid.empty() || held.insert(lid).second)
                    inventory->addItem(item);
            }
    }
    mSavedWeaponItems.clear();
    mSavedPropItems.clear();
    mBagsPulled = false;
    if (mRoom.mLandRoom)
        mRoom.mLandRoom->useBattleBags(0);
}

void BattleLoadout::removeGivenWeapons()
{
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    if (!me)
        return;
    if (ZRKInventory* inventory = ZRKUserRequest::getInventory())
        for (int i = 0; i < kBagWeapons; ++i)
            inventory->removeItemByLID(kGivenWeapon + std::to_string(i), mAmmoBag + 1);
    me->clearWeaponBags();
    me->initBattleWeapons();
    me->changeWeapon(0, true);
}

} // namespace zrk
} // namespace kavri3D
