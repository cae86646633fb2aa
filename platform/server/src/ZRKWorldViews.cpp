#include "server/ZRKWorldViews.h"

#include <algorithm>
#include <vector>

namespace kavri3D {
namespace zrk {

ZRKWorldViews::ZRKWorldViews(ZRKWorld& world) : mWorld(world) {}

std::shared_ptr<const Json::Value> ZRKWorldViews::player(const std::string& name, ZRKWorld::PlayerView which)
{
    Views& views = mViews[name];
    if (!views.value[which]) {
        const ZRKWorld::Player* p = mWorld.player(name);
        if (!p) {
            mViews.erase(name);
            return nullptr;
        }
        if (which == ZRKWorld::CardView) {
            Json::Value card = info(*p);
            const std::shared_ptr<const Json::Value> pcView = player(name, ZRKWorld::PcView);
            const Json::Value& pc = pcView ? *pcView : Json::Value::nullSingleton();
            for (auto it = pc.begin(); it != pc.end(); ++it)
                card[it.name()] = *it;
            // The ammo bag a private dungeon is fought with: there is no chooser, the first.
            card["ca_id2"] = 1;
            views.value[which] = std::make_shared<Json::Value>(std::move(card));
        } else {
            views.value[which] = std::make_shared<Json::Value>(which == ZRKWorld::InfoView       ? info(*p)
                                                               : which == ZRKWorld::SettingsView ? settings(*p)
                                                                                                 : pc(*p));
        }
    }
    return views.value[which];
}

Json::Value& ZRKWorldViews::own(std::shared_ptr<Json::Value>& view)
{
    if (view.use_count() > 1)
        view = std::make_shared<Json::Value>(*view); // a reply still holds the one it was given
    return *view;
}

Json::Value ZRKWorldViews::info(const ZRKWorld::Player& p)
{
    Json::Value v(Json::objectValue);
    v[Json::StaticString("a_id")] = ZRKWorld::big(p.accountId);
    v[Json::StaticString("a_username")] = p.name;
    v[Json::StaticString("pc_id")] = ZRKWorld::big(p.pcId);
    v[Json::StaticString("nick")] = p.nick;
    v[Json::StaticString("c_id")] = ZRKWorld::big(p.cId);
    return v;
}

Json::Value ZRKWorldViews::settings(const ZRKWorld::Player& p)
{
    static const Json::StaticString money[ZRKWorld::MoneyKinds] = {
        Json::StaticString("pc_money1"), Json::StaticString("pc_money2"), Json::StaticString("pc_money3")};
    static const Json::StaticString abilities[4] = {Json::StaticString("pc_str"), Json::StaticString("pc_vit"),
                                                    Json::StaticString("pc_dex"), Json::StaticString("pc_luk")};
    const Json::Value& settings = ZRKWorld::Player::doc(p.settings);
    Json::Value v = settings.isObject() ? settings : Json::Value(Json::objectValue);
    v[Json::StaticString("pc_id")] = ZRKWorld::big(p.pcId);
    v[Json::StaticString("a_id")] = ZRKWorld::big(p.accountId);
    v[Json::StaticString("pc_nickname")] = p.nick;
    v[Json::StaticString("c_id")] = ZRKWorld::big(p.cId);
    v[Json::StaticString("pc_lv")] = ZRKWorld::big(p.lv);
    v[Json::StaticString("pc_exp")] = ZRKWorld::big(p.exp);
    v[Json::StaticString("pc_rank")] = ZRKWorld::big(p.rank);
    v[Json::StaticString("pc_newbie_task")] = ZRKWorld::big(p.newbieTask);
    v[Json::StaticString("pc_stp")] = ZRKWorld::big(p.points);
    for (int k = 0; k < ZRKWorld::MoneyKinds; ++k)
        v[money[k]] = ZRKWorld::big(p.money[k]);
    for (int a = 0; a < 4; ++a)
        v[abilities[a]] = ZRKWorld::big(p.abilities[a]);
    // The default look's part indexes, so every other player dresses this one's doll as chosen.
    static const Json::StaticString parts[5] = {Json::StaticString("def_hair"), Json::StaticString("def_face"),
                                                Json::StaticString("def_coat"), Json::StaticString("def_glove"),
                                                Json::StaticString("def_shoes")};
    const Json::Value& looks = ZRKWorld::Player::doc(p.looks);
    for (const Json::StaticString& part : parts) {
        const Json::Value& index = looks.isObject() ? looks[part] : Json::Value::nullSingleton();
        if (index.isInt() && index.asInt() >= 0 && index.asInt() <= 999)
            v[part] = index.asInt();
    }
    if (p.bot) {
        // The battle's aim of the server's own players reads how good a shot each is (the room
        // marks them "bot" among its battle values).
        const Json::Value& skill = looks.isObject() ? looks["pc_bot_skill"] : Json::Value::nullSingleton();
        v[Json::StaticString("pc_bot_skill")] = skill.isInt() ? std::min(std::max(skill.asInt(), 0), 100) : 50;
    }
    return v;
}

Json::Value ZRKWorldViews::pc(const ZRKWorld::Player& p)
{
    Json::Value v = settings(p);
    v[Json::StaticString("pc_points")] = ZRKWorld::big(p.points);
    return v;
}

std::shared_ptr<const Json::Value> ZRKWorldViews::characters(const std::string& name)
{
    auto known = mCharacters.find(name);
    if (known != mCharacters.end())
        return known->second;
    static const std::shared_ptr<const Json::Value> none = std::make_shared<const Json::Value>(Json::arrayValue);
    const ZRKWorld::Player* own = mWorld.player(name);
    if (!own)
        return none;
    const Json::Value& lists = ZRKWorld::Player::doc(own->lists);
    const Json::Value& names = lists.isObject() ? lists["characters"] : Json::Value::nullSingleton();
    std::vector<std::string> characters;
    if (names.isArray()) {
        for (const Json::Value& n : names)
            if (n.isString() && std::find(characters.begin(), characters.end(), n.asString()) == characters.end())
                characters.push_back(n.asString());
    } else if (own->pcId != 0) {
        characters.push_back(name);
    }
    auto list = std::make_shared<Json::Value>(Json::arrayValue);
    for (const std::string& c : characters) {
        const std::shared_ptr<const Json::Value> settings = player(c, ZRKWorld::SettingsView);
        if (settings && !settings->isNull())
            list->append(*settings);
    }
    return mCharacters[name] = list;
}

Json::Value* ZRKWorldViews::changedPc(const std::string& name)
{
    auto views = mViews.find(name);
    if (views != mViews.end()) {
        views->second.value[ZRKWorld::SettingsView].reset(); // made afresh when next asked for
        views->second.value[ZRKWorld::CardView].reset();
    }
    mCharacters.clear();
    if (views == mViews.end() || !views->second.value[ZRKWorld::PcView])
        return nullptr;
    return &own(views->second.value[ZRKWorld::PcView]);
}

void ZRKWorldViews::forget(const std::string& name)
{
    mViews.erase(name);
    mCharacters.clear(); // the player may be among another's characters
}

void ZRKWorldViews::forgetAll()
{
    mViews.clear();
    mCharacters.clear();
}

void ZRKWorldViews::forgetCharacters() { mCharacters.clear(); }

} // namespace zrk
} // namespace kavri3D
