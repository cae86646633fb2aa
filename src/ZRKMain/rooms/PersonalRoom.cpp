#include "rooms/PersonalRoom.h"

#include <core/ClientStateTable.h>
#include <data/ZRKServer.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiManager.h>
#include <json/value.h>
#include <scene/BasicPlayer.h>

#include "rooms/EquipRes.h"
#include "rooms/RoleManager.h"
#include "rooms/ZRKRole.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::PersonalRoom);

namespace kavri3D {
namespace zrk {

const char* const PersonalRoom::kSeats[8] = {"red1", "red2", "red3", "red4", "blue1", "blue2", "blue3", "blue4"};

namespace {

/// The idle actions of a look: entries 2 onwards of its "animation" list (0 and 1 are the
/// stand and the entry).
void setIdleActions(ZRKRole& role, const Json::Value& defState, const std::string& look)
{
    role.clearItems();
    if (!defState.isObject() || !defState[look].isObject())
        return;
    const Json::Value& animation = defState[look]["animation"];
    if (!animation.isArray())
        return;
    for (Json::ArrayIndex i = 2; i < animation.size(); ++i)
        if (animation[i].isString())
            role.addItem(animation[i].asString());
}

const Json::Value& defaultAppearance()
{
    ZRKRoleRes* res = GameServices::roleResources();
    return res ? res->getDefState() : Json::Value::nullSingleton();
}

} // namespace

PersonalRoom::PersonalRoom() : ReloadFlag(true) { setName(core::ClientStateTable::kPersonalRoom); }

PersonalRoom::~PersonalRoom() = default;

const char* PersonalRoom::entryAnimation(int mode)
{
    switch (mode) {
    case 8:
        return "jjcroomdropin";
    case 9:
        return "pveroomdropin";
    default:
        return "roomdropin";
    }
}

void PersonalRoom::createScene()
{
    BasicRoom::createScene();
    lockCamera(true);
    RoleManager::instance().setRoom(this);
    if (reloadOnEnter) {
        if (gui::IGuiAnimator* animator = getGuiFrameObject())
            animator->clear();
        ZRKServer* server = getZRKServer();
        playAnimation(server && server->isArenaZone() ? "arenahalldropout" : "halldropout");
        playAnimation(entryAnimation(roomMode));
    } else {
        dressSeats();
        dressOwnRole();
        if (gui::IGuiManager* manager = getGuiManager()) {
            manager->clearScreens();
            if (manager->getEventDispatcher())
                raiseGuiEvent(kDressedEventId);
        }
    }
    raiseGuiEvent(kEnteredEventId);
    GameServices::refreshRoom(); // the room listener shows the seats of the current room
}

void PersonalRoom::dressSeats()
{
    EquipRes* res = GameServices::equipment();
    if (!res)
        return;
    const Json::Value& defState = defaultAppearance();
    for (const char* seat : kSeats) {
        ZRKRolePtr role = RoleManager::instance().getRole(seat);
        const std::string look = res->getSeatLook(seat);
        if (!role || look.empty())
            continue; // an empty seat keeps whatever it showed
        role->setLook(look);
        role->applyDefaultItems();
        if (boost::shared_ptr<core::BasicPlayer> player = role->getPlayer())
            player->loadItems(res->getSeatEquipment(seat), true);
        setIdleActions(*role, defState, look);
    }
}

void PersonalRoom::dressOwnRole()
{
    EquipRes* res = GameServices::equipment();
    ZRKRolePtr own = RoleManager::instance().getRole("myrole");
    if (!res || !own)
        return;
    core::XmlConfigHelper cfg = res->getDefState();
    std::vector<std::string> items;
    for (const char* key : {"def_hair", "def_face", "def_coat", "def_glove", "def_shoes"})
        items.push_back(cfg.getStringVal(key, ""));
    own->setDefaultItems(items);
    own->setEquipment(res->getModelTable());
    own->loadEquipment();
    own->setMood(cfg.getStringVal("def_animation", ""));
    setIdleActions(*own, defaultAppearance(), own->getLook());
}

void PersonalRoom::onFrame(float dt)
{
    stepLobby(dt, false);
    BasicRoom::onFrame(dt);
}

void PersonalRoom::destroyScene() { BasicRoom::destroyScene(); }

} // namespace zrk
} // namespace kavri3D
