#include "server/ZRKBoxOps.h"

#include <algorithm>
#include <climits>
#include <set>
#include <yake/Logger.h>

#include "data/ZRKBagLayout.h"
#include "server/ZRKItemStacks.h"
#include "server/ZRKLobby.h"
#include "server/ZRKPlayerOps.h"
#include "server/ZRKServerCall.h"
#include "server/ZRKServerCore.h"
#include "server/ZRKServerOps.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;

typedef ZRKWorld::Item Item;
typedef ZRKBoxes::Award Award;

const yake::logging::Channel logLine("ZRKGameServer");

Json::Int64 big(long long v) { return static_cast<Json::Int64>(v); }

const Json::Value& attr(ZRKWorld& world, long long itemId, const char* key)
{
    const Json::Value& attrs = world.itemAttrs(itemId);
    return attrs.isObject() ? attrs[key] : Json::Value::nullSingleton();
}

long long attrNumber(ZRKWorld& world, long long itemId, const char* key, long long fallback)
{
    long long v = fallback;
    return ZRKServerCall::readNumber(attr(world, itemId, key), v) ? v : fallback;
}

/// The first slot of the bag proper (else of the temporary bag) that holds nothing; 0 for none.
int freeSlot(ZRKWorld& world, const std::string& player) { return world.freeSlot(player, true); }

/// Gives one award; false, with the message key, when it cannot be given.
bool grant(ZRKWorld& world, const std::string& player, const Award& a, std::string& refusal)
{
    switch (a.type) {
    case 1:
    case 2:
    case 3:
        return world.addMoney(player, static_cast<ZRKWorld::MoneyKind>(a.type - 1), a.num, refusal);
    case 4: {
        const ZRKWorld::Player* p = world.player(player);
        if (!p) {
            refusal = "error/srv_no_person";
            return false;
        }
        Json::Value settings = ZRKWorld::Player::doc(p->settings);
        if (!settings.isObject())
            settings = Json::Value(Json::objectValue);
        long long score = 0;
        ZRKServerCall::readNumber(settings["pc_score"], score);
        settings["pc_score"] = big(std::min(score + a.num, ZRKBoxes::kLimit * 10));
        return world.setSettings(player, settings) || (refusal = "error/unknow_wrong", false);
    }
    case 5:
        return world.addExperience(player, a.num) || (refusal = "error/srv_no_person", false);
    case 6: {
        if (world.itemAttrs(a.id).isNull()) {
            refusal = "error/unknow_wrong";
            return false;
        }
        Item item;
        item.id = a.id;
        item.count = a.num;
        item.slot = freeSlot(world, player);
        if (item.slot == 0) {
            refusal = "box/no_room";
            return false;
        }
        return world.addItem(player, item) || (refusal = "error/unknow_wrong", false);
    }
    default:
        refusal = "error/unknow_wrong";
        return false;
    }
}

Json::Value awardRow(int index, const Award& a)
{
    Json::Value row(Json::objectValue);
    row["bi_index"] = index;
    row["bi_type"] = a.type;
    row["bi_id"] = big(a.id);
    row["bi_num"] = big(a.num);
    row["bi_expire"] = 0;
    return row;
}

/// A slot of the bag proper, read from a request value; 0 when it is none.
int bagSlot(ZRKServerCall& call, const Json::Value& v)
{
    long long slot = 0;
    const ZRKWorld::Player* p = call.world().player(call.player);
    if (!p || !ZRKServerCall::readNumber(v, slot) || slot < ZRKBagLayout::kMainFirst ||
        slot >= ZRKBagLayout::kMainFirst + call.world().bagSlots(*p))
        return 0;
    return static_cast<int>(slot);
}

const Item* itemAt(const std::vector<Item>& items, int slot)
{
    for (const Item& i : items)
        if (i.slot == slot)
            return &i;
    return nullptr;
}

/// One of a stack used up: its slot is freed when it was the last.
bool useOne(ZRKWorld& world, const std::string& player, Item item)
{
    --item.count;
    return world.writeItem(player, item);
}

/// A refusal whose view says so too.
void refuse(ZRKServerCall& call, const char* view, const std::string& key, const std::string& why)
{
    call.refuse(key, why);
    if (!view)
        return;
    Json::Value& v = call.views[view] = Json::Value(Json::objectValue);
    v["ERR"] = true;
    v["MSG"] = call.text;
}

void answered(ZRKServerCall& call, const char* view)
{
    if (view) {
        Json::Value& v = call.views[view] = Json::Value(Json::objectValue);
        v["ERR"] = false;
        v["MSG"] = std::string();
    }
    call.views["pc"] = call.world().playerView(call.player, ZRKWorld::PcView);
    call.share("inventory", call.world().sharedInventoryView(call.player));
}

bool boxesOpen(ZRKServerCall& call, const char* view)
{
    if (call.server.boxes().isOpen())
        return true;
    refuse(call, view, "box/closed", "no numbers for boxes (boxes.json)");
    return false;
}

// ---- Prize boxes ----

/// Tells every member of the room the offers at his own prices.
void tellOffers(ZRKServerCore& server, const ZRKPrizeBoxes::Battle& battle)
{
    const ZRKLobby::Room* r = server.lobby().findRoom(battle.room);
    if (!r)
        return;
    for (const std::string& m : r->members) {
        Json::Value extra(Json::objectValue);
        extra["boxes"] = ZRKPrizeBoxes::offersView(server.boxes(), battle, m);
        if (battle.pve)
            extra["ds_next"] = 2;
        server.lobby().tellStateTo(battle.room, m, extra);
    }
}

/// Opens box `index` for the player, free or paid, inside the caller's transaction; the
/// award's row, or false with the message key.
bool openPrize(ZRKServerCore& server, ZRKPrizeBoxes::Battle& battle, const std::string& player, int index,
               std::string& refusal, Json::Value& row)
{
    const ZRKPrizeBoxes::Price price = ZRKPrizeBoxes::priceFor(server.boxes(), battle, player, index);
    if (price.kind != 0 &&
        !server.world().addMoney(player, static_cast<ZRKWorld::MoneyKind>(price.kind - 1), -price.price, refusal))
        return false;
    const ZRKPrizeBoxes::Offer& offer = battle.offers[static_cast<std::size_t>(index)];
    if (!grant(server.world(), player, offer.loot, refusal))
        return false;
    row = awardRow(index + 1, offer.loot);
    return true;
}

/// The box is the player's now: the opening used (a free one), the room told his award first
/// in his list and everyone the offers as they stand.
void markOpened(ZRKServerCore& server, const std::string& room, const std::string& player, int index, bool free,
                const Json::Value& row)
{
    ZRKPrizeBoxes::Battle* battle = server.prizeBoxes().find(room);
    if (!battle)
        return;
    battle->offers[static_cast<std::size_t>(index)].openedBy = player;
    auto f = battle->fighters.find(player);
    if (free && f != battle->fighters.end())
        f->second.openings = std::max(0, f->second.openings - 1);
    Json::Value values(Json::objectValue);
    Json::Value awards(Json::arrayValue);
    awards.append(row);
    const ZRKLobby::Room* r = server.lobby().findRoom(room);
    auto old = r ? r->battle.find(player) : std::map<std::string, Json::Value>::const_iterator();
    if (r && old != r->battle.end() && old->second["award"].isArray())
        for (const Json::Value& a : old->second["award"])
            if (awards.size() < 64)
                awards.append(a);
    values["award"] = awards;
    values["boxCount"] = f != battle->fighters.end() ? f->second.openings : 0;
    server.lobby().setBattleValues(room, player, values);
    tellOffers(server, *battle);
}

/// {"idx": the box, "id": the offer's id as shown}: the player's battle, the box closed, the id
/// current; a free box takes his opening, another its price.
void openBox(ZRKServerCall& call)
{
    if (!boxesOpen(call, nullptr))
        return;
    const Json::Value& args = call.request.args;
    long long idx = -1, id = -1;
    if (!args.isObject() || !ZRKServerCall::readNumber(args["idx"], idx) || !ZRKServerCall::readNumber(args["id"], id))
        return call.refuse("error/srv_bad_request", "no box index and id");
    const std::string room = call.lobby().gameRoomOf(call.player);
    ZRKPrizeBoxes::Battle* battle = room.empty() ? nullptr : call.server.prizeBoxes().find(room);
    if (!battle || !battle->fighters.count(call.player))
        return call.refuse("box/none", call.player + " has no prize boxes to open");
    if (idx < 0 || idx >= static_cast<long long>(battle->offers.size()))
        return call.refuse("error/srv_bad_request", "no box " + std::to_string(idx));
    const int index = static_cast<int>(idx);
    if (!battle->offers[static_cast<std::size_t>(index)].openedBy.empty())
        return call.refuse("box/opened", "box " + std::to_string(index) + " is open already");
    if (id != ZRKPrizeBoxes::idFor(call.server.boxes(), *battle, call.player, index))
        return call.refuse("box/stale", "the id " + std::to_string(id) + " is not the box's price now");
    const bool free = ZRKPrizeBoxes::priceFor(call.server.boxes(), *battle, call.player, index).kind == 0;
    std::string refusal;
    Json::Value row;
    if (!openPrize(call.server, *battle, call.player, index, refusal, row))
        return call.refuse(refusal, "box " + std::to_string(index) + " cannot be opened");
    answered(call, nullptr);
    ZRKServerCore& server = call.server;
    const std::string player = call.player;
    call.committed = [&server, room, player, index, free, row]() {
        markOpened(server, room, player, index, free, row);
    };
}

// ---- The bag's items ----

/// [slot]: a box item of the bag proper; one used up, each of its awards given.
void queryBagOpenBox(ZRKServerCall& call)
{
    const char* view = "bagOpenBox";
    if (!boxesOpen(call, view))
        return;
    const int slot = bagSlot(call, call.arg(0));
    const std::vector<Item> items = call.world().items(call.player);
    const Item* box = slot ? itemAt(items, slot) : nullptr;
    if (!box)
        return refuse(call, view, "item/bad_slot", "no item in that slot of the bag");
    const std::vector<Award>* loot = call.server.boxes().bagBox(box->id);
    if (!loot)
        return refuse(call, view, "box/not_box", "the item " + std::to_string(box->id) + " is no box");
    if (!useOne(call.world(), call.player, *box))
        return refuse(call, view, "error/unknow_wrong", "the box could not be used up");
    Json::Value rows(Json::arrayValue);
    std::string refusal;
    int index = 0;
    for (const Award& a : *loot) {
        if (!grant(call.world(), call.player, a, refusal))
            return refuse(call, view, refusal, "an award of the box cannot be given");
        rows.append(awardRow(++index, a));
    }
    answered(call, view);
    call.views["open_box"]["Item"] = rows;
}

/// The rank price of a card: the six coefficients over the ranks, in 64 bits, 0 to INT_MAX.
long long unlockPrice(const long long* c, long long cur, long long next)
{
    const long double v = static_cast<long double>(c[0]) * next * next + static_cast<long double>(c[1]) * cur * cur +
                          static_cast<long double>(c[2]) * next + static_cast<long double>(c[3]) * cur +
                          static_cast<long double>(c[4]) * next * cur + static_cast<long double>(c[5]);
    return v <= 0 ? 0 : v >= INT_MAX ? INT_MAX : static_cast<long long>(v);
}

/// [slot]: a rank card ("pc_rank" not below the player's) for its price in medals; the rank is
/// his for the days the numbers say, then the one he earned comes back.
void queryBagUnlockRank(ZRKServerCall& call)
{
    const char* view = "bagUnlockRank";
    if (!boxesOpen(call, view))
        return;
    const int slot = bagSlot(call, call.arg(0));
    const std::vector<Item> items = call.world().items(call.player);
    const Item* card = slot ? itemAt(items, slot) : nullptr;
    if (!card)
        return refuse(call, view, "item/bad_slot", "no item in that slot of the bag");
    const long long rank = attrNumber(call.world(), card->id, "pc_rank", -1);
    const ZRKWorld::Player* p = call.world().player(call.player);
    if (rank < 0 || !p)
        return refuse(call, view, "item/not_card", "the item " + std::to_string(card->id) + " is no rank card");
    if (rank < p->rank)
        return refuse(call, view, "item/rank_low", "the card's rank is below the player's");
    const ZRKBoxes& boxes = call.server.boxes();
    const long long price = unlockPrice(boxes.unlockParam(), p->rank, rank);
    const long long lv = p->lv, current = p->rank;
    Json::Value settings = ZRKWorld::Player::doc(p->settings);
    if (!settings.isObject())
        settings = Json::Value(Json::objectValue);
    long long earned = current;
    if (!ZRKServerCall::readNumber(settings["pc_rank_earned"], earned))
        earned = current; // no card lent a rank yet: the one held is earned
    std::string refusal;
    if (price > 0 && !call.world().addMoney(call.player, ZRKWorld::Medals, -price, refusal))
        return refuse(call, view, refusal, "not money enough for the card");
    if (!useOne(call.world(), call.player, *card))
        return refuse(call, view, "error/unknow_wrong", "the card could not be used up");
    settings["pc_rank_earned"] = big(earned);
    settings["pc_rank_until"] = big(static_cast<long long>(call.server.wallTime()) + boxes.unlockDays() * 86400);
    if (!call.world().setSettings(call.player, settings) || !call.world().setGrade(call.player, lv, rank))
        return refuse(call, view, "error/unknow_wrong", "the rank could not be written");
    answered(call, view);
    ZRKServerCore& server = call.server;
    const std::string player = call.player;
    call.committed = [&server, player]() { server.tellGrade(player); };
}

/// The bag proper in class and item order from slot 61, stacks of one kind merged up to their
/// sub-class's stack size whenever their pieces were bought (a merged stack keeps the first buy
/// time; timed items stay apart), the temporary bag moved in where room is; no count changes.
void bagRange(ZRKServerCall& call)
{
    const ZRKWorld::Player* p = call.world().player(call.player);
    if (!p)
        return call.refuse("error/srv_no_person", "no such player");
    const int size = call.world().bagSlots(*p);
    std::vector<Item> bag, temporary;
    for (const Item& i : call.world().items(call.player)) {
        if (i.slot >= ZRKBagLayout::kMainFirst && i.slot < ZRKBagLayout::kMainFirst + ZRKBagLayout::kMainSize)
            bag.push_back(i);
        else if (ZRKBagLayout::bagOf(i.slot) == ZRKBagLayout::Temporary)
            temporary.push_back(i);
    }
    std::vector<Item> all = bag;
    all.insert(all.end(), temporary.begin(), temporary.end());
    ZRKWorld& world = call.world();
    auto key = [&world](const Item& i) { return std::make_pair(attrNumber(world, i.id, "ic_id", 99), i.id); };
    std::stable_sort(all.begin(), all.end(), [&key](const Item& a, const Item& b) {
        if (key(a) != key(b))
            return key(a) < key(b);
        return a.count > b.count;
    });
    // Stacks merge into the first of their kind with room; emptied ones go.
    std::vector<Item> kept;
    for (Item i : all) {
        const long long limit = ZRKItemStacks::limitOf(world, i.id);
        for (Item& k : kept) {
            if (i.count == 0)
                break;
            if (k.id != i.id || !ZRKItemStacks::stackable(k) || !ZRKItemStacks::stackable(i) || k.bind != i.bind ||
                k.count >= limit)
                continue;
            const long long moved = std::min(limit - k.count, i.count);
            k.count += moved;
            i.count -= moved;
            k.buyTime = ZRKItemStacks::firstBought(k.buyTime, i.buyTime);
        }
        if (i.count > 0)
            kept.push_back(i);
        else if (!world.writeItem(call.player, i))
            return call.refuse("error/unknow_wrong", "a merged stack could not go");
    }
    // Out of the way first (one item per slot holds throughout), then to the new places.
    for (const Item& k : kept)
        if (!world.placeItem(call.player, k.lid, static_cast<int>(-k.lid)))
            return call.refuse("error/unknow_wrong", "an item could not be moved");
    int next = ZRKBagLayout::kMainFirst, nextTemporary = ZRKBagLayout::kTemporaryFirst;
    for (const Item& k : kept) {
        const int slot = next < ZRKBagLayout::kMainFirst + size ? next++ : nextTemporary++;
        if (!world.writeItem(call.player, k) || !world.placeItem(call.player, k.lid, slot))
            return call.refuse("error/unknow_wrong", "an item could not be placed");
    }
    answered(call, nullptr);
}

/// [slot, ...]: each a filled slot of the bag proper, none twice, else nothing goes; each item
/// pays its "i_recycle" coins.
void bagDrop(ZRKServerCall& call)
{
    const Json::Value& list = call.request.args;
    if (!list.isArray() || list.empty() || list.size() > 60)
        return call.refuse("error/srv_bad_request", "no list of slots");
    const std::vector<Item> items = call.world().items(call.player);
    std::set<int> named;
    std::vector<Item> gone;
    long long coins = 0;
    for (const Json::Value& v : list) {
        const int slot = bagSlot(call, v);
        const Item* item = slot ? itemAt(items, slot) : nullptr;
        if (!item)
            return call.refuse("item/bad_slot", "a slot of the list holds nothing of the bag");
        if (!named.insert(slot).second)
            return call.refuse("item/twice", "slot " + std::to_string(slot) + " is named twice");
        gone.push_back(*item);
        coins += std::max(0LL, std::min(attrNumber(call.world(), item->id, "i_recycle", 0), ZRKBoxes::kLimit)) *
                 std::min(item->count, ZRKBoxes::kLimit);
    }
    std::string refusal;
    for (Item i : gone) {
        i.count = 0;
        if (!call.world().writeItem(call.player, i))
            return call.refuse("error/unknow_wrong", "an item could not be recycled");
    }
    if (coins > 0 && !call.world().addMoney(call.player, ZRKWorld::Coins, coins, refusal))
        return call.refuse(refusal, "the coins could not be paid");
    answered(call, nullptr);
}

/// [{"slot":..,"type":..,"param":..}]: a function item of that type, one used up: 1 every stat
/// point back, 2 more bag slots (up to the limit), 3 a new nickname under the creation rules.
void queryUseFunItem(ZRKServerCall& call)
{
    const char* view = "useFunItem";
    if (!boxesOpen(call, view))
        return;
    const Json::Value& use = call.arg(0);
    long long type = 0;
    std::string param;
    if (!use.isObject() || !ZRKServerCall::readNumber(use["type"], type) ||
        (!use["param"].isNull() && !ZRKServerCall::readText(use["param"], param)))
        return refuse(call, view, "error/srv_bad_request", "no use of an item");
    const int slot = bagSlot(call, use["slot"]);
    const std::vector<Item> items = call.world().items(call.player);
    const Item* item = slot ? itemAt(items, slot) : nullptr;
    if (!item)
        return refuse(call, view, "item/bad_slot", "no item in that slot of the bag");
    const ZRKBoxes::Function* f = call.server.boxes().function(item->id);
    if (!f || f->type != type)
        return refuse(call, view, "item/not_fun", "the item does not do that");
    const ZRKWorld::Player* p = call.world().player(call.player);
    if (!p)
        return refuse(call, view, "error/srv_no_person", "no such player");
    std::string refusal;
    if (type == 1) {
        if (!call.world().resetAbilities(call.player))
            return refuse(call, view, "error/unknow_wrong", "the stat points could not come back");
    } else if (type == 2) {
        const int now = call.world().bagSlots(*p);
        const int limit = call.server.boxes().bagLimit();
        if (now >= limit)
            return refuse(call, view, "item/bag_max", "the bag is as large as it goes");
        Json::Value settings = ZRKWorld::Player::doc(p->settings);
        if (!settings.isObject())
            settings = Json::Value(Json::objectValue);
        settings["pc_bag_slot"] = static_cast<int>(std::min<long long>(limit, now + f->slots));
        if (!call.world().setSettings(call.player, settings))
            return refuse(call, view, "error/unknow_wrong", "the bag could not grow");
    } else {
        const std::string fault = ZRKPlayerOps::nameFault(param);
        if (!fault.empty())
            return refuse(call, view, fault, "the nickname is not allowed");
        if (call.world().nicknameTaken(param))
            return refuse(call, view, "error/role_name_taken", "the nickname is taken");
        if (!call.world().setNick(call.player, param, refusal))
            return refuse(call, view, refusal, "the nickname could not be written");
    }
    if (!useOne(call.world(), call.player, *item))
        return refuse(call, view, "error/unknow_wrong", "the item could not be used up");
    answered(call, view);
    call.views["userSettings"] = call.world().charactersView(call.player);
}

} // namespace

void ZRKBoxOps::offerPrizes(ZRKServerCore& server, const std::string& room, bool pve, double closeAt,
                            const std::map<std::string, ZRKPrizeBoxes::Fighter>& fighters)
{
    if (!server.boxes().isOpen())
        return;
    const ZRKPrizeBoxes::Battle& battle =
        server.prizeBoxes().open(server.boxes(), room, pve, server.now(), closeAt, fighters, server.random());
    tellOffers(server, battle);
}

void ZRKBoxOps::tick(ZRKServerCore& server, double now)
{
    for (const auto& due : server.prizeBoxes().dueBots(now)) {
        ZRKPrizeBoxes::Battle* battle = server.prizeBoxes().find(due.first);
        const int index = battle ? ZRKPrizeBoxes::freeBoxOf(*battle, due.second) : -1;
        if (index < 0)
            continue; // every box of its side went to others
        ZRKDatabase::Transaction change(server.world().db());
        std::string refusal;
        Json::Value row;
        if (!change.active() || !openPrize(server, *battle, due.second, index, refusal, row) || !change.commit()) {
            logLine(Severity::Warning, due.second + " could not open its prize box: " + refusal);
            continue;
        }
        markOpened(server, due.first, due.second, index, true, row);
    }
}

void ZRKBoxOps::returnRank(ZRKServerCore& server, const std::string& player)
{
    ZRKWorld& world = server.world();
    const ZRKWorld::Player* p = world.isReady() ? world.player(player) : nullptr;
    const Json::Value& settings = p ? ZRKWorld::Player::doc(p->settings) : Json::Value::nullSingleton();
    long long until = 0, earned = 0;
    if (!settings.isObject() || !ZRKServerCall::readNumber(settings["pc_rank_until"], until) ||
        !ZRKServerCall::readNumber(settings["pc_rank_earned"], earned) ||
        server.wallTime() < static_cast<double>(until))
        return;
    Json::Value next = settings;
    next.removeMember("pc_rank_until");
    next.removeMember("pc_rank_earned");
    const long long lv = p->lv;
    ZRKDatabase::Transaction change(world.db());
    if (!change.active() || !world.setSettings(player, next) || !world.setGrade(player, lv, earned) ||
        !change.commit()) {
        logLine(Severity::Error, "the lent rank of " + player + " could not be given back");
        return;
    }
    server.tellGrade(player);
}

void ZRKBoxOps::addTo(ZRKServerOps& ops)
{
    const unsigned changes = ZRKServerOps::NeedsPlayer | ZRKServerOps::Changes;
    ops.add("openBox", &openBox, changes);
    ops.add("queryBagOpenBox", &queryBagOpenBox, changes);
    ops.add("queryBagUnlockRank", &queryBagUnlockRank, changes);
    ops.add("bagRange", &bagRange, changes);
    ops.add("bagDrop", &bagDrop, changes);
    ops.add("queryUseFunItem", &queryUseFunItem, changes);
}

} // namespace zrk
} // namespace kavri3D
