#include "rooms/OgreRTTSnapShotImplEx.h"

#include <Ogre.h>
#include <core/GraphicsManager.h>

#include "services/LogRoutine.h"

namespace kavri3D {
namespace core {

OgreRTTSnapShotImplEx::OgreRTTSnapShotImplEx(SnapShotEx* owner, const std::string& textureName,
                                             const std::string& cameraName)
    : AbsRTTSnapShotImpl(owner)
{
    mTextureName = textureName;
    mCameraName = cameraName;
    mWidth = mHeight = 256;
}

OgreRTTSnapShotImplEx::~OgreRTTSnapShotImplEx() = default;

bool OgreRTTSnapShotImplEx::create()
{
    Ogre::SceneManager* scene = GraphicsManager::getOgreSceneManager();
    if (!scene || !Ogre::TextureManager::getSingletonPtr()) {
        zrk::writeLog(zrk::kLogTrace, "SnapShotEx", "no render textures here: " + mTextureName + " not made");
        return false;
    }
    try {
        Ogre::Camera* camera = scene->createCamera(mCameraName);
        // Made first, so a node of a taken name still lets the camera be cleaned up.
        madeCamera(scene, camera, nullptr);
        Ogre::SceneNode* node = scene->getRootSceneNode()->createChildSceneNode(mCameraName + "/node");
        madeCamera(scene, camera, node);
        node->attachObject(camera);
        node->setFixedYawAxis(true, Ogre::Vector3::UNIT_Y);
        camera->setAspectRatio(Ogre::Real(mWidth) / Ogre::Real(mHeight));

        madeTexture(Ogre::TextureManager::getSingleton().createManual(
            mTextureName, Ogre::RGN_DEFAULT, Ogre::TEX_TYPE_2D, mWidth, mHeight, 0, Ogre::PF_R8G8B8A8,
            Ogre::TU_RENDERTARGET, nullptr, false, 0));
        mRenderTarget = mTexture->getBuffer(0, 0)->getRenderTarget(0);
        mViewport = mRenderTarget->addViewport(camera, 0, 0, 0, 1, 1);
        mViewport->setClearEveryFrame(true, Ogre::FBT_COLOUR | Ogre::FBT_DEPTH);
        mViewport->setBackgroundColour(Ogre::ColourValue(0, 0, 0, 0));
        return true;
    } catch (const Ogre::Exception& e) {
        zrk::writeLog(zrk::kLogError, "SnapShotEx",
                      "render texture " + mTextureName + " not made: " + e.getDescription());
        destroy();
        return false;
    }
}

} // namespace core
} // namespace kavri3D
