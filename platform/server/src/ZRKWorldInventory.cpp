#include "server/ZRKWorldInventory.h"

#include <algorithm>
#include <set>
#include "data/ZRKBagLayout.h"
#include "server/ZRKDatabase.h"

namespace kavri3D {
namespace zrk {

namespace {

const char* const kItemColumns =
    "lid, i_id, bag, slot, count, bind, lv, buy_time, expiry_day, pci_str, pci_luck, pci_dex, "
    "pci_vit, mix_times, mix_max, enh_f, attr_x";

} // namespace

ZRKWorldInventory::ZRKWorldInventory(ZRKWorld& world, ZRKDatabase& db) : mWorld(world), mDb(db) {}

std::vector<ZRKWorld::Item> ZRKWorldInventory::items(const std::string& player)
{
    auto known = mItems.find(player);
    if (known != mItems.end())
        return known->second;
    std::vector<ZRKWorld::Item> out;
    ZRKDatabase::Statement& q =
        mDb.prepare(std::string("SELECT ") + kItemColumns + " FROM inventory WHERE player = ? ORDER BY slot");
    q.bind(1, player);
    while (q.step()) {
        ZRKWorld::Item i;
        i.lid = q.integer(0);
        i.id = q.integer(1);
        i.bag = static_cast<int>(q.integer(2));
        i.slot = static_cast<int>(q.integer(3));
        i.count = q.integer(4);
        i.bind = q.integer(5) ? 1 : 0;
        i.lv = static_cast<int>(q.integer(6));
        i.buyTime = q.text(7);
        i.expiryDay = static_cast<int>(q.integer(8));
        for (int b = 0; b < 4; ++b)
            i.bonus[b] = q.integer(9 + b);
        i.mixTimes = q.integer(13);
        i.mixMax = q.integer(14);
        i.enhF = q.integer(15);
        i.attrX = q.text(16);
        out.push_back(i);
    }
    q.reset();
    mItems[player] = out;
    return out;
}

std::shared_ptr<const Json::Value> ZRKWorldInventory::view(const std::string& player)
{
    auto known = mViews.find(player);
    if (known != mViews.end() && known->second.current.value)
        return known->second.current.value;
    const std::vector<ZRKWorld::Item> items = this->items(player);
    const ZRKWorld::Player* owner = mWorld.player(player);
    BagView& current = mViews[player].current;
    current.value = std::make_shared<Json::Value>(Json::objectValue);
    current.shown.clear();
    Json::Value& v = *current.value;
    v[Json::StaticString("time")] = ZRKWorld::big(mInventoryTime);
    v[Json::StaticString("pc_bag_slot")] = owner ? bagSlots(*owner) : 0;
    v[Json::StaticString("pc_id")] = ZRKWorld::big(owner ? owner->pcId : 0);
    Json::Value& list = v[Json::StaticString("items")] = Json::Value(Json::arrayValue);
    for (const ZRKWorld::Item& i : items) {
        current.shown.push_back(BagView::Shown{i.lid, i.bag, i.slot, i.bind});
        Json::Value& entry = list.append(Json::Value(Json::objectValue));
        entry[Json::StaticString("lid")] = ZRKWorld::big(i.lid);
        entry[Json::StaticString("i_id")] = ZRKWorld::big(i.id);
        entry[Json::StaticString("pc_id")] = ZRKWorld::big(owner ? owner->pcId : 0);
        entry[Json::StaticString("bag")] = i.bag;
        entry[Json::StaticString("pci_slot")] = i.slot;
        entry[Json::StaticString("pci_num")] = ZRKWorld::big(i.count);
        entry[Json::StaticString("pci_bind")] = i.bind;
        entry[Json::StaticString("pci_lv")] = i.lv;
        entry[Json::StaticString("pci_buy_time")] = i.buyTime;
        entry[Json::StaticString("pci_expiry_day")] = i.expiryDay;
        static const Json::StaticString bonuses[4] = {Json::StaticString("pci_str"), Json::StaticString("pci_luck"),
                                                      Json::StaticString("pci_dex"), Json::StaticString("pci_vit")};
        for (int b = 0; b < 4; ++b)
            entry[bonuses[b]] = ZRKWorld::big(i.bonus[b]);
        entry[Json::StaticString("mix_times")] = ZRKWorld::big(i.mixTimes);
        entry[Json::StaticString("mix_max")] = ZRKWorld::big(i.mixMax);
        entry[Json::StaticString("enh_f")] = ZRKWorld::big(i.enhF);
        entry[Json::StaticString("attr_x")] = holesText(i.attrX, itemAttrs(i.id));
    }
    return current.value;
}

int ZRKWorldInventory::bagSlots(const ZRKWorld::Player& p)
{
    const Json::Value& settings = ZRKWorld::Player::doc(p.settings);
    const Json::Value& n = settings.isObject() ? settings["pc_bag_slot"] : Json::Value::nullSingleton();
    const int given = n.isIntegral() ? n.asInt() : ZRKBagLayout::kMainSize;
    return std::max(0, std::min(given, static_cast<int>(ZRKBagLayout::kMainSize)));
}

std::string ZRKWorldInventory::holesText(const std::string& attrX, const Json::Value& attrs)
{
    static const int kMostHoles = 5;
    const Json::Value& n = attrs.isObject() ? attrs["i_holes"] : Json::Value::nullSingleton();
    const int holes = n.isInt() ? std::max(0, std::min(kMostHoles, n.asInt())) : 0;
    if (holes == 0)
        return attrX;
    std::string out;
    std::size_t from = 0;
    for (int h = 0; h < holes; ++h) {
        // Each hole's entry as stored when it is a gem's id; anything else is an empty hole.
        std::string part;
        if (from <= attrX.size()) {
            const std::size_t comma = std::min(attrX.find(',', from), attrX.size());
            part = attrX.substr(from, comma - from);
            from = comma + 1;
        }
        const bool gem =
            !part.empty() && part.size() <= 18 && part.find_first_not_of("0123456789") == std::string::npos;
        out += (h ? "," : "") + (gem ? part : std::string("0"));
    }
    return out;
}

const Json::Value& ZRKWorldInventory::itemAttrs(long long itemId)
{
    auto known = mItemAttrs.find(itemId);
    if (known != mItemAttrs.end())
        return known->second;
    ZRKDatabase::Statement& q = mDb.prepare("SELECT attrs FROM items WHERE i_id = ?");
    q.bind(1, itemId);
    Json::Value attrs;
    if (q.step())
        attrs = ZRKWorld::parseColumn(q.text(0));
    q.reset();
    return mItemAttrs[itemId] = attrs.isObject() ? attrs : Json::Value();
}

const Json::Value& ZRKWorldInventory::subClassOf(long long itemId)
{
    const Json::Value& attrs = itemAttrs(itemId);
    const Json::Value& isc = attrs.isObject() ? attrs["isc_id"] : Json::Value::nullSingleton();
    const Json::Value& classes = mWorld.document("itemClasses");
    if (!isc.isIntegral() || !classes.isArray())
        return Json::Value::nullSingleton();
    for (const Json::Value& c : classes)
        if (c.isObject() && c["isc_id"].isIntegral() && c["isc_id"].asLargestInt() == isc.asLargestInt())
            return c;
    return Json::Value::nullSingleton();
}

bool ZRKWorldInventory::fits(long long itemId, int slot, const ZRKWorld::Player& p)
{
    const int bag = ZRKBagLayout::bagOf(slot);
    if (bag == ZRKBagLayout::Temporary || bag < 0)
        return false; // the temporary bag only ever receives: the quit box empties it
    if (bag == ZRKBagLayout::Main)
        return slot < ZRKBagLayout::kMainFirst + bagSlots(p);
    const Json::Value& kind = subClassOf(itemId);
    if (!kind.isObject())
        return false;
    // The weapon bags take weapons, the props bag props.
    if (bag != ZRKBagLayout::Worn)
        return kind["ic_name"].isString() &&
               kind["ic_name"].asString() == (bag == ZRKBagLayout::Props ? "prop" : "weapon");
    const Json::Value& cId = itemAttrs(itemId)["c_id"];
    if (cId.isIntegral() && cId.asLargestInt() != 0 && cId.asLargestInt() != p.cId)
        return false;
    return kind["isc_slot"].isIntegral() && kind["isc_slot"].asLargestInt() == slot;
}

bool ZRKWorldInventory::syncBagView(BagView& view, const std::vector<ZRKWorld::Item>& bag)
{
    Json::Value& list = (*view.value)[Json::StaticString("items")];
    if (!list.isArray() || list.size() != bag.size() || view.shown.size() != bag.size())
        return false; // not the bag it showed
    // The entries take the bag's order by swaps, then the moved ones their new places.
    for (std::size_t i = 0; i < bag.size(); ++i) {
        if (view.shown[i].lid == bag[i].lid)
            continue;
        std::size_t j = i + 1;
        while (j < bag.size() && view.shown[j].lid != bag[i].lid)
            ++j;
        if (j == bag.size())
            return false;
        list[static_cast<Json::ArrayIndex>(i)].swap(list[static_cast<Json::ArrayIndex>(j)]);
        std::swap(view.shown[i], view.shown[j]);
    }
    for (std::size_t i = 0; i < bag.size(); ++i) {
        BagView::Shown& shown = view.shown[i];
        const ZRKWorld::Item& item = bag[i];
        if (shown.bag == item.bag && shown.slot == item.slot && shown.bind == item.bind)
            continue;
        Json::Value& entry = list[static_cast<Json::ArrayIndex>(i)];
        entry[Json::StaticString("bag")] = item.bag;
        entry[Json::StaticString("pci_slot")] = item.slot;
        entry[Json::StaticString("pci_bind")] = item.bind;
        shown = BagView::Shown{item.lid, item.bag, item.slot, item.bind};
    }
    return true;
}

bool ZRKWorldInventory::moveItems(const std::string& player, const std::vector<std::pair<int, int>>& moves,
                                  std::string& refusal, std::vector<int>* changed)
{
    const ZRKWorld::Player* owner = mWorld.player(player);
    if (!owner) {
        refusal = "error/srv_no_person";
        return false;
    }
    const ZRKWorld::Player self = *owner; // the checks below may read the world's caches
    // Every move is tried on the bag as known first: a refusal leaves the world untouched.
    std::vector<ZRKWorld::Item> bag = items(player);
    struct Place {
        int slot, bind;
    };
    std::vector<Place> before; // where each item was
    before.reserve(bag.size());
    for (const ZRKWorld::Item& i : bag)
        before.push_back(Place{i.slot, i.bind});
    auto at = [&bag](int slot) {
        for (std::size_t i = 0; i < bag.size(); ++i)
            if (bag[i].slot == slot)
                return static_cast<int>(i);
        return -1;
    };
    // An item landing on a worn slot must be made for it, and is bound by wearing it.
    auto land = [this, &bag, &self](int index, int slot) {
        ZRKWorld::Item& item = bag[static_cast<std::size_t>(index)];
        if (!fits(item.id, slot, self))
            return false;
        item.slot = slot;
        if (ZRKBagLayout::bagOf(slot) == ZRKBagLayout::Worn)
            item.bind = 1;
        return true;
    };
    for (const auto& move : moves) {
        const int from = move.first;
        const int to = move.second;
        if (ZRKBagLayout::bagOf(from) < 0 || ZRKBagLayout::bagOf(to) < 0 || from == to) {
            refusal = "error/srv_slot";
            return false;
        }
        const int moving = at(from);
        if (moving < 0) {
            refusal = "error/srv_no_item";
            return false;
        }
        const int there = at(to);
        if (!land(moving, to) || (there >= 0 && !land(there, from))) {
            refusal = ZRKBagLayout::bagOf(to) == ZRKBagLayout::Worn || ZRKBagLayout::bagOf(from) == ZRKBagLayout::Worn
                          ? "error/srv_wear"
                          : "error/srv_slot";
            return false;
        }
    }
    if (changed) {
        std::vector<int> slots;
        for (std::size_t i = 0; i < bag.size(); ++i)
            if (bag[i].slot != before[i].slot || bag[i].bind != before[i].bind) {
                slots.push_back(before[i].slot);
                slots.push_back(bag[i].slot);
            }
        std::sort(slots.begin(), slots.end());
        slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
        *changed = slots;
    }
    for (std::size_t i = 0; i < bag.size(); ++i)
        if (bag[i].bind != before[i].bind) {
            ZRKDatabase::Statement& q = mDb.prepare("UPDATE inventory SET bind = ? WHERE lid = ?");
            q.bind(1, bag[i].bind).bind(2, bag[i].lid);
            if (!q.run()) {
                mWorld.forget(player);
                refusal = "error/srv_slot";
                return false;
            }
        }
    // Then the items that ended elsewhere are written, each once its place is free; items that
    // wait on each other (a swap) go through a slot in no bag (0 and below) first, so that no two
    // items ever share a slot.
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < bag.size(); ++i)
        if (bag[i].slot != before[i].slot)
            pending.push_back(i);
    std::vector<int> held(before.size()); // each item's slot as written so far
    for (std::size_t i = 0; i < before.size(); ++i)
        held[i] = before[i].slot;
    auto free = [&held](int slot) { return std::find(held.begin(), held.end(), slot) == held.end(); };
    auto place = [this, &bag, &held](std::size_t i, int slot) {
        held[i] = slot;
        // One row at a time: nothing for a statement journal to keep.
        ZRKDatabase::Statement& q = mDb.prepare("UPDATE OR FAIL inventory SET slot = ?, bag = ? WHERE lid = ?");
        q.bind(1, slot).bind(2, ZRKBagLayout::bagOf(slot)).bind(3, bag[i].lid);
        return q.run();
    };
    bool written = true;
    int aside = 0;
    while (!pending.empty() && written) {
        bool progress = false;
        for (auto it = pending.begin(); it != pending.end() && written;)
            if (free(bag[*it].slot)) {
                written = place(*it, bag[*it].slot);
                bag[*it].bag = ZRKBagLayout::bagOf(bag[*it].slot);
                it = pending.erase(it);
                progress = true;
            } else {
                ++it;
            }
        if (!progress && written)
            written = place(pending.front(), aside--);
    }
    if (!written) {
        mWorld.forget(player); // the caller's transaction, rolled back, takes the rest back
        refusal = "error/srv_slot";
        return false;
    }
    std::sort(bag.begin(), bag.end(), [](const ZRKWorld::Item& a, const ZRKWorld::Item& b) { return a.slot < b.slot; });
    ++mInventoryTime;
    // The bag's view follows in place: the same entries in their new order, their places changed.
    // When replies still hold it, an older one let go since is brought up to date instead.
    auto views = mViews.find(player);
    if (views != mViews.end()) {
        BagViews& kept = views->second;
        BagView view;
        if (kept.current.free()) {
            view = std::move(kept.current);
        } else {
            auto free = std::find_if(kept.spares.begin(), kept.spares.end(), [](const BagView& v) { return v.free(); });
            if (free != kept.spares.end()) {
                view = std::move(*free);
                kept.spares.erase(free);
            }
            if (kept.current.value) {
                if (kept.spares.size() >= kSpareBagViews)
                    kept.spares.erase(kept.spares.begin());
                kept.spares.push_back(std::move(kept.current));
            }
        }
        kept.current = BagView(); // none free: made afresh when next asked for
        if (view.value && syncBagView(view, bag)) {
            (*view.value)[Json::StaticString("time")] = ZRKWorld::big(mInventoryTime);
            kept.current = std::move(view);
        }
    }
    mItems[player] = std::move(bag);
    return true;
}

void ZRKWorldInventory::bagChanged(const std::string& player)
{
    mItems.erase(player);
    mViews.erase(player);
    ++mInventoryTime;
}

bool ZRKWorldInventory::writeItem(const std::string& player, const ZRKWorld::Item& item)
{
    bagChanged(player);
    if (item.count <= 0) {
        ZRKDatabase::Statement& q = mDb.prepare("DELETE FROM inventory WHERE lid = ? AND player = ?");
        q.bind(1, item.lid).bind(2, player);
        return q.run() && mDb.changes() == 1;
    }
    ZRKDatabase::Statement& q = mDb.prepare(
        "UPDATE inventory SET lv = ?1, count = ?2, pci_str = ?3, pci_luck = ?4, pci_dex = ?5, pci_vit = ?6, "
        "mix_times = ?7, mix_max = ?8, enh_f = ?9, attr_x = ?10, buy_time = ?13, expiry_day = ?14 "
        "WHERE lid = ?11 AND player = ?12");
    q.bind(1, static_cast<long long>(item.lv)).bind(2, item.count);
    for (int b = 0; b < 4; ++b)
        q.bind(3 + b, item.bonus[b]);
    q.bind(7, item.mixTimes).bind(8, item.mixMax).bind(9, item.enhF).bind(10, item.attrX).bind(11, item.lid);
    q.bind(12, player).bind(13, item.buyTime).bind(14, static_cast<long long>(item.expiryDay));
    return q.run() && mDb.changes() == 1;
}

bool ZRKWorldInventory::addItem(const std::string& player, ZRKWorld::Item& item)
{
    bagChanged(player);
    ZRKDatabase::Statement& q =
        mDb.prepare("INSERT INTO inventory(player, i_id, bag, slot, count, bind, lv, pci_str, pci_luck, pci_dex, "
                    "pci_vit, mix_times, "
                    "mix_max, enh_f, attr_x, buy_time, expiry_day) "
                    "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)");
    q.bind(1, player).bind(2, item.id).bind(3, static_cast<long long>(ZRKBagLayout::bagOf(item.slot)));
    q.bind(4, static_cast<long long>(item.slot)).bind(5, item.count).bind(6, static_cast<long long>(item.bind));
    q.bind(7, static_cast<long long>(item.lv));
    for (int b = 0; b < 4; ++b)
        q.bind(8 + b, item.bonus[b]);
    q.bind(12, item.mixTimes).bind(13, item.mixMax).bind(14, item.enhF).bind(15, item.attrX);
    q.bind(16, item.buyTime).bind(17, static_cast<long long>(item.expiryDay));
    if (!q.run())
        return false;
    item.lid = mDb.lastInsertId();
    item.bag = ZRKBagLayout::bagOf(item.slot);
    return true;
}

bool ZRKWorldInventory::placeItem(const std::string& player, long long lid, int slot)
{
    bagChanged(player);
    ZRKDatabase::Statement& q = mDb.prepare("UPDATE inventory SET bag = ?1, slot = ?2 WHERE lid = ?3 AND player = ?4");
    q.bind(1, static_cast<long long>(ZRKBagLayout::bagOf(slot))).bind(2, static_cast<long long>(slot)).bind(3, lid);
    q.bind(4, player);
    return q.run() && mDb.changes() == 1;
}

int ZRKWorldInventory::freeSlot(const std::string& player, bool temporaryToo)
{
    const ZRKWorld::Player* p = mWorld.player(player);
    if (!p)
        return 0;
    std::set<int> taken;
    for (const ZRKWorld::Item& i : items(player))
        taken.insert(i.slot);
    const int last = ZRKBagLayout::kMainFirst + bagSlots(*p);
    for (int s = ZRKBagLayout::kMainFirst; s < last; ++s)
        if (!taken.count(s))
            return s;
    if (temporaryToo)
        for (int s = ZRKBagLayout::kTemporaryFirst; s < ZRKBagLayout::kTemporaryFirst + ZRKBagLayout::kTemporarySize;
             ++s)
            if (!taken.count(s))
                return s;
    return 0;
}

void ZRKWorldInventory::forget(const std::string& player)
{
    mItems.erase(player);
    mViews.erase(player);
}

void ZRKWorldInventory::forgetAll()
{
    mItems.clear();
    mViews.clear();
}

} // namespace zrk
} // namespace kavri3D
