#include "core/GrafixClientState.h"

#include <core/GraphicsSystem.h>

namespace kavri3D {
namespace core {

GrafixClientState::~GrafixClientState() = default;

void GrafixClientState::onEnter(const std::string& params)
{
    mEnterParams = params;
    if (mSceneCreated)
        destroyScene(); // entered without leaving: start from a clean scene
    createScene();
}

void GrafixClientState::onExit()
{
    if (mSceneCreated)
        destroyScene();
}

void GrafixClientState::createScene() { mSceneCreated = true; }

void GrafixClientState::destroyScene()
{
    mSceneCreated = false;
    mCameraLocked = false;
}

Ogre::SceneManager* GrafixClientState::getSceneManager() const
{
    GraphicsSystem* g = GraphicsSystem::getSingletonPtr();
    return g ? g->getSceneManager() : nullptr;
}

Ogre::Camera* GrafixClientState::getCamera() const
{
    GraphicsSystem* g = GraphicsSystem::getSingletonPtr();
    return g ? g->getCamera() : nullptr;
}

Ogre::Viewport* GrafixClientState::getViewport() const
{
    GraphicsSystem* g = GraphicsSystem::getSingletonPtr();
    return g ? g->getViewport() : nullptr;
}

} // namespace core
} // namespace kavri3D
