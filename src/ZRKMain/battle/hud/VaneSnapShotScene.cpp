#include "battle/hud/VaneSnapShotScene.h"

#include <Ogre.h>
#include <cmath>
#include <core/BlackBoard.h>
#include <gui/IGuiManager.h>
#include <scene/DefaultProductResolver.h>
#include <scene/DefaultSceneHelper.h>
#include <scene/GrafixScene.h>
#include <util/StringConv.h>

#include "rooms/SnapShotEx.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
/// A vane setting ("t", "s", "camera", "lookAt") when it is three numbers, else the default.
Ogre::Vector3 vaneSetting(const char* attribute, const Ogre::Vector3& def)
{
    core::BlackBoard* board = core::BlackBoard::getSingletonPtr();
    const std::string text =
        board ? board->getString(std::string("kavri3D/app/config/land/vane/<xmlattr>/") + attribute, "")
              : std::string();
    float v[3];
    if (text.empty() || !core::parseVector3(text, v) || !std::isfinite(v[0]) || !std::isfinite(v[1]) ||
        !std::isfinite(v[2]))
        return def;
    return Ogre::Vector3(v[0], v[1], v[2]);
}
} // namespace

BattleRoom::VaneSnapShotScene::VaneSnapShotScene(core::SnapShotEx* snapshot, BattleRoom* room, core::GrafixScene* scene)
    : mRoom(room), mSceneInstance(scene  ? scene
                                  : room ? room->getScene()
                                         : nullptr),
      mSnapshot(snapshot), mSiteName("__vane")
{
    core::BasicSite* site = mSceneInstance ? mSceneInstance->createSite(mSiteName, true) : nullptr;
    if (!site)
        return;
    if (core::SceneDocumentPtr doc = core::DefaultProductResolver::resolve("vane", "", true))
        mFurnishId = site->addRoomOrFurnish("vane", doc, std::string(), false);
    else
        writeLog(kLogWarning, "room", "the wind vane's model is missing: the vane shows nothing");
    mVaneMovable = site->getMovable();
    mSceneInstance->showSiteEntites(mSiteName, false); // seen only in its own picture
}

BattleRoom::VaneSnapShotScene::~VaneSnapShotScene()
{
    if (!mSiteName.empty() && mSceneInstance)
        mSceneInstance->removeSite(mSiteName);
    mPicture.takeBack(); // the image goes first, then the texture under it
    mVaneMovable = nullptr;
    mFurnishId = -1;
    mSiteName.clear();
}

void BattleRoom::VaneSnapShotScene::setupScene()
{
    mGuiManager = GameServices::guiManager();
    if (mSnapshot && mSnapshot->getTexture())
        mPicture.give(mSnapshot, "vane", mGuiManager);
    const Ogre::Vector3 at = vaneSetting("t", Ogre::Vector3(0, 0, 10000));
    const Ogre::Vector3 scale = vaneSetting("s", Ogre::Vector3(1, 1, 1));
    const Ogre::Vector3 eye = vaneSetting("camera", Ogre::Vector3(0, 3.3f, 9995));
    const Ogre::Vector3 target = vaneSetting("lookAt", Ogre::Vector3(0, 0, 10000));
    if (mVaneMovable) {
        mVaneMovable->setPosition(at);
        mVaneMovable->setScale(scale);
    }
    GuiPicture::frame(mSnapshot, eye, target, Ogre::ColourValue(0, 0, 0, 0));
}

void BattleRoom::VaneSnapShotScene::showEntities()
{
    if (mGuiManager)
        mGuiManager->setRenderSwitch(false);
    if (mSceneInstance)
        mSceneInstance->showSiteEntites(mSiteName, true);
}

void BattleRoom::VaneSnapShotScene::hideEntities()
{
    if (mGuiManager)
        mGuiManager->setRenderSwitch(true);
    if (mSceneInstance)
        mSceneInstance->showSiteEntites(mSiteName, false);
}

void BattleRoom::VaneSnapShotScene::updateWind(const yake::math::Vector3& wind, const yake::math::Vector3& facing)
{
    if (!mVaneMovable)
        return;
    const Ogre::Vector3 a(facing.x, 0, facing.z);
    const Ogre::Vector3 b(wind.x, 0, wind.z);
    Ogre::Quaternion q = Ogre::Quaternion::IDENTITY;
    // No wind or no facing to speak of: the vane rests pointing ahead.
    if (std::isfinite(a.x) && std::isfinite(a.z) && std::isfinite(b.x) && std::isfinite(b.z) && a.length() >= 1e-6f &&
        b.length() >= 1e-6f)
        q = a.getRotationTo(b, Ogre::Vector3::UNIT_Y);
    const Ogre::Quaternion now = mVaneMovable->getOrientation();
    if (std::fabs(q.w - now.w) < 1e-4f && std::fabs(q.x - now.x) < 1e-4f && std::fabs(q.y - now.y) < 1e-4f &&
        std::fabs(q.z - now.z) < 1e-4f)
        return;
    mVaneMovable->setOrientation(q);
    core::DefaultSceneHelper::notifyNodeMoved(mVaneMovable, true);
}

} // namespace zrk
} // namespace kavri3D
