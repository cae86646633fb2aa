#include "events/CharCatalogue.h"

#include <algorithm>
#include <json/value.h>

#include "rooms/ZRKRole.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

const char* const CharCatalogue::kParts[5] = {"hair", "face", "coat", "glove", "shoes"};

namespace {

const Json::Value& arrayOf(const std::string& look, const std::string& array)
{
    const Json::Value& doc = CharCatalogue::document();
    if (!doc.isObject() || !doc.isMember(look) || !doc[look].isObject())
        return Json::Value::nullSingleton();
    const Json::Value& list = doc[look][array];
    return list.isArray() ? list : Json::Value::nullSingleton();
}

} // namespace

const Json::Value& CharCatalogue::document()
{
    const ZRKRoleRes* res = GameServices::roleResources();
    return res ? res->getDefState() : Json::Value::nullSingleton();
}

int CharCatalogue::count(const std::string& look, const std::string& array)
{
    const Json::Value& list = arrayOf(look, array);
    return list.isArray() ? static_cast<int>(list.size()) : 0;
}

std::string CharCatalogue::entry(const std::string& look, const std::string& array, int index)
{
    const Json::Value& list = arrayOf(look, array);
    if (!list.isArray() || index < 0 || index >= static_cast<int>(list.size()))
        return std::string();
    const Json::Value& value = list[static_cast<Json::ArrayIndex>(index)];
    return value.isString() ? value.asString() : std::string();
}

void CharCatalogue::dress(ZRKRole& role, const std::string& look, const int indexes[5], bool clearEquipment,
                          bool withMood)
{
    role.setLook(look);
    std::vector<std::string> items;
    for (int part = 0; part < 5; ++part)
        items.push_back(entry(look, kParts[part], indexes[part]));
    role.setDefaultItems(items);
    if (clearEquipment)
        role.clearEquipment();
    role.loadEquipment();
    if (!withMood)
        return;
    const int moods = std::min(2, count(look, "animation"));
    role.clearItems();
    role.setMood(entry(look, "animation", 0));
    for (int i = 1; i < moods; ++i)
        role.addItem(entry(look, "animation", i));
}

} // namespace zrk
} // namespace kavri3D
