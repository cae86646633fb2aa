#include "server/ZRKForgeOps.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>

#include "data/ZRKBagLayout.h"
#include "server/ZRKForge.h"
#include "server/ZRKServerCall.h"
#include "server/ZRKServerCore.h"
#include "server/ZRKServerOps.h"
#include "server/ZRKWorld.h"

namespace kavri3D {
namespace zrk {

namespace {

typedef ZRKWorld::Item Item;
typedef ZRKForge::Stone Stone;

// More enhancement stones than this at once is no request of the forge screen.
const unsigned kMaxStones = 8;
// The item classes the forge works on (res/server/itemclasses.json).
const int kOutfitClass = 3;
const int kWeaponClass = 2;
const int kMaxHoles = 5;

/// What one forge request would do, as its check found it. A refusal (the request itself is
/// unsound) leaves `refusal` set; a sound request the player cannot afford or that cannot be
/// done now has `can` false and says why in `cannot`.
struct Plan {
    std::string refusal; ///< message key
    std::string why;     ///< for the log
    bool can = true;
    std::string cannot; ///< message key
    long long cost = 0;
    double rate1 = 1.0, rate2 = 0.0, rate3 = 0.0; ///< gain, no change, loss
    bool draws = true;
    bool safe = false;         ///< enhance: a safety stone keeps the level on a failure
    Item item;                 ///< the item worked on, as it stands
    std::vector<int> consumed; ///< bag slots that each lose one
    long long second = -1;     ///< mix: the slot of the item used up
    long long product = 0;     ///< refine: the item kind made
    int productSlot = 0;       ///< refine: where it goes
    const ZRKForge::Mix* mix = nullptr;
    std::vector<long long> gems;       ///< enchase: the gem kinds, one per hole (0: left)
    long long bonus[4] = {0, 0, 0, 0}; ///< enchase: what the gems add
    std::string desc;                  ///< refine: the product's name

    bool refuse(const char* key, const std::string& reason)
    {
        refusal = key;
        why = reason;
        return false;
    }
    void cannotDo(const char* key)
    {
        if (can) {
            can = false;
            cannot = key;
        }
    }
};

/// The player's bag as the check sees it.
struct Bag {
    const ZRKWorld::Player* owner = nullptr;
    std::vector<Item> items;
    std::map<long long, long long> used; ///< how often each slot was named so far

    const Item* at(long long slot) const
    {
        for (const Item& i : items)
            if (i.slot == slot)
                return &i;
        return nullptr;
    }
    bool inBag(long long slot, ZRKWorld& world) const
    {
        return slot >= ZRKBagLayout::kMainFirst && slot < ZRKBagLayout::kMainFirst + world.bagSlots(*owner);
    }
};

/// A slot of the bag proper holding an item, named once; null (refused) otherwise.
const Item* takeSlot(ZRKServerCall& call, Bag& bag, Plan& plan, const Json::Value& v)
{
    long long slot = 0;
    if (!ZRKServerCall::readNumber(v, slot)) {
        plan.refuse("error/srv_bad_request", "a slot is not a whole number");
        return nullptr;
    }
    if (!bag.inBag(slot, call.world())) {
        plan.refuse("forge/bad_slot", "slot " + std::to_string(slot) + " is not in the bag");
        return nullptr;
    }
    const Item* item = bag.at(slot);
    if (!item) {
        plan.refuse("forge/bad_slot", "slot " + std::to_string(slot) + " is empty");
        return nullptr;
    }
    // A stack may stand on as many places as it has pieces (three metals from one stack of 4).
    if (++bag.used[slot] > std::max(1LL, item->count)) {
        plan.refuse("forge/twice", "slot " + std::to_string(slot) + " is named more often than it holds pieces");
        return nullptr;
    }
    return item;
}

/// A stone of the kind from a bag slot, to be used up; null (refused) otherwise.
const Stone* takeStone(ZRKServerCall& call, Bag& bag, Plan& plan, const Json::Value& v, Stone::Kind kind)
{
    const Item* item = takeSlot(call, bag, plan, v);
    if (!item)
        return nullptr;
    const Stone* stone = call.server.forge().stone(item->id);
    if (!stone || stone->kind != kind) {
        plan.refuse("forge/wrong_stone", "slot " + std::to_string(item->slot) + " holds no stone of that kind");
        return nullptr;
    }
    plan.consumed.push_back(item->slot);
    return stone;
}

/// An optional stone given as a list of none or one.
bool optionalStone(ZRKServerCall& call, Bag& bag, Plan& plan, const Json::Value& list, Stone::Kind kind,
                   const Stone** out)
{
    *out = nullptr;
    if (!list.isArray() || list.size() > 1)
        return plan.refuse("error/srv_bad_request", "a stone list of none or one is wanted");
    if (list.empty())
        return true;
    *out = takeStone(call, bag, plan, list[0], kind);
    return *out != nullptr;
}

/// A luck stone given as a slot, 0 or less for none.
bool luckBySlot(ZRKServerCall& call, Bag& bag, Plan& plan, const Json::Value& v, const Stone** out)
{
    *out = nullptr;
    long long slot = 0;
    if (!ZRKServerCall::readNumber(v, slot))
        return plan.refuse("error/srv_bad_request", "the luck stone's slot is not a whole number");
    if (slot <= 0)
        return true;
    *out = takeStone(call, bag, plan, v, Stone::Luck);
    return *out != nullptr;
}

/// The item worked on: a piece of equipment (an outfit or a weapon) alone in its bag slot.
bool takeEquipment(ZRKServerCall& call, Bag& bag, Plan& plan, const Json::Value& v, Item& out)
{
    const Item* item = takeSlot(call, bag, plan, v);
    if (!item)
        return false;
    const Json::Value& attrs = call.world().itemAttrs(item->id);
    const Json::Value& ic = attrs.isObject() ? attrs["ic_id"] : Json::Value::nullSingleton();
    if (!ic.isInt() || (ic.asInt() != kOutfitClass && ic.asInt() != kWeaponClass) || item->count != 1)
        return plan.refuse("forge/not_equipment", "slot " + std::to_string(item->slot) + " holds no equipment");
    out = *item;
    return true;
}

double clampRate(double r) { return std::isfinite(r) ? std::max(0.0, std::min(1.0, r)) : 0.0; }

/// The chances of gain, no change and loss of every forge action: one function, so the
/// preview shows what the perform draws.
void setRates(Plan& plan, double gain, bool canLose)
{
    plan.rate1 = clampRate(gain);
    plan.rate2 = canLose ? 0.0 : 1.0 - plan.rate1;
    plan.rate3 = canLose ? 1.0 - plan.rate1 : 0.0;
}

std::string itemName(ZRKServerCall& call, long long id)
{
    const Json::Value& attrs = call.world().itemAttrs(id);
    return attrs.isObject() && attrs["i_name"].isString() ? attrs["i_name"].asString() : std::to_string(id);
}

int holesOf(ZRKServerCall& call, long long id)
{
    const Json::Value& attrs = call.world().itemAttrs(id);
    const Json::Value& holes = attrs.isObject() ? attrs["i_holes"] : Json::Value::nullSingleton();
    return holes.isInt() ? std::max(0, std::min(kMaxHoles, holes.asInt())) : 0;
}

/// The gems an item holds, one per hole ("7201,0,0"); what cannot be read counts as empty.
std::vector<long long> gemsOf(const Item& item, int holes)
{
    std::vector<long long> gems(static_cast<std::size_t>(holes), 0);
    std::stringstream in(item.attrX);
    std::string part;
    for (int h = 0; h < holes && std::getline(in, part, ','); ++h) {
        long long id = 0;
        if (ZRKServerCall::readNumber(Json::Value(part), id) && id > 0)
            gems[static_cast<std::size_t>(h)] = id;
    }
    return gems;
}

// The four actions' checks: each reads its arguments, finds the item and stones in the bag
// and fills the plan; false when the request is refused.

bool checkEnhance(ZRKServerCall& call, Bag& bag, Plan& plan, bool perform)
{
    const Json::Value& args = call.request.args;
    if (!args.isObject())
        return plan.refuse("error/srv_bad_request", "no enhance request");
    if (!takeEquipment(call, bag, plan, args["pci_slot"], plan.item))
        return false;
    const Json::Value& stones = args["eh_stone"];
    if (!stones.isArray() || stones.empty() || stones.size() > kMaxStones)
        return plan.refuse("error/srv_bad_request", "1 to 8 enhancement stones are wanted");
    double gain = 0.0;
    for (const Json::Value& s : stones) {
        const Stone* stone = takeStone(call, bag, plan, s, Stone::Enhance);
        if (!stone)
            return false;
        gain += stone->enhance;
    }
    const Stone* luck = nullptr;
    const Stone* safety = nullptr;
    if (!optionalStone(call, bag, plan, args["luck_stone"], Stone::Luck, &luck))
        return false;
    // The screen's preview carries no safety stone; a perform without one has an empty list.
    const Json::Value& safe = args["safe_stone"];
    if ((perform || !safe.isNull()) && !optionalStone(call, bag, plan, safe, Stone::Safety, &safety))
        return false;
    plan.safe = safety != nullptr;
    const ZRKForge::Level* level = call.server.forge().level(plan.item.lv);
    if (!level) {
        plan.cannotDo("forge/max_level");
        setRates(plan, 0.0, false);
        return true;
    }
    plan.cost = level->cost;
    setRates(plan, level->rate + gain + (luck ? luck->luck : 0.0), !plan.safe && plan.item.lv > 0);
    return true;
}

bool checkRefine(ZRKServerCall& call, Bag& bag, Plan& plan, bool)
{
    const Json::Value& args = call.request.args;
    const Json::Value& metals = args.isObject() ? args["metal"] : Json::Value::nullSingleton();
    if (!metals.isArray() || metals.size() != 3)
        return plan.refuse("error/srv_bad_request", "three metals are wanted");
    int grade = 0;
    for (const Json::Value& m : metals) {
        const Stone* metal = takeStone(call, bag, plan, m, Stone::Metal);
        if (!metal)
            return false;
        if (grade != 0 && metal->grade != grade)
            return plan.refuse("forge/wrong_stone", "the metals are of different grades");
        grade = metal->grade;
    }
    const Stone* luck = nullptr;
    if (!optionalStone(call, bag, plan, args["luck_stone"], Stone::Luck, &luck))
        return false;
    const ZRKForge::Refine* refine = call.server.forge().refine(grade);
    plan.product = call.server.forge().metal(grade + 1);
    if (!refine || plan.product == 0)
        return plan.refuse("forge/wrong_stone", "metals of grade " + std::to_string(grade) + " refine no further");
    plan.desc = itemName(call, plan.product);
    plan.cost = refine->cost;
    setRates(plan, refine->rate + (luck ? luck->luck : 0.0), true);
    // The product goes to the first slot free once the stones are used up.
    for (int slot = ZRKBagLayout::kMainFirst; plan.productSlot == 0 && bag.inBag(slot, call.world()); ++slot) {
        const Item* there = bag.at(slot);
        const bool emptied = there && std::count(plan.consumed.begin(), plan.consumed.end(), slot) >= there->count;
        if (!there || emptied)
            plan.productSlot = slot;
    }
    if (plan.productSlot == 0)
        plan.cannotDo("forge/bag_full");
    return true;
}

bool checkMix(ZRKServerCall& call, Bag& bag, Plan& plan, bool)
{
    const Json::Value& args = call.request.args;
    long long type = 0;
    if (!args.isArray() || args.size() != 4 || !ZRKServerCall::readNumber(args[1], type))
        return plan.refuse("error/srv_bad_request", "[item, mix type, second item, luck stone] is wanted");
    plan.mix = call.server.forge().mix(type);
    if (!plan.mix)
        return plan.refuse("forge/mix_type", "no mix type " + std::to_string(type));
    if (!takeEquipment(call, bag, plan, args[0], plan.item))
        return false;
    Item second;
    if (!takeEquipment(call, bag, plan, args[2], second))
        return false;
    const Json::Value& a = call.world().itemAttrs(plan.item.id);
    const Json::Value& b = call.world().itemAttrs(second.id);
    if (!(a["isc_id"] == b["isc_id"]))
        return plan.refuse("forge/mix_kind", "the two items are not of one kind");
    for (int k = 0; k < 4; ++k)
        if (plan.mix->passes[k] && plan.item.bonus[k] + second.bonus[k] > ZRKForge::kLimit)
            return plan.refuse("forge/too_much", "a bonus would pass the limit");
    plan.second = second.slot;
    const Stone* luck = nullptr;
    if (!luckBySlot(call, bag, plan, args[3], &luck))
        return false;
    if (plan.item.mixTimes >= plan.item.mixMax)
        plan.cannotDo("forge/mix_full");
    plan.cost = plan.mix->cost;
    setRates(plan, plan.mix->rate + (luck ? luck->luck : 0.0), false);
    std::copy(second.bonus, second.bonus + 4, plan.bonus);
    return true;
}

bool checkEnchase(ZRKServerCall& call, Bag& bag, Plan& plan, bool)
{
    const Json::Value& args = call.request.args;
    if (!args.isArray() || args.size() != 1 + kMaxHoles)
        return plan.refuse("error/srv_bad_request", "[item, five holes] is wanted");
    if (!takeEquipment(call, bag, plan, args[0], plan.item))
        return false;
    const int holes = holesOf(call, plan.item.id);
    plan.gems = gemsOf(plan.item, holes);
    int set = 0;
    for (int h = 0; h < kMaxHoles; ++h) {
        long long slot = 0;
        if (!ZRKServerCall::readNumber(args[h + 1], slot))
            return plan.refuse("error/srv_bad_request", "a hole's entry is not a whole number");
        if (slot <= 0)
            continue;
        if (h >= holes)
            return plan.refuse("forge/no_hole", "the item has no hole " + std::to_string(h + 1));
        if (plan.gems[static_cast<std::size_t>(h)] != 0)
            return plan.refuse("forge/hole_taken", "hole " + std::to_string(h + 1) + " holds a gem");
        const std::size_t before = plan.consumed.size();
        const Stone* gem = takeStone(call, bag, plan, args[h + 1], Stone::Gem);
        if (!gem)
            return false;
        plan.gems[static_cast<std::size_t>(h)] = bag.at(plan.consumed[before])->id;
        for (int k = 0; k < 4; ++k)
            plan.bonus[k] += gem->bonus[k];
        ++set;
    }
    for (int k = 0; k < 4; ++k)
        if (plan.item.bonus[k] + plan.bonus[k] > ZRKForge::kLimit)
            return plan.refuse("forge/too_much", "a bonus would pass the limit");
    if (set == 0)
        plan.cannotDo("forge/no_gem");
    plan.cost = call.server.forge().enchaseCost() * set;
    plan.draws = false;
    setRates(plan, 1.0, false);
    return true;
}

/// What the gems add, as the forge screen shows it ("strength +2, vitality +3").
std::string bonusText(const long long bonus[4])
{
    // In the order of ZRKForge::kBonuses.
    static const char* const kShown[4] = {"strength", "luck", "dexterity", "vitality"};
    std::string out;
    for (int k = 0; k < 4; ++k)
        if (bonus[k] != 0)
            out += (out.empty() ? "" : ", ") + std::string(kShown[k]) + " +" + std::to_string(bonus[k]);
    return out;
}

// The outcomes: each changes the item (or makes the product) and says what happened.
struct Outcome {
    const char* msg = "";
    long long value = 0;
    int result = 1; ///< 1 gain, 2 no change, 3 loss
    int slot = 0;
};

bool applyEnhance(ZRKServerCall& call, Plan& plan, bool success, Outcome& out)
{
    Item& item = plan.item;
    const ZRKForge& forge = call.server.forge();
    if (success) {
        item.enhF += forge.level(item.lv)->enhF;
        ++item.lv;
        out.msg = "forge/enhance_up";
    } else if (plan.safe || item.lv == 0) {
        out.msg = "forge/enhance_same";
        out.result = 2;
    } else {
        --item.lv;
        item.enhF = std::max(0LL, item.enhF - forge.level(item.lv)->enhF);
        out.msg = "forge/enhance_down";
        out.result = 3;
    }
    out.value = item.lv;
    return out.result == 2 || call.world().writeItem(call.player, item);
}

bool applyRefine(ZRKServerCall& call, Plan& plan, bool success, Outcome& out)
{
    out.msg = success ? "forge/refine_ok" : "forge/refine_fail";
    out.result = success ? 1 : 3;
    if (!success)
        return true;
    Item made;
    made.id = plan.product;
    made.slot = plan.productSlot;
    out.slot = plan.productSlot;
    out.value = plan.product;
    return call.world().addItem(call.player, made);
}

bool applyMix(ZRKServerCall& call, Plan& plan, bool success, Outcome& out)
{
    Item gone;
    gone.slot = static_cast<int>(plan.second);
    for (const Item& i : call.world().items(call.player))
        if (i.slot == plan.second)
            gone = i;
    gone.count = 0; // the second item goes either way
    if (!call.world().writeItem(call.player, gone))
        return false;
    out.msg = success ? "forge/mix_ok" : "forge/mix_fail";
    out.result = success ? 1 : 2;
    if (success) {
        for (int k = 0; k < 4; ++k)
            if (plan.mix->passes[k])
                plan.item.bonus[k] += plan.bonus[k];
        ++plan.item.mixTimes;
    }
    out.value = plan.item.mixTimes;
    return !success || call.world().writeItem(call.player, plan.item);
}

bool applyEnchase(ZRKServerCall& call, Plan& plan, bool, Outcome& out)
{
    std::string attrX;
    long long set = 0;
    for (std::size_t h = 0; h < plan.gems.size(); ++h) {
        attrX += (h ? "," : "") + std::to_string(plan.gems[h]);
        set += plan.gems[h] != 0;
    }
    plan.item.attrX = attrX;
    for (int k = 0; k < 4; ++k)
        plan.item.bonus[k] += plan.bonus[k];
    out.msg = "forge/enchase_ok";
    out.value = set;
    return call.world().writeItem(call.player, plan.item);
}

struct Action {
    const char* previewView;
    const char* performView;
    bool (*check)(ZRKServerCall&, Bag&, Plan&, bool perform);
    bool (*apply)(ZRKServerCall&, Plan&, bool success, Outcome&);
};
const Action kEnhance = {"forge/ifEnhance", "forge/enhance", &checkEnhance, &applyEnhance};
const Action kRefine = {"forge/ifRefine", "forge/refine", &checkRefine, &applyRefine};
const Action kMix = {"forge/ifMix", "forge/mix", &checkMix, &applyMix};
const Action kEnchase = {"forge/ifEnchase", "forge/enchase", &checkEnchase, &applyEnchase};

/// A refusal: an error reply whose view says so too, and nothing changed.
void refuse(ZRKServerCall& call, const char* view, const std::string& key, const std::string& why)
{
    call.refuse(key, why);
    Json::Value& v = call.views[view] = Json::Value(Json::objectValue);
    v["ERR"] = true;
    v["MSG"] = call.text;
    v["nValue"] = 0;
}

/// Checks the request as the action says; false (refused) when it is unsound or the forge closed.
bool plan(ZRKServerCall& call, const Action& action, const char* view, bool perform, Bag& bag, Plan& p)
{
    if (!call.server.forge().isOpen()) {
        refuse(call, view, "forge/closed", "the forge has no numbers (forge.json)");
        return false;
    }
    bag.owner = call.world().player(call.player);
    if (!bag.owner) {
        refuse(call, view, "error/srv_no_person", "the player " + call.player + " is not in the world");
        return false;
    }
    bag.items = call.world().items(call.player);
    if (!action.check(call, bag, p, perform)) {
        refuse(call, view, p.refusal, p.why);
        return false;
    }
    if (p.cost > bag.owner->money[ZRKWorld::Coins])
        p.cannotDo("warning/no_enough_zaobi");
    return true;
}

Json::Int64 big(long long v) { return static_cast<Json::Int64>(v); }

void preview(ZRKServerCall& call, const Action& action)
{
    Bag bag;
    Plan p;
    if (!plan(call, action, action.previewView, false, bag, p))
        return;
    Json::Value& v = call.views[action.previewView] = Json::Value(Json::objectValue);
    v["can"] = p.can;
    v["money"] = big(p.cost);
    v["rate"] = p.rate1;
    v["rate1"] = p.rate1;
    v["rate2"] = p.rate2;
    v["rate3"] = p.rate3;
    v["rate_f"] = static_cast<int>(std::lround(p.rate1 * 100.0));
    v["ERR"] = false;
    v["MSG"] = p.can ? std::string() : call.server.text(p.cannot);
    if (&action == &kEnhance)
        v["nValue"] = p.can ? p.item.lv + 1 : p.item.lv;
    else if (&action == &kRefine)
        v["nValue"] = big(p.product);
    else if (&action == &kMix)
        v["nValue"] = big(p.item.mixTimes + (p.can ? 1 : 0));
    else
        v["nValue"] = static_cast<int>(p.consumed.size());
    v["desc"] = p.desc;
    v["ecf"] = bonusText(p.bonus);
}

void perform(ZRKServerCall& call, const Action& action)
{
    Bag bag;
    Plan p;
    if (!plan(call, action, action.performView, true, bag, p))
        return;
    if (!p.can)
        return refuse(call, action.performView, p.cannot, "it cannot be done now");
    std::string refusal;
    if (p.cost > 0 && !call.world().addMoney(call.player, ZRKWorld::Coins, -p.cost, refusal))
        return refuse(call, action.performView, refusal, "the money is not there");
    // A stack named on several places drops once for each.
    std::map<int, long long> uses;
    for (int slot : p.consumed)
        ++uses[slot];
    for (const auto& use : uses) {
        Item stone = *bag.at(use.first);
        stone.count = std::max(0LL, stone.count - use.second); // an emptied slot is freed
        if (!call.world().writeItem(call.player, stone))
            return refuse(call, action.performView, "error/unknow_wrong", "a stone could not be used up");
    }
    // Drawn once, here inside the transaction, at the chance the preview showed.
    const bool success = !p.draws || call.server.random().uniform() < p.rate1;
    Outcome out;
    if (!action.apply(call, p, success, out))
        return refuse(call, action.performView, "error/unknow_wrong", "the item could not be changed");
    Json::Value& v = call.views[action.performView] = Json::Value(Json::objectValue);
    v["ERR"] = false;
    v["MSG"] = call.server.text(out.msg);
    v["nValue"] = big(out.value);
    v["result"] = out.result;
    v["slot"] = out.slot;
    call.views["inventory"] = call.world().inventoryView(call.player);
}

void queryIfEnhance(ZRKServerCall& call) { preview(call, kEnhance); }
void queryEnhance(ZRKServerCall& call) { perform(call, kEnhance); }
void queryIfRefine(ZRKServerCall& call) { preview(call, kRefine); }
void queryRefine(ZRKServerCall& call) { perform(call, kRefine); }
void queryIfMix(ZRKServerCall& call) { preview(call, kMix); }
void queryMix(ZRKServerCall& call) { perform(call, kMix); }
void queryIfEnchase(ZRKServerCall& call) { preview(call, kEnchase); }
void queryEnchase(ZRKServerCall& call) { perform(call, kEnchase); }

} // namespace

void ZRKForgeOps::addTo(ZRKServerOps& ops)
{
    const unsigned reads = ZRKServerOps::NeedsPlayer;
    const unsigned changes = ZRKServerOps::NeedsPlayer | ZRKServerOps::Changes;
    ops.add("queryIfEnhance", &queryIfEnhance, reads);
    ops.add("queryEnhance", &queryEnhance, changes);
    ops.add("queryIfRefine", &queryIfRefine, reads);
    ops.add("queryRefine", &queryRefine, changes);
    ops.add("queryIfMix", &queryIfMix, reads);
    ops.add("queryMix", &queryMix, changes);
    ops.add("queryIfEnchase", &queryIfEnchase, reads);
    ops.add("queryEnchase", &queryEnchase, changes);
}

} // namespace zrk
} // namespace kavri3D
