#include "rooms/BoxSnapShotScene.h"

#include <Ogre.h>
#include <gui/IGuiManager.h>
#include <scene/DefaultProductResolver.h>
#include <scene/GrafixScene.h>

#include "rooms/SnapShotManager.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

BoxSnapShotScene::BoxSnapShotScene(core::GrafixScene* scene, const std::string& siteName,
                                   const std::string& productName, float x)
    : mSceneInstance(scene), mSiteName(siteName), mProductName(productName), mX(x)
{
    core::BasicSite* site = scene ? scene->createSite(siteName, true) : nullptr;
    if (!site)
        return;
    if (core::SceneDocumentPtr doc = core::DefaultProductResolver::resolve(productName, "", true)) {
        // The site keeps its box when the scene is made again: the same model serves.
        mItemId = site->findItem(productName);
        if (mItemId == -1)
            mItemId = site->addRoomOrFurnish(productName, doc, std::string(), false);
    }
    mSiteMovable = site->getMovable();
    if (mItemId != -1)
        site->setItemVisible(mItemId, true);
}

BoxSnapShotScene::~BoxSnapShotScene() = default;

void BoxSnapShotScene::setupScene()
{
    mGuiManager = GameServices::guiManager();
    mPicture.give(mSiteName, mSiteName, mGuiManager);
    if (mSiteMovable) {
        mSiteMovable->setPosition(mX, 0, -7000);
        mSiteMovable->setOrientation(Ogre::Quaternion(Ogre::Degree(25), Ogre::Vector3::UNIT_Y));
    }
    GuiPicture::frame(SnapShotManager::instance().find(mSiteName), Ogre::Vector3(mX, 600, -5000),
                      Ogre::Vector3(mX, 6, -7000), Ogre::ColourValue(0.8f, 0.8f, 0.8f, 0));
}

void BoxSnapShotScene::showEntities()
{
    if (mGuiManager)
        mGuiManager->setRenderSwitch(false);
}

void BoxSnapShotScene::hideEntities()
{
    if (mGuiManager)
        mGuiManager->setRenderSwitch(true);
}

void BoxSnapShotScene::playAnimation()
{
    core::BasicSite* site = mSceneInstance ? mSceneInstance->getSite(mSiteName) : nullptr;
    if (site && mItemId != -1)
        site->controlAnimation(mItemId, std::string(), 2);
}

} // namespace zrk
} // namespace kavri3D
