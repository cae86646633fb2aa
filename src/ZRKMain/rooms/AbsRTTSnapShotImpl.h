#pragma once
#include <OgreRenderTargetListener.h>
#include <OgreTexture.h>
#include <string>

namespace Ogre {
class Camera;
class RenderTarget;
class SceneManager;
class SceneNode;
class Viewport;
} // namespace Ogre

namespace kavri3D {
namespace core {

class SnapShotEx;

/// The OGRE side of a snapshot: its texture, camera, viewport and render target, and the
/// listener that brackets every render of the texture with the snapshot's hooks. What
/// create made, destroy releases (and nothing else); the same names can then be made again.
class AbsRTTSnapShotImpl : public Ogre::RenderTargetListener {
public:
    explicit AbsRTTSnapShotImpl(SnapShotEx* owner);
    ~AbsRTTSnapShotImpl() override;
    AbsRTTSnapShotImpl(const AbsRTTSnapShotImpl&) = delete;
    AbsRTTSnapShotImpl& operator=(const AbsRTTSnapShotImpl&) = delete;

    void preRenderTargetUpdate(const Ogre::RenderTargetEvent& evt) override;
    void postRenderTargetUpdate(const Ogre::RenderTargetEvent& evt) override;

    /// Makes the OGRE objects; false (and nothing left behind) when they cannot be made.
    virtual bool create() = 0;
    virtual void destroy();
    /// Renders the texture once; false without a render target.
    virtual bool update();

    SnapShotEx* getOwner() const { return mOwner; }
    Ogre::Texture* getTexture() const { return mTexture.get(); }
    Ogre::Camera* getCamera() const { return mCamera; }
    Ogre::Viewport* getViewport() const { return mViewport; }
    Ogre::RenderTarget* getRenderTarget() const { return mRenderTarget; }
    const std::string& getTextureName() const { return mTextureName; }
    const std::string& getCameraName() const { return mCameraName; }
    unsigned getWidth() const { return mWidth; }
    unsigned getHeight() const { return mHeight; }

protected:
    /// The scene manager the camera was made in, kept to check it is still there at destroy.
    void madeCamera(Ogre::SceneManager* scene, Ogre::Camera* camera, Ogre::SceneNode* node);
    void madeTexture(const Ogre::TexturePtr& texture);

    SnapShotEx* mOwner;
    Ogre::TexturePtr mTexture;
    Ogre::Camera* mCamera = nullptr;
    Ogre::Viewport* mViewport = nullptr;
    Ogre::RenderTarget* mRenderTarget = nullptr;
    std::string mTextureName = "rttSnapShotTexture";
    std::string mCameraName = "rttSnapShotCamera";
    unsigned mWidth = 512;
    unsigned mHeight = 512;

private:
    Ogre::SceneManager* mCameraScene = nullptr;
    Ogre::SceneNode* mCameraNode = nullptr;
    bool mMadeTexture = false;
};

} // namespace core
} // namespace kavri3D
