#include "core/GraphicsManager.h"

#include <OgreSceneManager.h>
#include <core/GraphicsSystem.h>

namespace kavri3D {
namespace core {

namespace {
// Snapshot renders in progress, and the mask to restore after the last.
int gSnapShotDepth = 0;
Ogre::uint32 gSavedMask = 0xFFFFFFFFu;
} // namespace

Ogre::Camera* GraphicsManager::getDefaultCamera()
{
    GraphicsSystem* g = GraphicsSystem::getSingletonPtr();
    return g ? g->getCamera() : nullptr;
}

Ogre::Viewport* GraphicsManager::getDefaultViewport()
{
    GraphicsSystem* g = GraphicsSystem::getSingletonPtr();
    return g ? g->getViewport() : nullptr;
}

Ogre::SceneManager* GraphicsManager::getOgreSceneManager()
{
    GraphicsSystem* g = GraphicsSystem::getSingletonPtr();
    return g ? g->getSceneManager() : nullptr;
}

void GraphicsManager::switchMainView(int phase)
{
    Ogre::SceneManager* scene = getOgreSceneManager();
    if (phase == 0) {
        if (gSnapShotDepth++ == 0 && scene) {
            gSavedMask = scene->getVisibilityMask();
            scene->setVisibilityMask(gSavedMask & ~kMainViewOnly);
        }
    } else if (gSnapShotDepth > 0 && --gSnapShotDepth == 0 && scene) {
        scene->setVisibilityMask(gSavedMask);
    }
}

} // namespace core
} // namespace kavri3D
