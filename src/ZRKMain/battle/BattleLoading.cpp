#include "battle/BattleLoading.h"

#include <core/AudioManager.h>
#include <core/BlackBoard.h>
#include <core/EventManager.h>
#include <core/GraphicsSystem.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <landscene/LandScene.h>
#include <land/DollConstants.h>
#include <land/SkillState.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <scene/GrafixScene.h>
#include "battle/BattleEnd.h"
#include "battle/BattleGuide.h"
#include "battle/BattleHintManager.h"
#include "battle/BattleInput.h"
#include "battle/BattleLandRoom.h"
#include "battle/BattleLoadout.h"
#include "battle/hud/VaneSnapShotScene.h"
#include "battle/hud/ZRKProgressPanel.h"
#include "rooms/CeguiWidgets.h"
#include "rooms/OgreRTTSnapShotImplEx.h"
#include "rooms/SnapShotEx.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";
}

BattleLoading::BattleLoading(BattleRoom& room) : mRoom(room) {}

BattleLoading::~BattleLoading() = default;

void BattleLoading::createProgressPanel()
{
    if (mProgressPanel)
        return;
    mProgressPanel.reset(new BattleRoom::ZRKProgressPanel(&mRoom));
    mProgressPanel->createWindow();
    if (core::EventManager* events = core::EventManager::getSingletonPtr())
        events->addEventHandler(BattleRoom::ZRKProgressPanel::kEventType, mProgressPanel);
}

void BattleLoading::destroyProgressPanel()
{
    if (!mProgressPanel)
        return;
    if (core::EventManager* events = core::EventManager::getSingletonPtr())
        events->removeEventHandler(mProgressPanel);
    mProgressPanel->destroyWindow();
    mProgressPanel.reset();
}

void BattleLoading::createLand()
{
    createProgressPanel();
    // What was heard of the old land ends before it goes, and it goes before the new one is made.
    stopHearingLand();
    mRoom.releaseLand();
    // A mission's next stage in the same scene: what the last stage lent goes back before the
    // new stage lends its own arms.
    mRoom.mLoadout->restoreBags();
    mRoom.mLand.reset(new ZRKLand(&mRoom));
    if (mRoom.hasScene())
        mRoom.createSight();
    mLoadingStarted = false;
    mRoom.mEnd->forgetResult();
    BattleRoom* room = &mRoom;
    mRoom.setTimer(mRoom.mLoadTimer, BattleRoom::kLoadDelayMs, [room]() { room->startLoading(); });
    mParamsReceived = false;
    mRoomParam = boost::signals2::connection();
    ZRKRoomState* state = ZRKRoomRequest::getRoomState(std::string(), false, false);
    mRoom.mRoomName = state ? state->getRoomName() : std::string();
    if (!state) {
        writeLog(kLogWarning, kChannel, "the battle has no room: it waits in the loading screen");
        return;
    }
    std::weak_ptr<void> alive = mRoom.mLife.token();
    mRoomParam = state->subscribeToParamSignal(
        [room, alive](bool first, bool dress) {
            if (!alive.expired())
                room->onRoomParam(first, dress);
        },
        true);
}

void BattleLoading::onRoomParam()
{
    // While the server moves the room on to a mission's next stage (room state 5) its values
    // are still the last stage's: the battle waits for the new ones.
    ZRKRoomState* state = ZRKRoomRequest::getRoomState(mRoom.mRoomName, false, false);
    if (state && !state->isDestroyed() && state->getState().getIntVal("state", 0) == ROOM_RESYNC)
        return;
    mRoomParam = boost::signals2::connection(); // one notification is enough
    if (mParamsReceived)
        return;
    mParamsReceived = true;
    if (mRoom.mLoadTimer == -1)
        mRoom.startLoading();
}

void BattleLoading::startLoading()
{
    mRoom.kill(mRoom.mLoadTimer);
    ZRKLand* land = mRoom.getLand();
    if (!mParamsReceived || mLoadingStarted)
        return;
    if (!land) {
        writeLog(kLogWarning, kChannel, "loading asked for without a land");
        return;
    }
    mLoadingStarted = true;
    mRoom.stopHints();
    if (mRoom.mBattleHintEnabled) {
        mRoom.mHintManager.reset(new BattleHintManager(&mRoom));
        mRoom.mHintManager->load();
    }
    if (mProgressPanel) {
        mProgressPanel->showIntro(); // a rebuilt battle's stage may have its own
        mProgressPanel->fillPlayers();
    }
    mRoom.createFlashPanel();
    BattleRoom* battle = &mRoom;
    std::weak_ptr<void> alive = mRoom.mLife.token();
    mLandLoad = land->subscribeToLoadSignal([battle, alive](int a, int state) {
        if (!alive.expired())
            battle->onLandLoadState(a, state);
    });
    ZRKRoomState* room = mRoom.landRoomState();
    mRoom.mLoadout->readSpecialDuplicate();
    mRoom.mLandRoom.reset(new BattleLandRoom(mRoom.mRoomName));
    land->useRoom(mRoom.mLandRoom);
    if (!land->create()) {
        mRoom.onLandLoadState11();
        return;
    }
    if (core::GrafixScene* scene = mRoom.getScene()) {
        core::GraphicsSystem* graphics = core::GraphicsSystem::getSingletonPtr();
        mRoom.mLandScene.reset(new LandScene(*land, *scene, !graphics || graphics->isHeadless()));
        mRoom.mLandScene->setCamera(mRoom.getCamera());
    }
    mRoom.installEventPreviews();
    mPlayerState = boost::signals2::connection();
    if (room)
        mPlayerState = room->subscribeToPlayerStateSignal(
            [battle, alive](const std::string& player, int state) {
                if (!alive.expired())
                    battle->onPlayerStateChanged(player, state);
            },
            true);
    // The boxes opened and their prices change while the box screen is up.
    mBoxOffers = boost::signals2::connection();
    if (room)
        mBoxOffers = room->subscribeToRoomStateSignal(
            [battle, alive](core::XmlConfigHelper& next) {
                if (!alive.expired())
                    battle->fillBoxList(ZRKRoomState::boxesOf(next)); // the state coming, not the one held
            },
            false);
    playMusic(land->getMapInfo().getStringVal("music", "music_bg0.mp3"));
    createVane();
    mRoom.loadRadarConfig();
}

void BattleLoading::createVane()
{
    if (mVaneSnapShot)
        return;
    mVaneSnapShot = new core::SnapShotEx(core::SnapShotEx::kDefaultLens);
    mVaneScene = new BattleRoom::VaneSnapShotScene(mVaneSnapShot, &mRoom);
    // The snapshot owns both from here; without render textures (headless) it keeps the scene
    // unset-up and the vane simply is not shown.
    mVaneSnapShot->attach(mVaneScene, new core::OgreRTTSnapShotImplEx(mVaneSnapShot, "vane_tex", "vane_cam"));
    mVaneSnapShot->addRenderListener();
}

void BattleLoading::updateVane(const yake::math::Vector3& wind, const yake::math::Vector3& facing)
{
    if (mVaneScene)
        mVaneScene->updateWind(wind, facing);
}

void BattleLoading::destroyVane()
{
    if (mVaneSnapShot) {
        mVaneSnapShot->removeRenderListener();
        delete mVaneSnapShot;
    }
    mVaneSnapShot = nullptr;
    mVaneScene = nullptr;
}

void BattleLoading::playMusic(const std::string& name)
{
    stopMusic();
    core::AudioManager* audio = core::AudioManager::getSingletonPtr();
    if (!audio)
        return;
    core::BlackBoard* board = core::BlackBoard::getSingletonPtr();
    const std::string path = (board ? board->getString("kavri3D/appPath", "") : std::string()) + name;
    mMusicSound = audio->playSound(path, 6, core::DefaultAudioHelper::getVolume(0));
    GameServices::followSound(mMusicSound, true);
}

void BattleLoading::stopMusic()
{
    if (mMusicSound != -1) {
        if (core::AudioManager* audio = core::AudioManager::getSingletonPtr())
            audio->destroySound(static_cast<int>(mMusicSound));
        GameServices::followSound(mMusicSound, false);
    }
    mMusicSound = -1;
}

void BattleLoading::onLandLoadState(int state)
{
    switch (state) {
    case LOAD_LOADOUT:
        mRoom.mLoadout->arm();
        break;
    case LOAD_READY:
        onReady();
        break;
    case LOAD_RESULT:
        mRoom.mEnd->onResult();
        break;
    case LOAD_OVER: {
        BattleRoom* room = &mRoom;
        mRoom.setTimer(mRoom.mOverTimer, 1, [room]() { room->onBattleOver(); });
        break;
    }
    case LOAD_FAILED:
        mRoom.onLandLoadState11();
        break;
    default:
        break;
    }
}

void BattleLoading::onReady()
{
    mRoom.mGuide->clear();
    mRoom.mGuide->hide();
    mRoom.attachStatusProvider();
    if (!mRoom.isDragCursor()) {
        // Not while the player has the mouse for himself (the leave question is open, or
        // the suspend panel waits for his click).
        if (!mRoom.mInput->isMessageBoxOpen() && !mRoom.mInput->isSuspended())
            mRoom.mInput->captureCursor();
    }
    CeguiWidgets::setDefaultCursor("", "");
    ZRKLand* land = mRoom.getLand();
    if (ZRKPlayerSim* me = land && land->getFixPlay() == 1 ? land->getMyDoll() : nullptr)
        for (SkillState& skill : me->getSkillStates()) {
            // A stage's map locks a skill (below 0), shows it unusable (0) or frees it.
            const int c = land->getSkillConfig(skill.key);
            skill.enabled = c >= 0;
            skill.state = c == 0 ? 2 : 0;
            if (c < 0)
                skill.start = -1.0f;
        }
}

void BattleLoading::reset()
{
    mParamsReceived = false;
    mLoadingStarted = false;
    stopHearingLand();
    mRoomParam = boost::signals2::connection();
}

void BattleLoading::stopHearingLand()
{
    mLandLoad = boost::signals2::connection();
    mPlayerState = boost::signals2::connection();
    mBoxOffers = boost::signals2::connection();
}

} // namespace zrk
} // namespace kavri3D
