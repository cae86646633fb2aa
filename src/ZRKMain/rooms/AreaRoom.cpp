#include "rooms/AreaRoom.h"

#include <core/ClientStateTable.h>
#include <scene/DefaultProductResolver.h>
#include <scene/SceneDocumentCache.h>

#include "rooms/BackgroundScene.h"
#include "rooms/RoleManager.h"
#include "rooms/SnapShotManager.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::AreaRoom);

namespace kavri3D {
namespace zrk {

AreaRoom::AreaRoom() { setName(core::ClientStateTable::kArea); }

AreaRoom::~AreaRoom() = default;

void AreaRoom::createScene()
{
    BasicRoom::createScene();
    SnapShotManager::instance();
    RoleManager::instance().setRoom(this);
    lockCamera(true);
    raiseGuiEvent(kEnteredEventId);
    BackgroundScene& background = BackgroundScene::instance();
    background.setRequestedFlags(background.getDefaultFlags());
    background.refresh();
    // Documents read for the last battle or hall are not needed while choosing a zone.
    if (core::SceneDocumentCache* cache = core::DefaultProductResolver::getDocumentCache())
        cache->removeAll();
}

void AreaRoom::onFrame(float dt)
{
    stepLobby(dt, true);
    BasicRoom::onFrame(dt);
}

void AreaRoom::destroyScene() { BasicRoom::destroyScene(); }

} // namespace zrk
} // namespace kavri3D
