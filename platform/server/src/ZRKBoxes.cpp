#include "server/ZRKBoxes.h"

#include <cmath>
#include <util/JsonText.h>

namespace kavri3D {
namespace zrk {

namespace {

const std::size_t kMaxFile = 1024 * 1024;
const unsigned kMaxEntries = 256;

const Json::Value& member(const Json::Value& object, const char* key)
{
    return object.isObject() ? object[key] : Json::Value::nullSingleton();
}

bool whole(const Json::Value& v, long long lo, long long hi, long long& out)
{
    if (!v.isInt64() || v.asInt64() < lo || v.asInt64() > hi)
        return false;
    out = v.asInt64();
    return true;
}

bool idOf(const std::string& key, long long& out)
{
    if (key.empty() || key.size() > 12 || key.find_first_not_of("0123456789") != std::string::npos)
        return false;
    out = std::stoll(key);
    return out > 0;
}

/// One award: a kind of 1 to 6, an amount of 1 or more, an item id for kind 6.
bool award(const Json::Value& v, bool weighted, ZRKBoxes::Award& out)
{
    long long type = 0;
    if (!v.isObject() || !whole(v["type"], 1, 6, type) || !whole(v["num"], 1, ZRKBoxes::kLimit, out.num))
        return false;
    out.type = static_cast<int>(type);
    if (type == 6 && !whole(v["id"], 1, ZRKBoxes::kLimit, out.id))
        return false;
    if (weighted && !whole(v["weight"], 1, 1000000, out.weight))
        return false;
    return true;
}

bool awards(const Json::Value& list, bool weighted, std::vector<ZRKBoxes::Award>& out)
{
    if (!list.isArray() || list.empty() || list.size() > kMaxEntries)
        return false;
    for (const Json::Value& v : list) {
        ZRKBoxes::Award a;
        if (!award(v, weighted, a))
            return false;
        out.push_back(a);
    }
    return true;
}

} // namespace

bool ZRKBoxes::load(const std::string& path, std::string& why)
{
    mOpen = false;
    Json::Value doc;
    if (!core::JsonText::readFile(path, doc, why, kMaxFile)) {
        why = why.substr(0, why.find('\n'));
        return false;
    }
    return read(doc, why);
}

bool ZRKBoxes::read(const Json::Value& doc, std::string& why)
{
    ZRKBoxes next;
    auto fail = [this, &why](const std::string& what) {
        mOpen = false;
        why = what;
        return false;
    };
    if (!doc.isObject())
        return fail("not an object");
    const Json::Value& prize = member(doc, "prize");
    long long n = 0;
    if (!whole(member(prize, "offers"), 1, 8, n))
        return fail("\"prize\".\"offers\" must be 1 to 8");
    next.mOffers = static_cast<int>(n);
    if (!whole(member(prize, "pve_offers"), 1, 8, n))
        return fail("\"prize\".\"pve_offers\" must be 1 to 8");
    next.mPveOffers = static_cast<int>(n);
    const Json::Value& prices = member(prize, "prices");
    if (!prices.isArray() || prices.empty() || prices.size() > kMaxEntries)
        return fail("\"prize\".\"prices\" must list one price or more");
    for (const Json::Value& p : prices) {
        Price price;
        long long kind = 0;
        if (!whole(member(p, "kind"), 1, 3, kind) || !whole(member(p, "price"), 1, kLimit, price.price))
            return fail("a price needs a \"kind\" of 1 to 3 and a \"price\" of 1 or more");
        price.kind = static_cast<int>(kind);
        next.mPrices.push_back(price);
    }
    if (!awards(member(prize, "loot"), true, next.mLoot))
        return fail("\"prize\".\"loot\" must list awards with \"type\" 1-6, \"num\", \"weight\" (and \"id\" for 6)");
    for (const Award& a : next.mLoot)
        next.mLootWeight += a.weight;
    const Json::Value& bots = member(prize, "bot_seconds");
    long long lo = 0, hi = 0;
    if (!bots.isArray() || bots.size() != 2 || !whole(bots[0], 0, 3600, lo) || !whole(bots[1], lo, 3600, hi))
        return fail("\"prize\".\"bot_seconds\" must be [earliest, latest]");
    next.mBotSeconds[0] = static_cast<double>(lo);
    next.mBotSeconds[1] = static_cast<double>(hi);

    const Json::Value& boxes = member(doc, "bag_boxes");
    if (!boxes.isObject() || boxes.size() > kMaxEntries)
        return fail("\"bag_boxes\" must be an object of box ids");
    for (const std::string& key : boxes.getMemberNames()) {
        long long id = 0;
        if (!idOf(key, id) || !awards(boxes[key], false, next.mBagBoxes[id]))
            return fail("the box " + key + " must list awards");
    }
    const Json::Value& unlock = member(doc, "unlock_rank");
    const Json::Value& param = member(unlock, "param");
    if (!param.isArray() || param.size() != 6)
        return fail("\"unlock_rank\".\"param\" must hold six whole numbers");
    for (Json::ArrayIndex i = 0; i < 6; ++i)
        if (!whole(param[i], -100000, 100000, next.mUnlock[i]))
            return fail("\"unlock_rank\".\"param\" must hold six whole numbers");
    if (!whole(member(unlock, "day"), 1, 3650, next.mUnlockDays))
        return fail("\"unlock_rank\".\"day\" must be 1 to 3650");
    const Json::Value& functions = member(doc, "functions");
    if (!functions.isObject() || functions.size() > kMaxEntries)
        return fail("\"functions\" must be an object of item ids");
    for (const std::string& key : functions.getMemberNames()) {
        long long id = 0, type = 0;
        Function f;
        if (!idOf(key, id) || !whole(member(functions[key], "type"), 1, 3, type))
            return fail("the function item " + key + " needs a \"type\" of 1 to 3");
        f.type = static_cast<int>(type);
        if (type == 2 && !whole(member(functions[key], "slots"), 1, 60, f.slots))
            return fail("the function item " + key + " needs \"slots\" of 1 to 60");
        next.mFunctions[id] = f;
    }
    if (!whole(member(doc, "bag_limit"), 0, 60, n))
        return fail("\"bag_limit\" must be 0 to 60");
    next.mBagLimit = static_cast<int>(n);
    next.mOpen = true;
    *this = next;
    return true;
}

const ZRKBoxes::Award& ZRKBoxes::drawLoot(double share) const
{
    if (!std::isfinite(share) || share < 0.0)
        share = 0.0;
    long long pick = static_cast<long long>(share * static_cast<double>(mLootWeight));
    for (const Award& a : mLoot) {
        if (pick < a.weight)
            return a;
        pick -= a.weight;
    }
    return mLoot.back();
}

const std::vector<ZRKBoxes::Award>* ZRKBoxes::bagBox(long long itemId) const
{
    auto it = mBagBoxes.find(itemId);
    return it == mBagBoxes.end() ? nullptr : &it->second;
}

const ZRKBoxes::Function* ZRKBoxes::function(long long itemId) const
{
    auto it = mFunctions.find(itemId);
    return it == mFunctions.end() ? nullptr : &it->second;
}

} // namespace zrk
} // namespace kavri3D
