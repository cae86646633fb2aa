#include "server/ZRKForge.h"

#include <cmath>
#include <util/JsonText.h>

namespace kavri3D {
namespace zrk {

const char* const ZRKForge::kBonuses[4] = {"pci_str", "pci_luck", "pci_dex", "pci_vit"};

namespace {

const std::size_t kMaxFile = 1024 * 1024;

/// A whole number of 0 to the forge's limit.
bool amount(const Json::Value& v, long long& out)
{
    if (!v.isInt64() || v.asInt64() < 0 || v.asInt64() > ZRKForge::kLimit)
        return false;
    out = v.asInt64();
    return true;
}

/// A chance of 0 to 1.
bool chance(const Json::Value& v, double& out)
{
    if (!v.isNumeric() || !std::isfinite(v.asDouble()) || v.asDouble() < 0.0 || v.asDouble() > 1.0)
        return false;
    out = v.asDouble();
    return true;
}

/// A member of an object, null when the object is none.
const Json::Value& member(const Json::Value& object, const char* key)
{
    return object.isObject() ? object[key] : Json::Value::nullSingleton();
}

/// A positive id written as an object's key ("7001").
bool idOf(const std::string& key, long long& out)
{
    if (key.empty() || key.size() > 12 || key.find_first_not_of("0123456789") != std::string::npos)
        return false;
    out = std::stoll(key);
    return out > 0;
}

} // namespace

bool ZRKForge::load(const std::string& path, std::string& why)
{
    mOpen = false;
    Json::Value doc;
    if (!core::JsonText::readFile(path, doc, why, kMaxFile)) {
        why = why.substr(0, why.find('\n')); // one line in the log
        return false;
    }
    return read(doc, why);
}

bool ZRKForge::read(const Json::Value& doc, std::string& why)
{
    ZRKForge next;
    auto fail = [&why](const std::string& what) {
        why = what;
        return false;
    };
    if (!doc.isObject())
        return fail("not an object");

    const Json::Value& levels = member(member(doc, "enhance"), "levels");
    if (!levels.isArray() || levels.size() != kMaxLevel)
        return fail("\"enhance\".\"levels\" must list the 12 levels from 0");
    for (const Json::Value& l : levels) {
        Level level;
        if (!amount(member(l, "cost"), level.cost) || !chance(member(l, "rate"), level.rate) ||
            !amount(member(l, "enh_f"), level.enhF))
            return fail("an enhance level needs \"cost\", \"rate\" (0 to 1) and \"enh_f\"");
        next.mLevels.push_back(level);
    }

    const Json::Value& stones = member(doc, "stones");
    if (!stones.isObject())
        return fail("\"stones\" must be an object");
    static const char* const kKinds[] = {"enhance", "luck", "safety", "metal", "gem"};
    for (const std::string& key : stones.getMemberNames()) {
        long long id = 0;
        const Json::Value& s = stones[key];
        if (!idOf(key, id) || !s.isObject() || !member(s, "kind").isString())
            return fail("stone " + key + ": a positive id and a \"kind\"");
        Stone stone;
        const std::string kind = s["kind"].asString();
        int k = 0;
        while (k < 5 && kind != kKinds[k])
            ++k;
        if (k == 5)
            return fail("stone " + key + ": no kind " + kind);
        stone.kind = static_cast<Stone::Kind>(k);
        const bool ok = (stone.kind != Stone::Enhance || chance(s["enhance"], stone.enhance)) &&
                        (stone.kind != Stone::Luck || chance(s["luck"], stone.luck));
        if (!ok)
            return fail("stone " + key + ": its value must be a chance of 0 to 1");
        if (stone.kind == Stone::Metal) {
            const Json::Value& g = s["grade"];
            if (!g.isInt() || g.asInt() < 1 || g.asInt() > 3)
                return fail("stone " + key + ": a metal's \"grade\" is 1 to 3");
            stone.grade = g.asInt();
        }
        if (stone.kind == Stone::Gem) {
            const Json::Value& bonus = s["bonus"];
            if (!bonus.isObject() || bonus.empty())
                return fail("stone " + key + ": a gem needs its \"bonus\"");
            for (const std::string& b : bonus.getMemberNames()) {
                int i = 0;
                while (i < 4 && b != kBonuses[i])
                    ++i;
                if (i == 4 || !amount(bonus[b], stone.bonus[i]))
                    return fail("stone " + key + ": no bonus " + b + ", or not a whole number");
            }
        }
        next.mStones[id] = stone;
    }

    const Json::Value& refine = member(doc, "refine");
    if (!refine.isObject())
        return fail("\"refine\" must be an object");
    for (const std::string& key : refine.getMemberNames()) {
        long long grade = 0;
        Refine r;
        if (!idOf(key, grade) || grade > 2 || !amount(member(refine[key], "cost"), r.cost) ||
            !chance(member(refine[key], "rate"), r.rate))
            return fail("refine " + key + ": grades 1 and 2, each with \"cost\" and \"rate\"");
        next.mRefine[static_cast<int>(grade)] = r;
    }

    const Json::Value& mix = member(doc, "mix");
    if (!mix.isObject())
        return fail("\"mix\" must be an object");
    for (const std::string& key : mix.getMemberNames()) {
        long long type = 0;
        Mix m;
        const Json::Value& passes = member(mix[key], "bonuses");
        if (!idOf(key, type) || !passes.isArray() || passes.empty() || !amount(member(mix[key], "cost"), m.cost) ||
            !chance(member(mix[key], "rate"), m.rate))
            return fail("mix " + key + ": a positive type with \"bonuses\", \"cost\" and \"rate\"");
        for (const Json::Value& b : passes) {
            int i = 0;
            while (i < 4 && !(b.isString() && b.asString() == kBonuses[i]))
                ++i;
            if (i == 4)
                return fail("mix " + key + ": a bonus it passes is none of pci_str, pci_luck, pci_dex, pci_vit");
            m.passes[i] = true;
        }
        next.mMix[type] = m;
    }

    if (!amount(member(member(doc, "enchase"), "cost"), next.mEnchaseCost))
        return fail("\"enchase\".\"cost\" must be a whole number");
    next.mOpen = true;
    *this = std::move(next);
    return true;
}

const ZRKForge::Stone* ZRKForge::stone(long long itemId) const
{
    auto it = mStones.find(itemId);
    return it == mStones.end() ? nullptr : &it->second;
}

const ZRKForge::Level* ZRKForge::level(int lv) const
{
    return lv >= 0 && lv < static_cast<int>(mLevels.size()) ? &mLevels[static_cast<std::size_t>(lv)] : nullptr;
}

const ZRKForge::Refine* ZRKForge::refine(int grade) const
{
    auto it = mRefine.find(grade);
    return it == mRefine.end() ? nullptr : &it->second;
}

long long ZRKForge::metal(int grade) const
{
    for (const auto& s : mStones)
        if (s.second.kind == Stone::Metal && s.second.grade == grade)
            return s.first;
    return 0;
}

const ZRKForge::Mix* ZRKForge::mix(long long type) const
{
    auto it = mMix.find(type);
    return it == mMix.end() ? nullptr : &it->second;
}

} // namespace zrk
} // namespace kavri3D
