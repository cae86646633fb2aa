#pragma once
#include <json/json.h>
#include <list>
#include <vector>
#include <util/XmlConfigHelper.h>

namespace kavri3D {
namespace zrk {

/// The items a player holds, each a record with its bag number ("bag") and slot ("pci_slot"),
/// the bag proper's size, the inventory's time stamp and the slots the last change touched.
class ZRKInventory {
public:
    /// Takes the items of an inventory reply ({"items": [...], "time", "pc_bag_slot", "dirty"});
    /// anything else is empty. The reply is read where it is kept (the game data's view), so it
    /// must outlive this use.
    void assign(const Json::Value* reply);
    /// Adds the changed slots a move's reply names beside the bag it hands over whole.
    void addDirty(const Json::Value& slots);
    void clear();

    const std::vector<core::XmlConfigHelper>& items() const;
    /// Appends the items of one bag, in slot order as held; returns how many.
    int bagItems(int bag, std::list<core::XmlConfigHelper>& out) const;
    /// Appends one record per worn, weapon, props and bag slot the player has, in slot order;
    /// an empty slot's record has "i_id" 0. Items of the temporary bag, of slots in no bag or
    /// past the bag's size, and a second item in one slot are left out. Returns how many.
    int allSlots(std::list<core::XmlConfigHelper>& out) const;
    long time() const { return mTime; }
    /// The last reply held a list of items (a garbled one does not).
    bool isReadable() const;
    /// The slots the last change touched; `forget` empties the list once read.
    void dirtySlots(std::vector<int>& out, bool forget);

private:
    const Json::Value* mReply = nullptr;               ///< as the server sent it
    mutable std::vector<core::XmlConfigHelper> mItems; ///< made from it when first asked for
    mutable bool mMade = true;
    long mTime = 0;
    int mBagSlots = 0;
    int mPcId = 0;
    std::vector<int> mDirty;
};

} // namespace zrk
} // namespace kavri3D
