#include "core/GrafixClientState.h"

#include <core/GraphicsSystem.h>
#include <core/GuiManager.h>

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

void GrafixClientState::createScene()
{
    mSceneCreated = true;
    if (!mCamera) {
        mCamera.reset(new Camera);
        onCameraCreated();
    }
}

void GrafixClientState::destroyScene()
{
    mSceneCreated = false;
    mCameraLocked = false;
    mMouseConnection = boost::signals2::connection();
    mMouseInputs = false;
    mDragCursor = false;
    mDragModule.reset();
    mCamera.reset();
}

void GrafixClientState::dragCursor(bool on)
{
    if (on == mDragCursor)
        return;
    mDragCursor = on;
    if (mDragModule) {
        mDragModule->restartControllers();
        mDragModule->onDragChanged(on);
    }
}

void GrafixClientState::enableMouseInputs(bool on)
{
    mMouseInputs = on;
    mMouseConnection = boost::signals2::connection();
    if (!on)
        return;
    if (GuiManager* gui = GuiManager::getSingletonPtr())
        mMouseConnection =
            gui->subscribeToMouseMove([this](float dx, float dy, float wheel) { onMouseMove(dx, dy, wheel); });
}

void GrafixClientState::onMouseMove(float dx, float dy, float wheel)
{
    if (mCamera && mMouseInputs && mDragCursor && !mCameraLocked)
        mCamera->onMouseMove(dx, dy, wheel);
}

bool GrafixClientState::dragCursorDetect() { return mDragModule && mDragModule->acceptDrag(); }

void GrafixClientState::dragCursorReset()
{
    if (mCamera)
        for (InputController& c : mCamera->getInputControllers())
            c.restart();
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
