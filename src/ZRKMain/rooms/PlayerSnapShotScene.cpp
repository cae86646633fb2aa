#include "rooms/PlayerSnapShotScene.h"

#include <Ogre.h>
#include <cmath>
#include <gui/IGuiManager.h>

#include "rooms/RoleManager.h"
#include "rooms/SnapShotEx.h"
#include "rooms/SnapShotManager.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

const PlayerSnapShotScene::Placement PlayerSnapShotScene::kPlacements[10] = {
    {"myrole", "player", "myself", 0, -15050}, {"red1", "red0", "red0", 100, -15050},
    {"red2", "red1", "red1", 200, -15050},     {"red3", "red2", "red2", 300, -15050},
    {"red4", "red3", "red3", 400, -15050},     {"blue1", "blue0", "blue0", -100, -15050},
    {"blue2", "blue1", "blue1", -200, -15050}, {"blue3", "blue2", "blue2", -300, -15050},
    {"blue4", "blue3", "blue3", -400, -15050}, {"showview", "showview", "showview", -500, -14900},
};

PlayerSnapShotScene::PlayerSnapShotScene(core::GrafixScene* scene) : mSceneInstance(scene) {}

PlayerSnapShotScene::~PlayerSnapShotScene() = default;

void PlayerSnapShotScene::setupScene() { mGuiManager = GameServices::guiManager(); }

void PlayerSnapShotScene::setupPortrait(const Placement& p)
{
    PlayerSnapShotScene::setupScene();
    if (mSceneInstance) {
        if (ZRKRolePtr role = RoleManager::instance().getRole(p.role)) {
            role->setPosition(p.x, 0, kLineZ);
            if (core::BasicPlayerPtr avatar = role->getPlayer()) {
                // Hidden until its own picture renders: the pictures before it must not show it.
                avatar->setAvatarVisible(false);
                mAvatars.push_back(avatar);
            }
        }
    }
    mPicture.give(p.snapshot, p.image, mGuiManager);
    GuiPicture::frame(SnapShotManager::instance().find(p.snapshot), Ogre::Vector3(p.x, 0, p.cameraZ),
                      Ogre::Vector3(p.x, kLookHeight, kLineZ), Ogre::ColourValue(0, 0, 0, 0));
    fitFigure(p);
}

void PlayerSnapShotScene::fitFigure(const Placement& p)
{
    core::SnapShotEx* snapshot = SnapShotManager::instance().find(p.snapshot);
    Ogre::Camera* camera = snapshot ? snapshot->getCamera() : nullptr;
    if (!camera)
        return;
    // The main camera's lens sees a whole landscape: through it the figure would be a speck
    // at the bottom of its picture. Narrowed to the figure and its view shifted up to the
    // figure's middle, the camera staying where it stands, the figure fills the picture.
    const float distance = std::fabs(kLineZ - p.cameraZ);
    const float half = 0.5f * kFigureHeight / kFigureFill;
    camera->setFOVy(Ogre::Radian(2.0f * std::atan(half / distance)));
    camera->setFocalLength(distance);
    camera->setFrustumOffset(0, 0.5f * kFigureHeight - kLookHeight);
}

void PlayerSnapShotScene::showEntities()
{
    if (mGuiManager)
        mGuiManager->setRenderSwitch(false);
    for (const core::BasicPlayerPtr& avatar : mAvatars)
        avatar->setAvatarVisible(true);
}

void PlayerSnapShotScene::hideEntities()
{
    if (mGuiManager)
        mGuiManager->setRenderSwitch(true);
    for (const core::BasicPlayerPtr& avatar : mAvatars)
        avatar->setAvatarVisible(false);
}

} // namespace zrk
} // namespace kavri3D
