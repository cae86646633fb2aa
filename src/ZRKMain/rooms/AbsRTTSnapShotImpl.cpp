#include "rooms/AbsRTTSnapShotImpl.h"

#include <Ogre.h>
#include <core/GraphicsManager.h>

#include "rooms/SnapShotEx.h"

namespace kavri3D {
namespace core {

AbsRTTSnapShotImpl::AbsRTTSnapShotImpl(SnapShotEx* owner) : mOwner(owner) {}

AbsRTTSnapShotImpl::~AbsRTTSnapShotImpl() { AbsRTTSnapShotImpl::destroy(); }

void AbsRTTSnapShotImpl::preRenderTargetUpdate(const Ogre::RenderTargetEvent&)
{
    if (mOwner)
        mOwner->preRender();
}

void AbsRTTSnapShotImpl::postRenderTargetUpdate(const Ogre::RenderTargetEvent&)
{
    if (mOwner)
        mOwner->postRender();
}

void AbsRTTSnapShotImpl::madeCamera(Ogre::SceneManager* scene, Ogre::Camera* camera, Ogre::SceneNode* node)
{
    mCameraScene = scene;
    mCamera = camera;
    mCameraNode = node;
}

void AbsRTTSnapShotImpl::madeTexture(const Ogre::TexturePtr& texture)
{
    mTexture = texture;
    mMadeTexture = true;
}

bool AbsRTTSnapShotImpl::update()
{
    if (!mRenderTarget)
        return false;
    // Outside the frame CEGUI may have left its last clipping on: the picture would be drawn
    // into that rectangle only.
    if (Ogre::RenderSystem* rs = Ogre::Root::getSingletonPtr() ? Ogre::Root::getSingleton().getRenderSystem() : nullptr)
        rs->setScissorTest(false);
    mRenderTarget->update(true);
    return true;
}

void AbsRTTSnapShotImpl::destroy()
{
    if (mRenderTarget) {
        mRenderTarget->removeListener(this);
        if (mViewport)
            mRenderTarget->removeViewport(mViewport->getZOrder());
    }
    mViewport = nullptr;
    mRenderTarget = nullptr;
    mTexture.reset();
    if (mMadeTexture) {
        // Without a texture manager the engine is gone, and its textures with it.
        if (Ogre::TextureManager* textures = Ogre::TextureManager::getSingletonPtr()) {
            if (Ogre::TexturePtr tex = textures->getByName(mTextureName, Ogre::RGN_DEFAULT)) {
                tex->unload();
                textures->remove(tex);
            }
        }
        mMadeTexture = false;
    }
    // A scene manager that went took its cameras and nodes along.
    if (mCameraScene && mCameraScene == GraphicsManager::getOgreSceneManager()) {
        if (mCameraNode)
            mCameraScene->destroySceneNode(mCameraNode);
        if (mCamera)
            mCameraScene->destroyCamera(mCamera);
    }
    mCameraScene = nullptr;
    mCameraNode = nullptr;
    mCamera = nullptr;
}

} // namespace core
} // namespace kavri3D
