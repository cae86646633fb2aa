#include "rooms/ZRKRoleRes.h"

#include "rooms/JsonDataFile.h"
#include "services/GameServices.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::ZRKRoleRes);

namespace kavri3D {
namespace zrk {

const char* const ZRKRoleRes::kFile = "res/GUI/defstate.json";

ZRKRoleRes::ZRKRoleRes() { GameServices::provide(this); }

ZRKRoleRes::~ZRKRoleRes() { GameServices::withdraw(this); }

void ZRKRoleRes::load(const std::string& path)
{
    JsonDataFile::load(path, mDocument, "ZRKRoleRes::load", "defstate.json");
}

const char* const ZRKRoleRes::kPartKinds[5] = {"hair", "face", "coat", "glove", "shoes"};

std::string ZRKRoleRes::getPart(const std::string& look, const char* part, int index) const
{
    if (!mDocument.isObject() || !mDocument.isMember(look) || !mDocument[look].isObject())
        return std::string();
    const Json::Value& list = mDocument[look][part];
    if (!list.isArray() || index < 0 || static_cast<Json::ArrayIndex>(index) >= list.size())
        return std::string();
    const Json::Value& entry = list[static_cast<Json::ArrayIndex>(index)];
    return entry.isString() ? entry.asString() : std::string();
}

std::vector<std::string> ZRKRoleRes::getDefaultParts(const std::string& look, const core::XmlConfigHelper& def) const
{
    std::vector<std::string> parts;
    for (const char* kind : kPartKinds)
        parts.push_back(getPart(look, kind, def.getIntVal(std::string("def_") + kind, 0)));
    return parts;
}

std::vector<std::string> ZRKRoleRes::getIdleActions(const std::string& look) const
{
    std::vector<std::string> actions;
    if (!mDocument.isObject() || !mDocument.isMember(look) || !mDocument[look].isObject())
        return actions;
    const Json::Value& anims = mDocument[look]["animation"];
    if (!anims.isArray())
        return actions;
    for (Json::ArrayIndex i = 2; i < anims.size(); ++i)
        if (anims[i].isString())
            actions.push_back(anims[i].asString());
    return actions;
}

float ZRKRoleRes::getNumber(const std::string& key, float def) const
{
    if (!mDocument.isObject() || !mDocument.isMember(key) || !mDocument[key].isNumeric())
        return def;
    return mDocument[key].asFloat();
}

} // namespace zrk
} // namespace kavri3D
