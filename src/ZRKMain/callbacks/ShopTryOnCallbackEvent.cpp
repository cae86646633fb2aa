#include "callbacks/ShopTryOnCallbackEvent.h"

#include <algorithm>
#include <cstdlib>
#include <data/ZRKServer.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <data/ZRKWeaponLib.h>
#include <json/value.h>
#include <limits>
#include <map>
#include <string>

#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRole.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const Json::ArrayIndex kMostIdleEntries = 4; // the stand pose, then at most three idle actions

/// An item id as the screen writes it: a 32-bit decimal, else false.
bool itemId(const std::string& text, int& out)
{
    if (text.empty() || text.size() > 11)
        return false;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (!end || *end != '\0' || v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        return false;
    out = static_cast<int>(v);
    return true;
}
} // namespace

ShopTryOnCallbackEvent::ShopTryOnCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

ShopTryOnCallbackEvent::~ShopTryOnCallbackEvent() = default;

void ShopTryOnCallbackEvent::callback(gui::ParamHandle params)
{
    std::map<std::string, std::string> tried;
    bool armLock = false;
    int weapon = 0;
    if (!readParam("iids", params, tried) || !readParam("armlock", params, armLock) ||
        (armLock && !readParam("armiid", params, weapon)))
        return;
    ZRKSession* session = GameServices::session();
    const core::XmlConfigHelper own = ZRKUserRequest::getUserSetting(session ? session->getUID() : std::string());
    const std::string look = ZRKRoleRes::lookOf(own.getIntVal("c_id", 0));
    ZRKRolePtr role = RoleManager::instance().getRole("showview");
    EquipRes* res = GameServices::equipment();
    if (!role || !res) {
        log(kLogTrace, "no preview character to try on");
        return;
    }
    role->clearEquipment();
    std::string looks;
    for (const auto& pair : tried) {
        int id = 0;
        if (!itemId(pair.second, id)) {
            log(kLogTrace, "a tried item that is no item id: " + pair.second.substr(0, 16));
            continue;
        }
        const std::string model = res->getModel(id);
        if (model.empty())
            continue;
        role->setAttr(pair.first, model);
        if (pair.first == "suite")
            looks = res->getSfName(id);
    }
    if (!looks.empty())
        role->setAttr("looks", looks);
    // The idle actions of the look: entries 1 to 3 of its "animation" list, text ones only.
    const ZRKRoleRes* roleRes = GameServices::roleResources();
    const Json::Value& doc = roleRes ? roleRes->getDefState() : Json::Value::nullSingleton();
    const Json::Value& byLook = doc.isObject() ? doc[look] : Json::Value::nullSingleton();
    const Json::Value& animations = byLook.isObject() ? byLook["animation"] : Json::Value::nullSingleton();
    role->clearItems();
    if (animations.isArray())
        for (Json::ArrayIndex i = 1; i < std::min(animations.size(), kMostIdleEntries); ++i)
            if (animations[i].isString())
                role->addItem(animations[i].asString());
    if (armLock && weapon >= 1) {
        ZRKServer* server = getZRKServer();
        const WeaponInfoPtr found =
            server ? server->getWeaponLib()->findWeapon(std::to_string(weapon)) : WeaponInfoPtr();
        const int pose = found ? WeaponConfig::findAnimation(found->animations, 'a', 0) : -1;
        if (pose != -1)
            role->holdMood(found->animations[static_cast<std::size_t>(pose)].name);
    } else {
        role->resetMood();
    }
    role->loadEquipment();
}

} // namespace zrk
} // namespace kavri3D
