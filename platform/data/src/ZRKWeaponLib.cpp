#include "data/ZRKWeaponLib.h"

#include <climits>
#include <cstdlib>
#include "data/ZRKJson.h"

namespace kavri3D {
namespace zrk {

namespace {

/// An animation kind written as its letter ("a") or as the letter's code (97).
int kindOf(const Json::Value& v)
{
    if (v.isString() && v.asString().size() == 1)
        return static_cast<unsigned char>(v.asString()[0]);
    if (v.isInt() && v.asInt() > 0 && v.asInt() < 128)
        return v.asInt();
    return -1;
}

/// A whole enhancement level written as a member name ("5").
bool levelOf(const std::string& text, int& level)
{
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    level = std::atoi(text.c_str());
    return true;
}

} // namespace

ZRKWeaponLib::ZRKWeaponLib() : ZRKDataLib("weapon") {}

WeaponInfoPtr ZRKWeaponLib::findWeapon(const std::string& id) const
{
    const Json::Value& record = findRecord(id);
    if (!record.isObject())
        return WeaponInfoPtr();
    WeaponInfoPtr weapon(new WeaponInfo);
    weapon->id = id;
    weapon->name = ZRKJson::getString(record, "name", "");
    weapon->model = ZRKJson::getString(record, "model", "");
    const Json::Value& enh = ZRKJson::member(record, "enh");
    if (enh.isObject())
        for (const std::string& name : enh.getMemberNames()) {
            int level = 0;
            const Json::Value& model = enh[name];
            if (weapon->enhModels.size() < kMaxLevels && levelOf(name, level) && model.isString())
                weapon->enhModels[level] = model.asString();
        }
    const Json::Value& animations = ZRKJson::member(record, "animations");
    if (animations.isArray())
        for (const Json::Value& a : animations) {
            const Json::Value& name = ZRKJson::member(a, "name");
            const int kind = kindOf(ZRKJson::member(a, "kind"));
            if (weapon->animations.size() >= kMaxAnimations || !name.isString() || kind < 0)
                continue;
            WeaponInfo::Animation animation;
            animation.name = name.asString();
            animation.kind = kind;
            animation.variant = ZRKJson::getInt(a, "variant", 0);
            weapon->animations.push_back(animation);
        }
    return weapon;
}

std::string ZRKWeaponLib::getEnhWeaponPID(const WeaponInfoPtr& weapon, int level)
{
    if (!weapon)
        return std::string();
    std::string model = weapon->model;
    for (const auto& step : weapon->enhModels)
        if (step.first <= level)
            model = step.second;
    return model;
}

} // namespace zrk
} // namespace kavri3D
