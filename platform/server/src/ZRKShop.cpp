#include "server/ZRKShop.h"

#include <yake/Logger.h>
#include "data/ZRKBlueDrill.h"
#include "server/ZRKWorld.h"
#include "server/ZRKWorldSeed.h"

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;

const yake::logging::Channel logLine("ZRKShop");

const char* const kEntryKeys[] = {"s_id", "i_id", "si_sale_type", "si_rcmd", "si_new", "si_sales_count"};
const char* const kOptionKeys[] = {"s_id", "s_price", "s_buy_type", "s_expire"};

bool wholeNumbers(const Json::Value& v, const char* const* keys, std::size_t count, int low)
{
    if (!v.isObject())
        return false;
    for (std::size_t k = 0; k < count; ++k)
        if (!v[keys[k]].isInt() || v[keys[k]].asInt() < low)
            return false;
    return true;
}

} // namespace

bool ZRKShop::load(const std::string& file, ZRKWorld& world, std::string& why)
{
    mCatalogue = Json::Value(Json::arrayValue);
    mOptions.clear();
    Json::Value doc;
    if (!ZRKWorldSeed::readFixture(file, doc, why))
        return false;
    const Json::Value& entries = doc.isObject() ? doc["entries"] : Json::Value::nullSingleton();
    if (!entries.isArray()) {
        why = "no list \"entries\"";
        return false;
    }
    for (Json::ArrayIndex e = 0; e < entries.size() && static_cast<int>(mCatalogue.size()) < kMaxEntries; ++e) {
        const Json::Value& entry = entries[e];
        const std::string where = "entry " + std::to_string(e);
        if (!wholeNumbers(entry, kEntryKeys, 6, 0) || !entry["prices"].isArray() ||
            entry["prices"].size() > static_cast<Json::ArrayIndex>(kMaxOptions)) {
            logLine(Severity::Error,
                    file + ": " + where + " is left out: it needs whole numbers " +
                        "s_id, i_id, si_sale_type, si_rcmd, si_new, si_sales_count and up to 16 prices");
            continue;
        }
        const int itemId = entry["i_id"].asInt();
        if (world.itemAttrs(itemId).isNull()) {
            logLine(Severity::Error, file + ": " + where + " is left out: no item " + std::to_string(itemId));
            continue;
        }
        Json::Value kept(Json::objectValue);
        for (const char* key : kEntryKeys)
            kept[key] = entry[key];
        kept["prices"] = Json::Value(Json::arrayValue);
        std::vector<Option> options;
        for (const Json::Value& price : entry["prices"]) {
            if (!wholeNumbers(price, kOptionKeys, 4, 0)) {
                logLine(Severity::Error, file + ": " + where +
                                             ": a price is left out: it needs whole numbers s_id, s_price, " +
                                             "s_buy_type, s_expire, none below 0");
                continue;
            }
            Option o;
            o.s_id = price["s_id"].asInt();
            o.i_id = itemId;
            o.s_price = price["s_price"].asInt();
            o.s_buy_type = price["s_buy_type"].asInt();
            o.s_expire = price["s_expire"].asInt();
            o.saleType = entry["si_sale_type"].asInt();
            if (find(o.s_id, o.s_expire)) {
                logLine(Severity::Error,
                        file + ": " + where + ": option " + std::to_string(o.s_id) + " is sold twice; the first stays");
                continue;
            }
            Json::Value p(Json::objectValue);
            for (const char* key : kOptionKeys)
                p[key] = price[key];
            kept["prices"].append(p);
            mOptions.push_back(o);
        }
        // An entry listed without prices is shown but not sold (the strengthening shop lists its
        // goods that way); one whose prices were all refused is left out.
        if (!kept["prices"].empty() || entry["prices"].empty())
            mCatalogue.append(kept);
    }
    return true;
}

void ZRKShop::loadMemberPricing(const std::string& platformFile, const std::string& settingsFile)
{
    Json::Value platform, settings;
    std::string why;
    bool on = false;
    float factor = 0.8f;
    if (ZRKWorldSeed::readFixture(platformFile, platform, why) && platform.isObject() &&
        platform["platform_bluedrill"].isBool())
        on = platform["platform_bluedrill"].asBool();
    if (ZRKWorldSeed::readFixture(settingsFile, settings, why) && settings.isObject()) {
        // The game's settings hold every value as text.
        const Json::Value& f = settings["auction/bluebrill_Dis"];
        try {
            const double given = f.isString() ? std::stod(f.asString()) : f.isNumeric() ? f.asDouble() : 0.8;
            if (given > 0.0 && given <= 1.0)
                factor = static_cast<float>(given);
        } catch (const std::exception&) {
        }
    }
    setMemberPricing(on, factor);
}

void ZRKShop::setMemberPricing(bool on, float factor)
{
    mMemberPricing = on;
    mFactor = factor > 0.0f && factor <= 1.0f ? factor : 0.8f;
}

const ZRKShop::Option* ZRKShop::find(int sId, int expire) const
{
    for (const Option& o : mOptions)
        if (o.s_id == sId && o.s_expire == expire)
            return &o;
    return nullptr;
}

std::vector<const ZRKShop::Option*> ZRKShop::optionsOf(int itemId) const
{
    std::vector<const Option*> out;
    for (const Option& o : mOptions)
        if (o.i_id == itemId)
            out.push_back(&o);
    return out;
}

long long ZRKShop::lineCost(int buyType, long long amount, bool member) const
{
    if (buyType == 3 && mMemberPricing && member && amount <= 0x7FFFFFFF)
        return ZRKBlueDrill::memberPrice(static_cast<int>(amount), mFactor);
    return amount;
}

} // namespace zrk
} // namespace kavri3D
