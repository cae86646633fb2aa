#include "rooms/PlayerHallRoom.h"

#include <core/ClientStateTable.h>
#include <data/ZRKServer.h>

#include "rooms/BackgroundScene.h"
#include "rooms/PersonalRoom.h"
#include "rooms/RoleManager.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::PlayerHallRoom);

namespace kavri3D {
namespace zrk {

PlayerHallRoom::PlayerHallRoom() { setName(core::ClientStateTable::kPlayerHall); }

PlayerHallRoom::~PlayerHallRoom() = default;

void PlayerHallRoom::createScene()
{
    BasicRoom::createScene();
    lockCamera(true);
    RoleManager::instance().setRoom(this);
    raiseGuiEvent(kEnteredEventId);
    // The next game room entered from here plays its transitions before it dresses its seats.
    if (PersonalRoom* personal = PersonalRoom::getSingletonPtr())
        personal->markReload();
    BackgroundScene::instance().refresh();
    if (ZRKServer* server = getZRKServer())
        playAnimation(server->isArenaZone() ? "arenahalldropin" : "halldropin");
}

void PlayerHallRoom::onFrame(float dt)
{
    stepLobby(dt, false);
    BasicRoom::onFrame(dt);
}

void PlayerHallRoom::destroyScene()
{
    raiseGuiEvent(kLeftEventId);
    BasicRoom::destroyScene();
}

} // namespace zrk
} // namespace kavri3D
