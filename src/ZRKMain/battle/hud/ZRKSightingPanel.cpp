#include "battle/hud/ZRKSightingPanel.h"

#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <core/ClientStateTable.h>
#include <cstdio>
#include <core/BlackBoard.h>
#include <core/CEGUIPanelContainer.h>
#include <core/Frame.h>
#include <lan/ZRKLan.h>
#include <land/DollConstants.h>
#include <land/PlayerBattleState.h>
#include <land/WeaponBag.h>
#include <land/WeaponState.h>
#include <land/ZRKBattleState.h>
#include <land/ZRKLand.h>
#include <land/ZRKNpcSim.h>
#include <land/ZRKNpcState.h>
#include <land/ZRKPlayerSim.h>
#include <misc/CEGUIAnimationLib.h>
#include <scene/BasicPlayer.h>
#include <yake/Quaternion.h>

#include "battle/BattleRoom.h"
#include "battle/hud/ZRKBubblePanel.h"
#include "rooms/CeguiWidgets.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"
#include <text/CeguiText.h>

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";

boost::shared_ptr<BattleRoom::ZRKBubblePanel> bubbleOf(ZRKBasicSim* sim)
{
    const boost::shared_ptr<core::BasicPlayer>& player =
        sim ? sim->getPlayerRef() : boost::shared_ptr<core::BasicPlayer>();
    return player ? BattleRoom::getBubble(*player) : boost::shared_ptr<BattleRoom::ZRKBubblePanel>();
}

bool fighting(const ZRKPlayerSim* doll) { return doll->getPlayerBattle().state < 100; }
bool fighting(ZRKNpcSim* npc) { return npc->getState().getBattleState().state < 100; }
} // namespace

BattleRoom::ZRKSightingPanel::ZRKSightingPanel(BattleRoom* room) : core::CEGUIPanel(GameServices::frame()), mRoom(room)
{
}

BattleRoom::ZRKSightingPanel::~ZRKSightingPanel() { destroyWindow(); }

CEGUI::Window* BattleRoom::ZRKSightingPanel::part(const std::string& path) const
{
    return CeguiWidgets::child(mRoot, path);
}

bool BattleRoom::ZRKSightingPanel::createWindow()
{
    core::CEGUIPanelContainer* container = getContainer();
    CEGUI::Window* top = container ? container->getTopWindow() : nullptr;
    if (!CeguiWidgets::alive(top))
        return false;
    try {
        mRoot = CEGUI::WindowManager::getSingleton().loadLayoutFromFile("sighting.layout", CeguiWidgets::kGroup);
        top->addChild(mRoot);
        // The layout must hold them all: a missing one fails the sight.
        mForceGauge = mRoot->getChild("force/pg");
        mForceFrame = mRoot->getChild("force/frm");
        mBottom = mRoot->getChild("bottom");
        mStatus = mRoot->getChild("status");
        mCd0 = mRoot->getChild("cd0");
        mCd1 = mRoot->getChild("cd1");
        mAutoMark = mRoot->getChild("bottom/auto");
        mBottom->hide();
        mAutoMark->hide();
        mAssistAllowed = -1;
        core::BlackBoard* board = core::BlackBoard::getSingletonPtr();
        mAutoChargeSetting = !board || board->getBool("kavri3D/app/func/auto_charge", true) ? 1 : 0;
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, std::string("the sight cannot be made: ") + e.what());
        destroyWindow();
    }
    return mRoot != nullptr;
}

void BattleRoom::ZRKSightingPanel::destroyWindow()
{
    if (mRoot) {
        if (mStatus)
            core::CEGUIAnimationLib::instance().removeWindow(mStatus);
        releaseForceRing();
        CeguiWidgets::destroy(mRoot);
    }
    mStatus = mForceGauge = mForceFrame = mBottom = mAutoMark = mCd0 = mCd1 = nullptr;
    if (mAimFlash && mRoom)
        mRoom->removeFlashByWindow(mAimFlash);
    mAimFlash = nullptr;
    mAutoChargeTarget = nullptr;
}

void BattleRoom::ZRKSightingPanel::show(bool visible)
{
    core::CEGUIPanel::show(visible);
    if (mAimFlash && CeguiWidgets::alive(mAimFlash))
        mAimFlash->setVisible(visible);
}

void BattleRoom::ZRKSightingPanel::setArea(float offset, float size)
{
    if (!mRoot)
        return;
    mRoot->setPosition(CEGUI::UVector2(CEGUI::UDim(0.5f, offset), CEGUI::UDim(0.5f, offset)));
    mRoot->setSize(CEGUI::USize(CEGUI::UDim(0, size), CEGUI::UDim(0, size)));
}

void BattleRoom::ZRKSightingPanel::setMode(int mode)
{
    if (mode == mMode)
        return;
    mMode = mode;
    mLastLook = -1;
    ZRKLand* land = mRoom ? mRoom->getLand() : nullptr;
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    if (mAssistAllowed == -1) {
        // Decided once for the battle: the tutorial, a player not past the level, or one
        // whose record allows it always.
        const int maxLevel = ZRKLan::getConfig().getIntVal("battle/aiming_lv_max", 15);
        if (mRoom && mRoom->getName() == core::ClientStateTable::kTutorial)
            mAssistAllowed = 1;
        else if (me && me->getPlayerBattle().aimingLevel <= maxLevel)
            mAssistAllowed = 1;
        else if (me && (me->getBattle().field2 & 1))
            mAssistAllowed = 1;
        else
            mAssistAllowed = 0;
    }
    const std::string digit = std::to_string(mode);
    mActiveImage = CeguiWidgets::utf8(CeguiWidgets::imageName("sighting", "active" + digit));
    mNormalImage = CeguiWidgets::utf8(CeguiWidgets::imageName("sighting", "normal" + digit));
    if (mAimFlash && mRoom)
        mRoom->removeFlashByWindow(mAimFlash);
    mAimFlash = nullptr;
    if (mForceGauge)
        mForceGauge->hide();
    mAutoChargeTarget = nullptr;
    if (mode == 1) {
        setArea(-48, 96);
        createForceRing();
        if (mForceGauge)
            mForceGauge->show();
        return;
    }
    if (mode != 2 && mode != 3) {
        mActiveImage.clear();
        mNormalImage.clear();
    }
    if (mAssistAllowed > 0)
        setLockTarget(nullptr);
    if (mode == 2 || mode == 3)
        setArea(-32, 64);
    else
        setArea(0, 0);
    if (mForceGauge)
        mForceGauge->hide();
}

void BattleRoom::ZRKSightingPanel::createForceRing()
{
    if (!mForceGauge)
        return;
    mForceRing.create(70, 84, 6);
    mForceGauge->setProperty("Image", CeguiWidgets::utf8(mForceRing.imageProperty()));
}

void BattleRoom::ZRKSightingPanel::releaseForceRing()
{
    if (mForceGauge && CeguiWidgets::alive(mForceGauge))
        mForceGauge->setProperty("Image", "");
    mForceRing.release();
}

void BattleRoom::ZRKSightingPanel::update(float)
{
    ++mUpdates;
    if (!mRoot)
        return;
    mRootRect = mRoot->getUnclippedOuterRect().get();
    const CEGUI::Sizef sheet = CEGUI::System::getSingleton().getDefaultGUIContext().getSurfaceSize();
    mSheetRect = CEGUI::Rectf(0, 0, sheet.d_width, sheet.d_height);
    mPlayerUnderSight = mNpcUnderSight = false;
    ZRKLand* land = mRoom ? mRoom->getLand() : nullptr;
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    WeaponBag* bag = me ? me->getCurrentWeaponBag() : nullptr;
    if (!bag)
        return;

    int look = 0;
    const int cd = bag->getCD();
    if (cd > 0) {
        look |= 1;
        if (mStatusLook != 1) {
            for (CEGUI::Window* w : {mBottom, mCd0, mCd1, mStatus})
                w->show();
            mStatusLook = 1;
            CeguiWidgets::setImage(mStatus, CeguiWidgets::imageName("chars", "sighting_arm"));
            core::CEGUIAnimationLib& lib = core::CEGUIAnimationLib::instance();
            lib.addWindow(mStatus, "zrk_ani");
            lib.setAnimationState(mStatus, "blink_cd");
        }
        if (cd != mLastCooldown) {
            char digits[16];
            std::snprintf(digits, sizeof digits, "%02d", std::min(cd, 99999));
            CeguiWidgets::setImage(mCd0, CeguiWidgets::imageName("chars", std::string("armcd") + digits[0]));
            CeguiWidgets::setImage(mCd1, CeguiWidgets::imageName("chars", std::string("armcd") + digits[1]));
            mLastCooldown = cd;
        }
    }

    ZRKBasicSim* target = nullptr;
    bool keepChoice = false;
    if (mMode == 1) {
        keepChoice = land->getTimeNow() <= mHoldUntil || mFrameCount % 4 != 0;
        bool active = mAssistAllowed > 0 && !keepChoice;
        if (active) {
            mAutoChargeTarget = nullptr;
            mAutoMark->hide();
        }
        ++mFrameCount;
        const boost::shared_ptr<core::BasicPlayer>& own = me->getPlayerRef();
        WeaponState* weapon = me->getCurrentWeaponState();
        active = active && weapon && weapon->shared && weapon->shared->readiness >= 0.1f;
        const yake::math::Vector3 myPos = me->getMovable().getPosition();
        float best = FLT_MAX;
        yake::math::Vector3 aim;
        const auto consider = [&](ZRKBasicSim* sim, bool& underSight) {
            if (!isUnderSight(sim))
                return;
            underSight = true;
            if (!active || sim->getColour() == me->getColour() || !sim->getPlayerRef() || sim->getPlayerRef() == own)
                return;
            const yake::math::Vector3 pos = sim->getMovable().getPosition();
            const float d = (pos - myPos).squaredLength();
            if (d < best) { // equal distances keep the earlier one
                best = d;
                aim = pos;
                target = sim;
            }
        };
        for (const auto& d : land->getAllDoll())
            if (d.second && fighting(d.second))
                consider(d.second, mPlayerUnderSight);
        for (const auto& n : land->getAllNpc())
            if (n.second && fighting(n.second))
                consider(n.second, mNpcUnderSight);
        if (target) {
            mHoldUntil = land->getTimeNow() + 1.0f;
            yake::math::Vector3 gun;
            yake::math::Quaternion turn;
            me->getGunPoint(gun, turn);
            const yake::math::Vector3 muzzle = gun + (turn * yake::math::Vector3::UNIT_Z) * 5.0f;
            const float pitch = static_cast<float>(me->getPlayerBattle().pitch) * static_cast<float>(M_PI) / 180.0f;
            yake::math::Vector3 velocity;
            readWeaponKeys(me);
            bool solved = land->_calcProjectileV(me, weapon->name, pitch, 5.0f, muzzle, aim, false, velocity);
            // No speed, or a force that is no number, counts as no solution.
            float force = 0.0f;
            if (solved && mSpeed > 0.0f) {
                const float ratio = velocity.length() / mSpeed;
                force = (ratio - DollConstants::CTRL_FORCE_F_V_MIN) / (1.0f - DollConstants::CTRL_FORCE_F_V_MIN);
                solved = std::isfinite(force);
            } else {
                solved = false;
            }
            if (solved) {
                mAutoMark->show();
                me->promptForce(std::min(std::max(force, 0.0f), 1.0f));
            } else {
                target = nullptr;
            }
        }
        if (active)
            mAutoChargeTarget = target;
    } else if (mMode == 2) {
        keepChoice = true;
        const std::string id = land->_hitPlayerByRay();
        if (!id.empty())
            (ZRKNpcState::isNpcName(id) ? mNpcUnderSight : mPlayerUnderSight) = true;
    } else if (mMode == 3) {
        keepChoice = true;
        for (const auto& d : land->getAllDoll())
            if (d.second && fighting(d.second) && isInCloseFan(d.second)) {
                mPlayerUnderSight = true;
                break;
            }
        if (!mPlayerUnderSight)
            for (const auto& n : land->getAllNpc())
                if (n.second && fighting(n.second) && isInCloseFan(n.second)) {
                    mNpcUnderSight = true;
                    break;
                }
    }
    if (mAssistAllowed > 0 && !keepChoice)
        setLockTarget(target);

    if (cd <= 0) {
        core::CEGUIAnimationLib::instance().removeWindow(mStatus);
        if (mMode == 1 && (mPlayerUnderSight || mNpcUnderSight)) {
            if (mStatusLook != 2) {
                mBottom->show();
                mCd0->hide();
                mCd1->hide();
                mStatus->show();
                mStatusLook = 2;
                CeguiWidgets::setImage(mStatus, CeguiWidgets::imageName("chars", "sighting_range"));
            }
        } else if (mStatusLook != -1) {
            // The reload is over: its status and digits go with the bar under the sight (they
            // stand beside it, not in it).
            mBottom->hide();
            mStatus->hide();
            mCd0->hide();
            mCd1->hide();
            mStatusLook = -1;
        }
    }
    if (mPlayerUnderSight || mNpcUnderSight)
        look |= 2;
    if (look != mLastLook) {
        mLastLook = look;
        CEGUI::String image = look & 2 ? mActiveImage : mNormalImage;
        if (mForceFrame && mForceFrame->isVisible())
            CeguiWidgets::setImage(mForceFrame,
                                   CeguiWidgets::imageName("sighting", look & 2 ? "force_frm1" : "force_frm0"));
        if (!image.empty()) {
            image += look & 1 ? "1" : "2";
            CeguiWidgets::setImage(mRoot, gui::fromCeguiString(image));
        } else {
            mRoot->setProperty("Image", "");
        }
    }
    if (mForceGauge && mForceGauge->isVisible() && mMode == 1)
        mForceRing.draw(static_cast<float>(me->getPlayerBattle().force),
                        static_cast<float>(me->getPlayerBattle().markForce));
    if (mAutoChargeSetting > 0)
        me->setAutoCharging(mAutoChargeTarget != nullptr);
    updateAimFlash((look & 2) != 0);
}

void BattleRoom::ZRKSightingPanel::readWeaponKeys(ZRKPlayerSim* me)
{
    WeaponState* weapon = me->getCurrentWeaponState();
    const std::string name = weapon ? weapon->name : std::string();
    if (name == mFanWeapon && mKeysRead)
        return;
    mKeysRead = true;
    mFanWeapon = name;
    mSpeed = weapon ? weapon->getSettings().getRealVal("i_speed", 0.0f) * DollConstants::HIT_FACTOR_BULLET_SPEED : 0.0f;
    const core::XmlConfigHelper setting = me->getCurrentWeaponSetting();
    mFan = static_cast<float>(setting.getIntVal("i_hit_range", 0));
    mRange = setting.getRealVal("i_shot_range", 0.001f);
}

bool BattleRoom::ZRKSightingPanel::isUnderSight(ZRKBasicSim* sim)
{
    ZRKLand* land = mRoom ? mRoom->getLand() : nullptr;
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    const boost::shared_ptr<core::BasicPlayer>& player = sim->getPlayerRef();
    if (!player || !me || player == me->getPlayerRef())
        return false;
    boost::shared_ptr<ZRKBubblePanel> bubble = bubbleOf(sim);
    if (!bubble)
        return false;
    const CEGUI::Vector2f at = bubble->getScreenPos();
    if (at.d_x < 0)
        return false;
    if (!mRootRect.isPointInRect(CEGUI::Vector2f(mSheetRect.getWidth() * at.d_x, mSheetRect.getHeight() * at.d_y)))
        return false;
    bubble->showDistance(player, me->getPlayerRef(), 0);
    return true;
}

bool BattleRoom::ZRKSightingPanel::isInCloseFan(ZRKBasicSim* sim)
{
    ZRKLand* land = mRoom ? mRoom->getLand() : nullptr;
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    const boost::shared_ptr<core::BasicPlayer>& player = sim->getPlayerRef();
    if (!player || !me || player == me->getPlayerRef())
        return false;
    readWeaponKeys(me);
    const float fan = mFan <= 0.01f ? DollConstants::HIT_CLOSE_FAN : mFan;
    yake::math::Vector3 dir = sim->getMovable().getPosition() - me->getMovable().getPosition();
    const float dist = dir.length();
    if (!(dist <= mRange))
        return false;
    if (fan <= 0.0f)
        return true;
    const Ogre::Vector3 to = dist > 0.0f ? Ogre::Vector3(dir.x, dir.y, dir.z) / dist : Ogre::Vector3::UNIT_Z;
    const yake::math::Quaternion& o = me->getMovable().getOrientation();
    const Ogre::Quaternion facingTurn =
        Ogre::Quaternion(Ogre::Degree(DollConstants::HIT_CLOSE_FAN_OFFSET), Ogre::Vector3::UNIT_Y) *
        Ogre::Quaternion(o.w, o.x, o.y, o.z);
    const Ogre::Vector3 facing = facingTurn * Ogre::Vector3::UNIT_Z;
    Ogre::Radian angle;
    Ogre::Vector3 axis;
    facing.getRotationTo(to, Ogre::Vector3::UNIT_Y).ToAngleAxis(angle, axis);
    float a = angle.valueRadians();
    if (axis.y < 0)
        a = -a;
    while (a > M_PI)
        a -= 2 * M_PI;
    while (a < -M_PI)
        a += 2 * M_PI;
    return std::fabs(a * 180.0f / static_cast<float>(M_PI)) <= fan / 2.0f;
}

void BattleRoom::ZRKSightingPanel::setLockTarget(ZRKBasicSim* target)
{
    ZRKLand* land = mRoom ? mRoom->getLand() : nullptr;
    if (!land)
        return;
    for (const auto& d : land->getAllDoll())
        markBubble(d.second, d.second == target);
    if (!mPlayerUnderSight)
        for (const auto& n : land->getAllNpc())
            markBubble(n.second, n.second == target);
}

void BattleRoom::ZRKSightingPanel::markBubble(ZRKBasicSim* sim, bool locked)
{
    ZRKLand* land = mRoom ? mRoom->getLand() : nullptr;
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    if (!sim || !sim->getPlayerRef() || (me && sim->getPlayerRef() == me->getPlayerRef()))
        return;
    if (boost::shared_ptr<ZRKBubblePanel> bubble = bubbleOf(sim))
        bubble->setLocked(locked);
}

void BattleRoom::ZRKSightingPanel::updateAimFlash(bool onTarget)
{
    if (mMode != 1)
        return;
    if (onTarget) {
        if (mAimFlash && CeguiWidgets::alive(mAimFlash))
            mAimFlash->hide();
        return;
    }
    if (mAimFlash && CeguiWidgets::alive(mAimFlash))
        mAimFlash->show();
    else if (mRoom)
        mAimFlash = mRoom->showFlash("sp_aim.swf", "", 128, 128, nullptr, -1.0f);
}

} // namespace zrk
} // namespace kavri3D
