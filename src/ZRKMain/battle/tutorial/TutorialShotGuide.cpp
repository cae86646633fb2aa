#include "battle/tutorial/TutorialShotGuide.h"

#include <algorithm>
#include <boost/format.hpp>
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <cmath>
#include <cstdio>
#include <core/Camera.h>
#include <gui/IBattlePanel.h>
#include <gui/IGuideView.h>
#include <lan/ZRKLan.h>
#include <land/DollConstants.h>
#include <land/WeaponState.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <scene/BasicPlayer.h>
#include "battle/BattleInput.h"
#include "battle/hud/ZRKBubblePanel.h"
#include "battle/tutorial/BattleRoomNewbie.h"

namespace kavri3D {
namespace zrk {

namespace {
constexpr float kPi = DollConstants::PI;
/// Room left between the guide box and a bubble, and above the battle bar (shares of the height).
constexpr float kMargin = 0.02f;
/// How far the view may come up from its usual look down over the figure's shoulder (radians).
constexpr float kFlattestView = -0.1f;
constexpr float kViewStep = 0.01f;
/// A figure without a bubble: its head this far above its foot.
constexpr float kHeadHeight = 2.0f * DollConstants::HIT_ACTOR_OFFSET;

float across(float a) { return std::remainder(a, 2.0f * kPi); }

/// Where a point of the scene is drawn, as shares of the window (x right, y down); false
/// behind the eye.
bool drawnAt(Ogre::Camera* camera, const yake::math::Vector3& at, float& x, float& y)
{
    const Ogre::Vector3 eye = camera->getViewMatrix() * Ogre::Vector3(at.x, at.y, at.z);
    if (eye.z >= 0.0f)
        return false;
    const Ogre::Vector3 clip = camera->getProjectionMatrix() * eye;
    x = clip.x * 0.5f + 0.5f;
    y = 0.5f - clip.y * 0.5f;
    return std::isfinite(x) && std::isfinite(y);
}
} // namespace

TutorialShotGuide::TutorialShotGuide(BattleRoomNewbie& room) : mRoom(room) {}

void TutorialShotGuide::reset()
{
    mTold = kNothing;
    mShare = -1.0f;
    mUpdated = false;
    mFramed = false;
    mTarget = nullptr;
}

bool TutorialShotGuide::solve(ZRKPlayerSim& me, const WeaponState& weapon, int degrees, yake::math::Vector3& v,
                              float& share) const
{
    ZRKLand* land = mRoom.getLand();
    const float speed = weapon.speed * DollConstants::HIT_FACTOR_BULLET_SPEED;
    if (!land || speed <= 0.0f)
        return false;
    yake::math::Vector3 gun;
    yake::math::Quaternion turn;
    me.getGunPoint(gun, turn);
    const float pitch = static_cast<float>(degrees) * kPi / 180.0f;
    if (land->_targetUnderTrajectory(gun, mAim, pitch, speed) != TRAJECTORY_REACHABLE ||
        !land->_calcProjectileV(&me, weapon.name, pitch, DollConstants::GUN_MUZZLE, gun, mAim, true, v))
        return false;
    share = (v.length() / speed - DollConstants::CTRL_FORCE_F_V_MIN) / (1.0f - DollConstants::CTRL_FORCE_F_V_MIN);
    return std::isfinite(share);
}

void TutorialShotGuide::update(const yake::math::Vector3& aim, const yake::math::Vector3& foot,
                               const yake::math::Vector3& head, const ZRKBasicSim* target)
{
    mAim = aim;
    mFoot = foot;
    mHead = head;
    mTarget = target;
    mUpdated = true;
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    WeaponState* weapon = me ? me->getCurrentWeaponState() : nullptr;
    if (!me || !weapon)
        return;
    const int pitch = me->getPlayerBattle().pitch;
    yake::math::Vector3 v;
    float share = -1.0f;
    const bool reaches = solve(*me, *weapon, pitch, v, share) && share >= kLeastShare && share <= 1.0f;
    // The nearest angle of the barrel from which a shot reaches with room to spare.
    int better = -1;
    yake::math::Vector3 betterV;
    for (int d = 1; !reaches && better < 0 && d <= kHighestPitch - kLowestPitch; ++d)
        for (const int p : {pitch + d, pitch - d}) {
            float s = -1.0f;
            if (better < 0 && p >= kLowestPitch && p <= kHighestPitch && solve(*me, *weapon, p, betterV, s) &&
                s >= kSearchLeast && s <= kSearchMost)
                better = p;
        }
    // Where the shell must leave for: the flight found, or straight at the target.
    yake::math::Vector3 gun;
    yake::math::Quaternion turn;
    me->getGunPoint(gun, turn);
    const yake::math::Vector3 way = reaches ? v : better >= 0 ? betterV : aim - gun;
    const float error = across(std::atan2(way.x, way.z) - me->getHeading());
    const float far = std::sqrt((aim.x - gun.x) * (aim.x - gun.x) + (aim.z - gun.z) * (aim.z - gun.z));
    const bool inSight = std::fabs(error) < kPi / 2.0f && far * std::sin(std::fabs(error)) <= kSightReach;
    if (!inSight)
        tell(error > 0.0f ? kTurnLeft : kTurnRight, -1.0f); // A turns the figure left
    else if (!reaches)
        tell(better < 0 ? kNoneReaches : better > pitch ? kRaise : kLower, -1.0f);
    else
        tell(static_cast<int>(std::lround(share * DollConstants::CHARGE_SECONDS * 10.0f)), share);
}

void TutorialShotGuide::tell(int told, float share)
{
    mShare = share;
    if (told == mTold)
        return;
    mTold = told;
    gui::IGuideView* guide = mRoom.getGuide();
    if (!guide)
        return;
    if (told >= 0) {
        char seconds[16];
        std::snprintf(seconds, sizeof seconds, "%.1f", static_cast<double>(told) / 10.0);
        guide->setLine(boost::str(boost::format(ZRKLan::getMsg("msg/guide_force")) % seconds));
        return;
    }
    const char* key = told == kTurnLeft    ? "msg/guide_turn_left"
                      : told == kTurnRight ? "msg/guide_turn_right"
                      : told == kRaise     ? "msg/guide_raise"
                      : told == kLower     ? "msg/guide_lower"
                                           : "msg/guide_no_force";
    guide->setLine(ZRKLan::getMsg(key));
}

void TutorialShotGuide::afterFrame()
{
    const bool updated = mUpdated;
    mUpdated = false;
    showOwnBubble(!updated);
    if (!updated)
        return;
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    // The gauge marks the force told: a charge that runs on by itself stops there, as the
    // player who lets go at the told time does.
    if (me && mTold >= 0 && mShare >= 0.0f)
        me->promptForce(mShare);
    frameView();
}

void TutorialShotGuide::showOwnBubble(bool shown)
{
    if (shown && !mOwnBubbleHidden)
        return;
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    boost::shared_ptr<BattleRoom::ZRKBubblePanel> bubble =
        me && me->getPlayerRef() ? BattleRoom::getBubble(*me->getPlayerRef()) : nullptr;
    CEGUI::Window* window = bubble ? bubble->getWindow() : nullptr;
    mOwnBubbleHidden = !shown && window;
    if (!window)
        return;
    if (shown)
        bubble->refresh(); // shown again as its figure's state says
    else
        window->hide(); // each frame: a refresh of its numbers may have shown it
}

void TutorialShotGuide::frameView()
{
    if (!mRoom.isCameraOwn()) {
        mFramed = false; // the view follows a shell, or the end: framed again when it comes back
        return;
    }
    core::Camera* controller = mRoom.getCameraController();
    Ogre::Camera* camera = mRoom.getCamera();
    if (mFramed || !controller || !camera)
        return;
    mFramed = true;
    core::CameraControllerTP* view = controller->getCameraControllerTP();
    const float ceiling = mRoom.getHudCeiling();
    gui::IBattlePanelHost* bar = mRoom.getBattlePanel();
    const float floor = bar && bar->getTop() > 0.0f && bar->getTop() <= 1.0f ? bar->getTop() : 1.0f;
    // The target's head bubble stands on its head: the head low enough for the whole bubble
    // to fit under the guide box.
    yake::math::Vector3 head = mHead;
    float bubble = 0.0f;
    if (mTarget && mTarget->getPlayerRef())
        if (boost::shared_ptr<BattleRoom::ZRKBubblePanel> b = BattleRoom::getBubble(*mTarget->getPlayerRef())) {
            head = mFoot + b->focusOffset();
            CEGUI::Window* w = b->getWindow();
            const CEGUI::Sizef sheet = CEGUI::System::getSingleton().getDefaultGUIContext().getSurfaceSize();
            if (w && sheet.d_height > 0.0f)
                bubble = w->getPixelSize().d_height / sheet.d_height;
        }
    if (!(head.y > mFoot.y))
        head = mFoot + yake::math::Vector3(0.0f, kHeadHeight, 0.0f);
    // From the usual look over the shoulder (wherever the mouse left the view), the view comes
    // up till the target stands between the guide box and the battle bar; failing that, where
    // it stands best.
    float best = BattleInput::kUsualPitch, bestRoom = -1e9f;
    for (float pitch = BattleInput::kUsualPitch; pitch >= kFlattestView - 1e-4f; pitch -= kViewStep) {
        view->setPitch(pitch);
        view->place(camera);
        float hx = 0.0f, hy = 0.0f, fx = 0.0f, fy = 0.0f;
        if (!drawnAt(camera, head, hx, hy) || !drawnAt(camera, mFoot, fx, fy))
            continue;
        const float room = std::min(hy - bubble - (ceiling + kMargin), (floor - kMargin) - fy);
        if (room > bestRoom) {
            bestRoom = room;
            best = pitch;
        }
        if (room >= 0.0f)
            break;
    }
    view->setPitch(best);
    view->place(camera);
}

} // namespace zrk
} // namespace kavri3D
