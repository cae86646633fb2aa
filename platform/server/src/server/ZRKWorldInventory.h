#pragma once
#include <json/json.h>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

class ZRKDatabase;

/// The players' items by bag and slot: what fits where, moves checked whole before any is
/// written, new and changed items, and each bag's view, kept up to date in place while no
/// reply holds it. Every change runs inside the caller's transaction.
class ZRKWorldInventory {
public:
    ZRKWorldInventory(ZRKWorld& world, ZRKDatabase& db);
    ZRKWorldInventory(const ZRKWorldInventory&) = delete;
    ZRKWorldInventory& operator=(const ZRKWorldInventory&) = delete;

    std::vector<ZRKWorld::Item> items(const std::string& player);
    /// The player's bag as the game reads it ({"items": [...]}), made once until it changes.
    std::shared_ptr<const Json::Value> view(const std::string& player);
    /// The bag proper's size of a player ("pc_bag_slot" of the settings, 0 to 60).
    static int bagSlots(const ZRKWorld::Player& p);
    /// An item's "attr_x" as the game is given it: a holed kind (its "i_holes", up to 5) has
    /// one entry per hole, the gem set there or 0 ("7202,0,0"; "0,0,0" before any gem); other
    /// kinds keep what was stored.
    static std::string holesText(const std::string& attrX, const Json::Value& attrs);
    bool fits(long long itemId, int slot, const ZRKWorld::Player& p);
    const Json::Value& subClassOf(long long itemId);
    const Json::Value& itemAttrs(long long itemId);

    bool moveItems(const std::string& player, const std::vector<std::pair<int, int>>& moves, std::string& refusal,
                   std::vector<int>* changed);
    bool writeItem(const std::string& player, const ZRKWorld::Item& item);
    bool addItem(const std::string& player, ZRKWorld::Item& item);
    bool placeItem(const std::string& player, long long lid, int slot);
    int freeSlot(const std::string& player, bool temporaryToo);

    /// What was known of the player's bag is read afresh when next asked for.
    void forget(const std::string& player);
    void forgetAll();

private:
    /// The player's bag changed: what was known of it is made afresh.
    void bagChanged(const std::string& player);

    /// A bag's view, and those it replaced: replies on their way and the game may still hold
    /// some, and one let go is brought up to date in place instead of made afresh.
    struct BagView {
        std::shared_ptr<Json::Value> value;
        struct Shown {
            long long lid;
            int bag, slot, bind;
        };
        std::vector<Shown> shown; ///< where each entry of "items" shows its item, in their order
        bool free() const { return value && value.use_count() == 1; }
    };
    struct BagViews {
        BagView current;
        std::vector<BagView> spares; ///< oldest first
    };
    static constexpr std::size_t kSpareBagViews = 8;
    /// Brings a kept view of the bag to the bag's order and places (only moves happen to a kept
    /// view); false, the view half done, when it shows other items.
    static bool syncBagView(BagView& view, const std::vector<ZRKWorld::Item>& bag);

    ZRKWorld& mWorld;
    ZRKDatabase& mDb;
    std::map<std::string, std::vector<ZRKWorld::Item>> mItems;
    std::map<std::string, BagViews> mViews;
    std::map<long long, Json::Value> mItemAttrs;
    long long mInventoryTime = 0; ///< counts the inventory changes of the run
};

} // namespace zrk
} // namespace kavri3D
