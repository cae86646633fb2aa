#include "rooms/SnapShotEx.h"

#include <Ogre.h>
#include <core/GraphicsManager.h>
#include <core/SnapShotScene.h>

#include "rooms/AbsRTTSnapShotImpl.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace core {

SnapShotEx::SnapShotEx(unsigned flags) : mFlags(flags) {}

SnapShotEx::~SnapShotEx() { reset(); }

std::string SnapShotEx::attach(SnapShotScene* scene, AbsRTTSnapShotImpl* impl)
{
    mScene.reset(scene);
    if (!mImpl) {
        mImpl.reset(impl);
        if (!mImpl || !mImpl->create())
            return std::string();
    } else if (impl != mImpl.get()) {
        delete impl; // the held target stays; a second one would only leak
    }
    const std::string name = mImpl->getTextureName();
    prepare();
    return name;
}

void SnapShotEx::prepare()
{
    if (mFlags & kDefaultLens) {
        Ogre::Camera* lens = GraphicsManager::getDefaultCamera();
        Ogre::Camera* camera = getCamera();
        if (lens && camera) {
            // The aspect stays the texture's own: the window's would squash the picture.
            camera->setFOVy(lens->getFOVy());
            camera->setNearClipDistance(lens->getNearClipDistance());
            camera->setFarClipDistance(lens->getFarClipDistance());
        }
        Ogre::Viewport* view = GraphicsManager::getDefaultViewport();
        if (view && getViewport())
            getViewport()->setBackgroundColour(view->getBackgroundColour());
    }
    if (mScene)
        mScene->setupScene();
}

void SnapShotEx::preRender()
{
    if (mFlags & kHideMainViewOnly)
        GraphicsManager::switchMainView(0);
    if (mScene)
        mScene->showEntities();
}

void SnapShotEx::postRender()
{
    if (mFlags & kHideMainViewOnly)
        GraphicsManager::switchMainView(1);
    if (mScene)
        mScene->hideEntities();
}

void SnapShotEx::reset()
{
    mImpl.reset();
    mScene.reset();
}

Ogre::Camera* SnapShotEx::getCamera() const { return mImpl ? mImpl->getCamera() : nullptr; }

Ogre::Viewport* SnapShotEx::getViewport() const { return mImpl ? mImpl->getViewport() : nullptr; }

Ogre::Texture* SnapShotEx::getTexture() const { return mImpl ? mImpl->getTexture() : nullptr; }

void SnapShotEx::addRenderListener()
{
    if (mImpl && mImpl->getRenderTarget()) {
        mImpl->getRenderTarget()->removeListener(mImpl.get()); // added twice it would run twice
        mImpl->getRenderTarget()->addListener(mImpl.get());
    }
}

void SnapShotEx::removeRenderListener()
{
    if (mImpl && mImpl->getRenderTarget())
        mImpl->getRenderTarget()->removeListener(mImpl.get());
}

bool SnapShotEx::saveToFile(const std::string& file)
{
    if (!mImpl || !mImpl->update())
        return false;
    try {
        mImpl->getRenderTarget()->writeContentsToFile(file);
        return true;
    } catch (const Ogre::Exception& e) {
        zrk::writeLog(3, "SnapShotEx", "picture not saved: " + e.getDescription());
        return false;
    }
}

} // namespace core
} // namespace kavri3D
