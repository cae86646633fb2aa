#include "battle/BattleRoom.h"

#include <algorithm>
#include <cmath>
#include <core/ClientStateTable.h>
#include <cstdint>
#include <cstdlib>
#include <gui/EventId.h>
#include <malloc.h>
#include <map>
#include <set>
#include <core/AudioManager.h>
#include <core/BlackBoard.h>
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <core/Camera.h>
#include <core/Frame.h>
#include <core/GuiManager.h>
#include <core/win32RenderWindow.h>
#include <core/GraphicsSystem.h>
#include <core/TimerManager.h>
#include <data/ZRKBagLayout.h>
#include <data/ZRKGameData.h>
#include <data/ZRKInventory.h>
#include <data/ZRKServer.h>
#include <data/ZRKJson.h>
#include <data/ZRKPlayerState.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <text/CeguiText.h>
#include <gui/IBattlePanel.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiManager.h>
#include <gui/IGuideContent.h>
#include <landscene/LandScene.h>
#include <land/ZRKBattleState.h>
#include <land/ZRKLand.h>
#include <lan/ZRKLan.h>
#include <scene/GrafixScene.h>
#include <land/SkillState.h>
#include <land/ZRKPlayerSim.h>
#include <yake/Time.h>
#include <transport/QueryString.h>
#include <misc/CEGUIAnimationLib.h>
#include <scene/BasicPlayer.h>
#include <land/ZRKNpcSim.h>
#include "battle/BattleHintManager.h"
#include "battle/BattleLandRoom.h"
#include "battle/hud/BattlePrompts.h"
#include "battle/hud/BattleStatusProvider.h"
#include "battle/DragCursorModule.h"
#include "battle/EvtDollHandler.h"
#include "battle/EvtLandHandler.h"
#include "battle/hud/VaneSnapShotScene.h"
#include "battle/hud/ZRKProgressPanel.h"
#include "battle/hud/ZRKSuspendPanel.h"
#include "battle/EvtNpcHandler.h"
#include "battle/hud/SimBubbleInfoProvider.h"
#include "battle/hud/ZRKBubblePanel.h"
#include "battle/hud/ZRKFlashPanel.h"
#include "battle/hud/ZRKSightingPanel.h"
#include "rooms/BackgroundScene.h"
#include "rooms/CeguiWidgets.h"
#include "rooms/EquipRes.h"
#include "rooms/OgreRTTSnapShotImplEx.h"
#include "rooms/SnapShotEx.h"
#include "rooms/PersonalRoom.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";
/// The battle's picture sets: its prompts, and the displays' rows, bubbles and sight.
const char* const kImagesets[] = {"prompt", "prompt2", "end", "battle_num", "sighting", "chars", "title", "flash",
                                  "block", "icons1", "pve"};
constexpr std::size_t kMaxParamText = 4096;
constexpr std::size_t kMaxStageAi = 16384;
constexpr int kSetSize = 6;
constexpr int kBagWeapons = 9; ///< weapons lent to one bag at most
constexpr int kStageProps = 6; ///< props a stage lends at most
const char* const kGivenWeapon = "__lid_BattleGiven";
constexpr int kFirstGivenProp = 51;

/// A whole number of a JSON record that came from a file or the server; `def` otherwise.
int intOf(const Json::Value& record, const char* key, int def)
{
    const Json::Value& v = ZRKJson::member(record, key);
    return v.isInt() ? v.asInt() : def;
}

/// A whole number as the room's values carry it: a number, or a text that is exactly one.
int wholeNumber(const Json::Value& record, const char* key)
{
    const Json::Value& v = ZRKJson::member(record, key);
    if (!v.isNull() && !v.isString())
        return static_cast<int>(ZRKJson::number(v, INT32_MIN, INT32_MAX, 0, key));
    const std::string text = v.isString() ? v.asString() : std::string();
    char* end = nullptr;
    const long n = text.empty() || text.size() > 11 ? 0 : std::strtol(text.c_str(), &end, 10);
    return end && *end == '\0' && n >= INT32_MIN && n <= INT32_MAX ? static_cast<int>(n) : 0;
}

BattleRoom::DisplayMeter* gDisplayMeter = nullptr;

/// One display's frame step, told to the meter when there is one.
class MeteredDisplay {
public:
    MeteredDisplay() : mMeter(gDisplayMeter)
    {
        if (mMeter)
            mMeter->enter();
    }
    ~MeteredDisplay()
    {
        if (mMeter)
            mMeter->leave();
    }
    MeteredDisplay(const MeteredDisplay&) = delete;
    MeteredDisplay& operator=(const MeteredDisplay&) = delete;

private:
    BattleRoom::DisplayMeter* mMeter;
};
} // namespace

void BattleRoom::setDisplayMeter(DisplayMeter* meter) { gDisplayMeter = meter; }

const char* const BattleRoom::kPromptKill[4] = {"prompt2/KillOne", "prompt2/KillTwo", "prompt2/KillThree", "prompt2/KillFour"};
const char* const BattleRoom::kPromptBloodLess = "prompt2/bloodLess";
const char* const BattleRoom::kPromptWants[6] = {"prompt/bulletWanted", "prompt/hpWanted", "prompt/spWanted",
                                                 "prompt/spWanted2",    "prompt/cdWanted", "prompt/holdOK"};
const char* const BattleRoom::kPromptCritical = "prompt/critical";
const char* const BattleRoom::kPromptUltimate = "prompt/ultimate";
const char* const BattleRoom::kPromptGood = "prompt/good";
const char* const BattleRoom::kPromptPerfect = "prompt/perfect";
const char* const BattleRoom::kPromptBlank = "prompt/blankBullet";

BattleRoom::BattleRoom()
{
    mMainLightsEnabled = false;
    mPrefetchSuspended = true;
    setName(core::ClientStateTable::kBattle);
}

BattleRoom::~BattleRoom()
{
    *mAlive = false;
    if (mEscapeKeyConnection.isValid())
        mEscapeKeyConnection->disconnect();
    mEscapeAnswer.disconnect();
    resetBattle();
    unregisterEventHandlers();
    destroySight();
    destroyPrompts();
    destroyFlashPanel();
}

int BattleRoom::setTimer(int& id, unsigned ms, const std::function<void()>& call)
{
    kill(id); // a setter never leaves the member's earlier timer running
    int* member = &id;
    std::weak_ptr<bool> alive = mAlive;
    id = core::setTimeout(ms, [alive, member, call]() {
        if (alive.expired() || !*alive.lock())
            return;
        *member = -1;
        try {
            call();
        } catch (const std::exception& e) {
            writeLog(kLogError, kChannel, std::string("battle timer failed: ") + e.what());
        }
    });
    return id;
}

void BattleRoom::kill(int& id)
{
    if (id != -1)
        core::killTimer(id);
    id = -1;
}

bool BattleRoom::isTimerPending(int which) const
{
    const int ids[] = {mLoadTimer, mSimulatorTimer, mOverTimer, mHalfTimeTimer, mLeaveTimer};
    return which >= 0 && which < 5 && ids[which] != -1;
}

// --- scene and entry ------------------------------------------------------------------------

void BattleRoom::createScene()
{
    BasicRoom::createScene();
    // The battle has the scene to itself: the lobby's backdrop comes back when it is left.
    if (BackgroundScene* background = BackgroundScene::getSingletonPtr())
        if (background->isBuilt())
            background->destroyScene();
    mWeaponTable.clear();
    mItemTable.clear();
    if (EquipRes* equip = EquipRes::getSingletonPtr()) {
        const Json::Value& doc = equip->getItemDocument();
        const auto table = [&doc](const char* name, std::map<int, Json::Value>& into) {
            const Json::Value& list = ZRKJson::member(doc, name);
            if (list.isArray())
                for (const Json::Value& entry : list)
                    if (ZRKJson::member(entry, "id").isInt())
                        into[entry["id"].asInt()] = entry;
        };
        table("arm", mWeaponTable);
        table("data", mItemTable);
    }
    mSavedWeaponItems.clear();
    mSavedPropItems.clear();
    mWeaponSet.clear();
    mReturnState.clear();
    mBagsPulled = false;
    mSavedAmmoBag = -1;
    mAmmoBag = ZRKUserRequest::getCa_id();
    mAwards.clear();
    mAwardSlots.clear();
    mHalfTimeStage = -1;
    mBattleOverShown = false;
    core::BlackBoard* board = core::BlackBoard::getSingletonPtr();
    mBattleHintEnabled = !board || board->getBool("kavri3D/app/func/battle_hint", true);
    createImagesets();
    mRenderWindow = core::win32RenderWindow::getSingletonPtr();
    registerEventHandlers();
    if (core::GuiManager* input = core::GuiManager::getSingletonPtr())
        mSavedCursorCapture = input->cursorCapture();
    captureCursor();
    attachBattlePanel();
    createSight();
    activatePlayFrame();
    if (mEscapeKeyConnection.isValid())
        mEscapeKeyConnection->disconnect();
    core::Frame* frame = GameServices::frame();
    if (CEGUI::Window* top = frame ? frame->getTopWindow() : nullptr)
        mEscapeKeyConnection =
            top->subscribeEvent(CEGUI::Window::EventKeyDown, CEGUI::Event::Subscriber(&BattleRoom::onEscapeKeyEvent, this));
}

void BattleRoom::createImagesets()
{
    CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr();
    mArmsImagesetCount = 0;
    if (!images || !CEGUI::System::getSingletonPtr())
        return;
    // Asked first, so a set that is not shipped costs no exception.
    const auto shipped = [](const std::string& file) {
        CEGUI::ResourceProvider* files = CEGUI::System::getSingleton().getResourceProvider();
        std::vector<CEGUI::String> found;
        return files && files->getResourceGroupFileNames(found, CeguiWidgets::utf8(file), "General") > 0;
    };
    // Each under its own guard: one broken picture set costs only its own pictures.
    for (const char* name : kImagesets) {
        if (!shipped(std::string(name) + ".imageset")) {
            writeLog(kLogTrace, kChannel, std::string("imageset ") + name + " is not shipped");
            continue;
        }
        try {
            images->loadImageset(CeguiWidgets::utf8(std::string(name) + ".imageset"), "General");
        } catch (const std::exception& e) {
            writeLog(kLogTrace, kChannel, std::string("imageset ") + name + " not loaded: " + e.what());
        }
    }
    // The weapons' pictures: as many sets as there are files, counting from 1.
    for (int n = 1; n < 100 && shipped("arms" + std::to_string(n) + ".imageset"); ++n) {
        try {
            images->loadImageset(CeguiWidgets::utf8("arms" + std::to_string(n) + ".imageset"), "General");
        } catch (const std::exception&) {
            break;
        }
        mArmsImagesetCount = n;
    }
}

void BattleRoom::destroyImagesets()
{
    CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr();
    if (images) {
        // The battle bar outlives the battle: its cells must not keep pictures of these sets.
        for (const char* name : kImagesets) {
            CeguiWidgets::letGoOfImages(name);
            images->destroyImageCollection(CeguiWidgets::utf8(name), false);
        }
        for (int n = 1; n <= mArmsImagesetCount; ++n) {
            CeguiWidgets::letGoOfImages("arms" + std::to_string(n));
            images->destroyImageCollection(CeguiWidgets::utf8("arms" + std::to_string(n)), false);
        }
    }
    mArmsImagesetCount = 0;
}

void BattleRoom::captureCursor()
{
    if (core::GuiManager* input = core::GuiManager::getSingletonPtr())
        input->cursorCapture(2);
    enableMouseInputs(true);
    dragCursor(true);
}

void BattleRoom::releaseCursor()
{
    if (core::GuiManager* input = core::GuiManager::getSingletonPtr())
        input->cursorCapture(0);
    dragCursor(false);
    enableMouseInputs(false);
    CeguiWidgets::setDefaultCursor("Kavri3DLook", "MouseArrow");
}

void BattleRoom::attachBattlePanel()
{
    gui::IGuiManager* gui = getGuiManager();
    if (!gui) {
        writeLog(kLogWarning, kChannel, "no GUI manager: the battle has no battle screen");
        return;
    }
    gui->resetPages();
    mBattlePanel = static_cast<gui::IBattlePanelHost*>(gui->getPanelHost("Battle"));
    if (!mBattlePanel) {
        writeLog(kLogWarning, kChannel, "the GUI has no \"Battle\" panel: the battle screen is not shown");
        return;
    }
    mBattlePanel->hide(); // shown when every seat has loaded
    if (gui::IBattlePanel* panel = mBattlePanel->getPanel())
        panel->line(-3, std::string(), std::string(), std::string(), true);
}

void BattleRoom::attachStatusProvider()
{
    gui::IGuiManager* gui = getGuiManager();
    if (!gui || !mBattlePanel) {
        writeLog(kLogWarning, kChannel, "no GUI manager or battle screen: the fight is not shown");
        return;
    }
    mBattlePanel->show();
    gui->showPage("battle");
    if (gui::IBattlePanel* panel = mBattlePanel->getPanel()) {
        panel->setTurnSeconds(45.0f);
        panel->setMode(0);
        panel->setLineSeconds(5.0f);
        panel->setFlags(0);
        panel->setStage(0);
        mStatusProvider.reset(new BattleStatusProvider(*this));
        panel->setStatusProvider(mStatusProvider);
    }
    activatePlayFrame();
}

void BattleRoom::destroyScene()
{
    unregisterEventHandlers();
    resetBattle();
    destroySight();
    destroyPrompts();
    destroyFlashPanel();
    if (mEscapeKeyConnection.isValid())
        mEscapeKeyConnection->disconnect();
    destroyImagesets();
    if (mSavedCursorCapture != -1)
        if (core::GuiManager* input = core::GuiManager::getSingletonPtr())
            input->cursorCapture(mSavedCursorCapture);
    mSavedCursorCapture = -1;
    if (mMessageBoxOpen)
        if (core::Frame* frame = GameServices::frame())
            frame->cancelMessageBox();
    mMessageBoxOpen = false;
    mEscapeAnswer.disconnect();
    destroyGuideWindows();
    mWeaponTable.clear();
    mItemTable.clear();
    mRenderWindow = nullptr;
    restoreBattleBags();
    if (mSavedAmmoBag != -1)
        ZRKUserRequest::setCa_id(mSavedAmmoBag);
    mSavedAmmoBag = -1;
    mSpecialDuplicate = false;
    if (hasScene())
        BasicRoom::destroyScene();
#if defined(__GLIBC__)
    // A battle frees many MB in small pieces, scattered over the heap: handed back to the
    // system now, one run of many battles keeps the resident memory of the first ones.
    malloc_trim(0);
#endif
}

void BattleRoom::onEnterRoom(const std::string& room, int code, const std::string& params)
{
    if (params.size() > kMaxParamText) {
        writeLog(kLogWarning, kChannel, "battle entry text of " + std::to_string(params.size()) + " characters ignored");
        return;
    }
    core::QueryString query(params);
    const std::string bag = query.get("bag");
    std::string set = query.get("set"); // the bag's own set replaces it
    if (!bag.empty()) {
        mSavedAmmoBag = ZRKUserRequest::getCa_id();
        char* end = nullptr;
        const long n = std::strtol(bag.c_str(), &end, 10);
        mAmmoBag = end && *end == '\0' && n >= 1 && n <= 3 ? static_cast<int>(n) : 3;
        if (mAmmoBag != n || *end != '\0')
            writeLog(kLogWarning, kChannel, "ammo bag \"" + bag.substr(0, 32) + "\" is not 1, 2 or 3: bag 3 is used");
        ZRKUserRequest::setCa_id(mAmmoBag);
        set = mAmmoBag == 1 ? "ca1" : mAmmoBag == 2 ? "ca2" : "ca3";
        gui::IGuiManager* gui = getGuiManager();
        boost::shared_ptr<gui::IGuideContent> content = gui ? gui->getGuideContent() : boost::shared_ptr<gui::IGuideContent>();
        if (!content)
            writeLog(kLogWarning, kChannel, "no guide content: the weapon set " + set + " is not read");
        for (int i = 0; content && i < kSetSize; ++i) {
            const std::string id = content->getString(set, i);
            if (!id.empty())
                mWeaponSet.emplace_back(id, 0);
        }
    }
    // Each weapon carries the shells its item gives.
    ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
    for (WeaponEntry& entry : mWeaponSet) {
        const long id = std::strtol(entry.first.c_str(), nullptr, 10);
        entry.second = server ? std::max(0, server->getItemLib()->find(std::to_string(id)).getIntVal("i_shell_num", 0)) : 0;
    }
    mReturnState = query.get("prev");
}

void BattleRoom::onRoomReady(const std::string&) { createLand(); }

// --- land and loading -----------------------------------------------------------------------

ZRKRoomState* BattleRoom::landRoomState() const
{
    ZRKRoomState* room = mRoomName.empty() ? nullptr : ZRKRoomRequest::getRoomState(mRoomName, false, false);
    return room && !room->isDestroyed() ? room : nullptr;
}

void BattleRoom::createProgressPanel()
{
    if (mProgressPanel)
        return;
    mProgressPanel.reset(new ZRKProgressPanel(this));
    mProgressPanel->createWindow();
    if (core::EventManager* events = core::EventManager::getSingletonPtr())
        events->addEventHandler(ZRKProgressPanel::kEventType, mProgressPanel);
}

void BattleRoom::destroyProgressPanel()
{
    if (!mProgressPanel)
        return;
    if (core::EventManager* events = core::EventManager::getSingletonPtr())
        events->removeEventHandler(mProgressPanel);
    mProgressPanel->destroyWindow();
    mProgressPanel.reset();
}

void BattleRoom::createLand()
{
    createProgressPanel();
    mLandLoadConnection.disconnect();
    mPlayerStateConnection.disconnect();
    mBoxOffersConnection.disconnect();
    releaseLand(); // the old land goes before the new one is made
    mLand.reset(new ZRKLand(this));
    if (hasScene())
        createSight();
    mLoadingStarted = false;
    mResultReported = false;
    setTimer(mLoadTimer, kLoadDelayMs, [this]() { startLoading(); });
    mParamsReceived = false;
    mRoomParamConnection.disconnect();
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    mRoomName = room ? room->getRoomName() : std::string();
    if (!room) {
        writeLog(kLogWarning, kChannel, "the battle has no room: it waits in the loading screen");
        return;
    }
    std::weak_ptr<bool> alive = mAlive;
    mRoomParamConnection = room->subscribeToParamSignal(
        [this, alive](bool first, bool dress) {
            if (!alive.expired())
                onRoomParam(first, dress);
        },
        true);
}

void BattleRoom::onRoomParam(bool, bool)
{
    mRoomParamConnection.disconnect(); // one notification is enough
    if (mParamsReceived)
        return;
    mParamsReceived = true;
    if (mLoadTimer == -1)
        startLoading();
}

void BattleRoom::startLoading()
{
    kill(mLoadTimer);
    if (!mParamsReceived || mLoadingStarted)
        return;
    if (!mLand) {
        writeLog(kLogWarning, kChannel, "loading asked for without a land");
        return;
    }
    mLoadingStarted = true;
    stopHints();
    if (mBattleHintEnabled) {
        mHintManager.reset(new BattleHintManager(this));
        mHintManager->load();
    }
    if (mProgressPanel)
        mProgressPanel->fillPlayers();
    createFlashPanel();
    mLandLoadConnection.disconnect();
    std::weak_ptr<bool> alive = mAlive;
    mLandLoadConnection = mLand->subscribeToLoadSignal([this, alive](int a, int state) {
        if (!alive.expired())
            onLandLoadState(a, state);
    });
    ZRKRoomState* room = landRoomState();
    mSpecialDuplicate = room && room->getParams().getIntVal("d_id", -1) > 2000;
    mLandRoom.reset(new BattleLandRoom(mRoomName));
    mLand->useRoom(mLandRoom);
    if (!mLand->create()) {
        onLandLoadState11();
        return;
    }
    if (core::GrafixScene* scene = getScene()) {
        core::GraphicsSystem* graphics = core::GraphicsSystem::getSingletonPtr();
        mLandScene.reset(new LandScene(*mLand, *scene, !graphics || graphics->isHeadless()));
        mLandScene->setCamera(getCamera());
    }
    installEventPreviews();
    mPlayerStateConnection.disconnect();
    if (room)
        mPlayerStateConnection = room->subscribeToPlayerStateSignal(
            [this, alive](const std::string& player, int state) {
                if (!alive.expired())
                    onPlayerStateChanged(player, state);
            },
            true);
    // The boxes opened and their prices change while the box screen is up.
    mBoxOffersConnection.disconnect();
    if (room)
        mBoxOffersConnection = room->subscribeToRoomStateSignal(
            [this, alive](core::XmlConfigHelper& next) {
                if (!alive.expired())
                    fillBoxList(ZRKRoomState::boxesOf(next)); // the state coming, not the one held
            },
            false);
    playMusic(mLand->getMapInfo().getStringVal("music", "music_bg0.mp3"));
    createVane();
    loadRadarConfig();
}

void BattleRoom::createVane()
{
    if (mVaneSnapShot)
        return;
    mVaneSnapShot = new core::SnapShotEx(core::SnapShotEx::kDefaultLens);
    mVaneScene = new VaneSnapShotScene(mVaneSnapShot, this);
    // The snapshot owns both from here; without render textures (headless) it keeps the scene
    // unset-up and the vane simply is not shown.
    mVaneSnapShot->attach(mVaneScene, new core::OgreRTTSnapShotImplEx(mVaneSnapShot, "vane_tex", "vane_cam"));
    mVaneSnapShot->addRenderListener();
}

void BattleRoom::updateVane(const yake::math::Vector3& wind, const yake::math::Vector3& facing)
{
    if (mVaneScene)
        mVaneScene->updateWind(wind, facing);
}

void BattleRoom::destroyVane()
{
    if (mVaneSnapShot) {
        mVaneSnapShot->removeRenderListener();
        delete mVaneSnapShot;
    }
    mVaneSnapShot = nullptr;
    mVaneScene = nullptr;
}

void BattleRoom::playMusic(const std::string& name)
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

void BattleRoom::stopMusic()
{
    if (mMusicSound != -1) {
        if (core::AudioManager* audio = core::AudioManager::getSingletonPtr())
            audio->destroySound(static_cast<int>(mMusicSound));
        GameServices::followSound(mMusicSound, false);
    }
    mMusicSound = -1;
}

void BattleRoom::onLandLoadState(int, int state)
{
    switch (state) {
    case LOAD_LOADOUT:
        if (!mWeaponSet.empty() || mSpecialDuplicate) {
            pullBattleBags(true);
            buildBattleWeapons();
            addDuplicateProps();
            lendOwnProps();
            if (ZRKPlayerSim* me = mLand ? mLand->getMyDoll() : nullptr)
                me->buildPropBag();
        }
        break;
    case LOAD_READY:
        clearGuideText();
        hideGuideWindows();
        attachStatusProvider();
        if (!isDragCursor()) {
            // Not while the player has the mouse for himself (the leave question is open, or
            // the suspend panel waits for his click).
            if (!mMessageBoxOpen && !mSuspendPanel)
                captureCursor();
        }
        CeguiWidgets::setDefaultCursor("", "");
        if (ZRKPlayerSim* me = mLand && mLand->getFixPlay() == 1 ? mLand->getMyDoll() : nullptr)
            for (SkillState& skill : me->getSkillStates()) {
                // A stage's map locks a skill (below 0), shows it unusable (0) or frees it.
                const int c = mLand->getSkillConfig(skill.key);
                skill.enabled = c >= 0;
                skill.state = c == 0 ? 2 : 0;
                if (c < 0)
                    skill.start = -1.0f;
            }
        break;
    case LOAD_RESULT:
        stopHints();
        mSweepEnd = -1.0f;
        // The battle is decided: no revive is offered any more.
        if (EvtDollHandler* doll = getDollHandler())
            doll->closeRevivePanel();
        if (mLand) {
            if (ZRKPlayerSim* me = mLand->getMyDoll())
                showPromptScattered((me->getPlayerBattle().flags & BATTLE_WON) ? "end/win" : "end/lose", 5.0f);
            const float sweep = mLand->hasSweepState();
            if (sweep > 0.0f) {
                mSweepEnd = yake::native::getTime() + sweep;
                showFlash("sp_boss.swf", std::string(), 800, 600, nullptr, 3.5f);
            }
            // The result picture waits for the heads-up prompts; the doll stops tiring.
            if (ZRKPlayerSim* me = mLand->getMyDoll())
                me->setEnergyConsumeFactor(0.001f);
        }
        reportResult();
        break;
    case LOAD_OVER:
        setTimer(mOverTimer, 1, [this]() { onBattleOver(); });
        break;
    case LOAD_FAILED:
        onLandLoadState11();
        break;
    default:
        break;
    }
}

void BattleRoom::reportResult()
{
    ZRKPlayerSim* me = mLand ? mLand->getMyDoll() : nullptr;
    ZRKRoomState* room = landRoomState();
    if (!me || !room || mResultReported)
        return; // without an own doll there is nothing of ours to report
    mResultReported = true;
    const int landWinner = mLand->getSummary().winner;
    boost::shared_ptr<ZRKPlayerState> self = room->findPlayer(mLand->getMyUID());
    const int myTeam = self ? self->getBattleState().getIntVal("team", 0) : 0;
    // The land numbers its sides its own way; the server knows the room's.
    const int winner = landWinner < 0 ? -1 : landWinner == me->getColour() ? myTeam : 1 - myTeam;
    // What the land counted of each fighter moves the quests on.
    Json::Value counted(Json::arrayValue);
    for (const GameSummary::Entry& e : mLand->getSummary().entries) {
        Json::Value& entry = counted.append(Json::Value(Json::objectValue));
        entry["uid"] = e.uid;
        entry["hits"] = e.hits;
        entry["kills"] = e.kills;
    }
    const std::string name = mRoomName;
    ZRKRequestBroker::call("ZRKRoomRequest", "reportBattleOver", [name](bool error, const std::string& text) {
        if (error)
            writeLog(kLogWarning, kChannel, "the server did not take the end of the battle in " + name + ": " + text);
    }, name, winner, counted);
}

// --- camera, cursor and keys --------------------------------------------------------------------

void BattleRoom::onCameraCreated()
{
    using namespace yake::input;
    core::Camera* camera = getCameraController();
    if (!camera)
        return;
    struct Bind {
        int controller, axis, direction;
        float scale;
        int action;
    };
    static const Bind kBinds[] = {
        {2, 0, 1, -1, ACTIONID_ROTATE_LEFT},  {2, 0, 0, -1, ACTIONID_ROTATE_RIGHT}, {3, 1, 1, -1, ACTIONID_PITCH_UP},
        {3, 1, 0, -1, ACTIONID_PITCH_DOWN},   {3, 3, 0, -1, ACTIONID_REVERSE},      {3, 3, 1, -1, ACTIONID_FORWARD},
        {4, 0, 1, -2, ACTIONID_STRAFE_LEFT},  {4, 0, 0, -2, ACTIONID_STRAFE_RIGHT}, {4, 1, 1, -1, ACTIONID_FORWARD},
        {4, 1, 0, -1, ACTIONID_REVERSE},      {4, 0, 1, 1, ACTIONID_ROTATE_LEFT},   {4, 0, 0, 1, ACTIONID_ROTATE_RIGHT},
        {5, 3, 0, -1, ACTIONID_REVERSE},      {5, 3, 1, -1, ACTIONID_FORWARD}};
    for (int index : {2, 3, 4, 5})
        if (core::InputController* c = camera->getInputController(index))
            c->clearBinds();
    for (const Bind& b : kBinds)
        if (core::InputController* c = camera->getInputController(b.controller))
            c->bindMouseMove(b.axis, b.direction, b.scale, b.action);
    mFreeRotate = false;
    if (core::InputController* turn = camera->getInputController(2)) {
        turn->enableAction(ACTIONID_ROTATE_LEFT, false);
        turn->enableAction(ACTIONID_ROTATE_RIGHT, false);
    }
    camera->getCameraControllerTP()->trackOrientaion(true);
    camera->getCameraControllerTP()->limitDistance(true, 20.0f, 20.0f);
    regDragCursor(boost::shared_ptr<core::IDragCursorModule>(new DragCursorModule(*this)));
}

bool BattleRoom::dragCursorDetect()
{
    GrafixClientState::dragCursorDetect();
    return true;
}

void BattleRoom::dragCursorReset()
{
    CEGUI::System* gui = CEGUI::System::getSingletonPtr();
    CEGUI::Window* sheet = gui ? gui->getDefaultGUIContext().getRootWindow() : nullptr;
    if (sheet)
        if (core::GuiManager* input = core::GuiManager::getSingletonPtr()) {
            const CEGUI::Rectf r = sheet->getUnclippedOuterRect().get();
            input->cursorResetPos(r.getWidth() / 2.0f, r.getHeight() / 2.0f);
        }
    GrafixClientState::dragCursorReset();
}

void BattleRoom::activatePlayFrame()
{
    core::Frame* frame = GameServices::frame();
    CEGUI::Window* top = frame ? frame->getTopWindow() : nullptr;
    if (!top || !CeguiWidgets::alive(top))
        return;
    // The keys go to the active window: the play frame, else the top window, whose key
    // handler asks the Escape question.
    if (top->isChild("PlayFrm"))
        top->getChild("PlayFrm")->activate();
    else
        top->activate();
}

void BattleRoom::updateCamera(float dt)
{
    core::Camera* camera = getCameraController();
    ZRKPlayerSim* me = mLand && mLand->isLoaded() ? mLand->getMyDoll() : nullptr;
    if (!camera || !mLandScene)
        return;
    // The land's scene follows a flying shell and shows the end; otherwise the room's camera
    // stays with the own doll, and the mouse looks around while the doll may not act.
    const bool own = me && !mLand->isFinished() && !mLand->_cameraIsRoaming();
    if (own != mCameraOwn) {
        mCameraOwn = own;
        mLandScene->setCamera(own ? nullptr : getCamera());
        camera->getCameraControllerTP()->setPitch(0.35f);
    }
    camera->update();
    if (!own)
        return;
    const yake::math::Vector3 p = me->getPosition();
    const yake::math::Vector3 f = me->getMovable().getFacing();
    core::CameraControllerTP* tp = camera->getCameraControllerTP();
    tp->setTarget(p.x, p.y + 4.0f, p.z, std::atan2(f.x, f.z));
    tp->place(getCamera());
    (void)dt;
}

bool BattleRoom::onEscapeKeyEvent(const CEGUI::EventArgs& args)
{
    try {
        return onEscapeKey(static_cast<const CEGUI::KeyEventArgs&>(args).scancode);
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, std::string("the Escape key failed: ") + e.what());
        return false;
    }
}

bool BattleRoom::onEscapeKey(int scanCode)
{
    if (scanCode != 1)
        return false;
    if (!mEscapeEnabled || !mLand || !mBattlePanel || mLand->getLoadState() >= LOAD_OVER)
        return false;
    core::Frame* frame = GameServices::frame();
    if (mMessageBoxOpen) {
        // A second Escape closes the question and plays on.
        if (frame)
            frame->cancelMessageBox();
        mMessageBoxOpen = false;
        onEscapeConfirmed(-1);
        return false;
    }
    ZRKPlayerSim* me = mLand->getMyDoll();
    const bool alive = me && !me->isDead();
    if (alive)
        mLand->_cameraLeaveRoam();
    releaseCursor();
    if (alive) {
        me->getController().enable(false);
        me->freeze();
        if (me->isMoving())
            me->wait();
    }
    const float begin = mLand->getTimeBegin();
    const bool early =
        getName() == core::ClientStateTable::kBattle && !(begin > 0.0f && mLand->getTimeNow() - begin > 60.0f);
    if (!frame) {
        writeLog(kLogWarning, kChannel, "no main frame: the leave question is not asked");
        onEscapeConfirmed(-1);
        return false;
    }
    std::weak_ptr<bool> life = mAlive;
    mEscapeAnswer.disconnect();
    mEscapeAnswer = frame->messageBox2("warning/title", early ? "warning/escape1" : "warning/escape",
                                       [this, life](core::DialogBoxResult& result) {
                                           if (!life.expired() && *life.lock())
                                               onEscapeConfirmed(result.button);
                                       },
                                       3, 9, 300, 150);
    mMessageBoxOpen = true;
    return true;
}

void BattleRoom::onEscapeConfirmed(int result)
{
    mMessageBoxOpen = false;
    if (result == 0 && mLand) {
        // Given up midway, the player goes back where the battle was entered from (his room),
        // as at its end; the server ends a battle no player's screen is left in.
        leaveRoom();
        return;
    }
    if (!mLand)
        return;
    if (ZRKPlayerSim* me = mLand->getMyDoll())
        if (!me->isDead())
            me->getController().enable(true);
    if (mLand->getLoadState() < LOAD_OVER)
        resumeInput();
}

void BattleRoom::suspendInput()
{
    if (!isDragCursor())
        return;
    if (!mSuspendPanel) {
        // Made shown by its layout; without windows it counts as closed on the next frame.
        mSuspendPanel.reset(new ZRKSuspendPanel(this));
        mSuspendPanel->createWindow();
    } else if (!mSuspendPanel->isVisible()) {
        mSuspendPanel->show(true); // clicked away, and the focus went again before the mouse came back
    }
    releaseCursor();
}

void BattleRoom::resumeInput()
{
    if (isDragCursor())
        return;
    destroySuspendPanel();
    captureCursor();
    CeguiWidgets::setDefaultCursor("", "");
}

void BattleRoom::destroySuspendPanel()
{
    if (mSuspendPanel)
        mSuspendPanel->destroyWindow();
    mSuspendPanel.reset();
}

void BattleRoom::checkInputFocus()
{
    if (mRenderWindow && !mRenderWindow->isActivated())
        suspendInput();
    resumeIfSuspendClosed();
}

void BattleRoom::resumeIfSuspendClosed()
{
    // The player closed the suspend panel with a click.
    if (mSuspendPanel && !mSuspendPanel->isVisible())
        resumeInput();
}

// --- radar ---------------------------------------------------------------------------------------

void BattleRoom::loadRadarConfig()
{
    if (mRadarLoaded || !mLand)
        return;
    core::XmlConfigHelper radar = mLand->getRadarConfig();
    mRadarMin = yake::math::Vector3(radar.getRealVal("radar/box/<xmlattr>/x0", 0.0f), radar.getRealVal("radar/box/<xmlattr>/y0", 0.0f),
                                    radar.getRealVal("radar/box/<xmlattr>/z0", 0.0f));
    mRadarMax = yake::math::Vector3(radar.getRealVal("radar/box/<xmlattr>/x1", 0.0f), radar.getRealVal("radar/box/<xmlattr>/y1", 0.0f),
                                    radar.getRealVal("radar/box/<xmlattr>/z1", 0.0f));
    const float w = radar.getRealVal("image/<xmlattr>/w", 0.0f), h = radar.getRealVal("image/<xmlattr>/h", 0.0f);
    mRadarImageWidth = std::isfinite(w) && std::fabs(w) < 1e6f ? static_cast<int>(w) : 0;
    mRadarImageHeight = std::isfinite(h) && std::fabs(h) < 1e6f ? static_cast<int>(h) : 0;
    if (gui::IBattlePanel* panel = mBattlePanel ? mBattlePanel->getPanel() : nullptr) {
        panel->setRadarSize(w, h);
        panel->setRadarScale(3.0f);
    }
    setRadarMapImage(radar.getStringVal("image", ""));
    mRadarLoaded = true;
}

void BattleRoom::setRadarMapImage(const std::string& name)
{
    resetRadarMap();
    mRadarMaterial = "kavri3D/zrk/map";
    mRadarTexture = name;
    if (!Ogre::MaterialManager::getSingletonPtr())
        return;
    try {
        Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(mRadarMaterial);
        Ogre::Technique* technique = material ? material->getTechnique(0) : nullptr;
        Ogre::Pass* pass = technique ? technique->getPass(0) : nullptr;
        if (!pass)
            return;
        if (pass->getNumTextureUnitStates() == 0)
            pass->createTextureUnitState(name);
        else
            pass->getTextureUnitState(0)->setTextureName(name);
    } catch (const std::exception& e) {
        writeLog(kLogWarning, kChannel, "radar map " + name + " not shown: " + e.what());
    }
}

void BattleRoom::resetRadarMap()
{
    if (!mRadarMaterial.empty()) {
        if (Ogre::MaterialManager::getSingletonPtr()) {
            try {
                Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().getByName(mRadarMaterial);
                Ogre::Technique* technique = material ? material->getTechnique(0) : nullptr;
                Ogre::Pass* pass = technique ? technique->getPass(0) : nullptr;
                if (pass && pass->getNumTextureUnitStates() > 0)
                    pass->getTextureUnitState(0)->setTextureName("empty.png");
            } catch (const std::exception& e) {
                writeLog(kLogWarning, kChannel, std::string("radar map not reset: ") + e.what());
            }
        }
        mRadarMaterial.clear();
    }
    if (!mRadarTexture.empty()) {
        if (Ogre::TextureManager* textures = Ogre::TextureManager::getSingletonPtr()) {
            try {
                Ogre::TexturePtr texture = textures->getByName(mRadarTexture);
                if (texture) {
                    texture->unload();
                    textures->remove(texture);
                }
            } catch (const std::exception& e) {
                writeLog(kLogWarning, kChannel, std::string("radar picture not released: ") + e.what());
            }
        }
        mRadarTexture.clear();
    }
}

bool BattleRoom::projectToRadar(yake::math::Vector3& p) const
{
    const float dx = mRadarMax.x - mRadarMin.x, dz = mRadarMax.z - mRadarMin.z;
    if (!mRadarLoaded || dx == 0.0f || dz == 0.0f)
        return false;
    const float x = (p.x - mRadarMin.x) / dx * static_cast<float>(mRadarImageWidth);
    const float y = (p.z - mRadarMin.z) / dz * static_cast<float>(mRadarImageHeight);
    p.x = x;
    p.y = y;
    return true;
}

// --- the battle's loadout ---------------------------------------------------------------------

int BattleRoom::roomParam(const char* key) const
{
    ZRKRoomState* room = landRoomState();
    return room ? room->getParams().getIntVal(key, -1) : -1;
}

void BattleRoom::pullBattleBags(bool remove)
{
    if (mBagsPulled)
        return;
    mBagsPulled = true;
    ZRKInventory* inventory = ZRKUserRequest::getInventory();
    if (!inventory)
        return;
    const auto pull = [&](int bag, std::list<core::XmlConfigHelper>& into) {
        std::list<core::XmlConfigHelper> items;
        ZRKUserRequest::getBagItems(inventory, bag, items);
        // The props bag lists its empty slots too; only real items are put aside.
        items.remove_if([](const core::XmlConfigHelper& item) { return item.getIntVal("i_id", 0) == 0; });
        for (const core::XmlConfigHelper& item : items)
            if (remove)
                inventory->removeItemByLID(item.getStringVal(ZRKInventory::getLIDKey(), ""), bag);
        into.splice(into.end(), items);
    };
    pull(ZRKBagLayout::Main, mSavedWeaponItems);
    pull(mAmmoBag + 1, mSavedWeaponItems);
    pull(ZRKBagLayout::Props, mSavedPropItems);
}

bool BattleRoom::readStageArms(const std::string& text, std::vector<StageWeapon>& weapons, std::vector<std::string>& props)
{
    weapons.clear();
    props.clear();
    if (text.empty() || text.size() > kMaxStageAi)
        return false;
    Json::CharReaderBuilder builder;
    builder["stackLimit"] = 32;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    Json::Value ai;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &ai, &errors) || !ai.isObject())
            return false;
    } catch (const std::exception&) {
        return false; // nested too deep
    }
    const Json::Value& list = ZRKJson::member(ai, "weapon");
    if (list.isArray())
        for (const Json::Value& w : list)
            if (w.isObject()) {
                StageWeapon weapon;
                weapon.id = std::to_string(intOf(w, "id", 0));
                weapon.cd = intOf(w, "cd", 0);
                weapon.shellNum = intOf(w, "shellnum", 0);
                weapon.range = intOf(w, "range", 0);
                weapons.push_back(weapon);
                if (weapons.size() >= 64)
                    break;
            }
    const Json::Value& given = ZRKJson::member(ai, "prop");
    if (given.isArray())
        for (Json::ArrayIndex i = 0; i < given.size() && props.size() < static_cast<std::size_t>(kStageProps); ++i)
            props.push_back(std::to_string(intOf(given[i], "id", 0)));
    return true;
}

bool BattleRoom::readStageAi(std::vector<StageWeapon>& weapons, std::vector<std::string>& props) const
{
    ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
    const int dId = roomParam("d_id"), dsId = roomParam("ds_id");
    if (!server || dId < 0)
        return false;
    const Json::Value duplicate = ZRKJson::fromView(server->getDuplicateLib()->find(std::to_string(dId)));
    const Json::Value& stages = ZRKJson::member(duplicate, "stages");
    std::string text;
    if (stages.isArray() || stages.isObject())
        for (const Json::Value& stage : stages)
            if (wholeNumber(stage, "ds_id") == dsId && ZRKJson::member(stage, "ds_ai").isString())
                text = stage["ds_ai"].asString();
    if (!readStageArms(text, weapons, props)) {
        writeLog(kLogError, kChannel, "stage " + std::to_string(dsId) + " of duplicate " + std::to_string(dId) + " has no usable \"ds_ai\"");
        return false;
    }
    return true;
}

void BattleRoom::buildBattleWeapons()
{
    ZRKPlayerSim* me = mLand ? mLand->getMyDoll() : nullptr;
    if (!me)
        return;
    const int fix = mLand->getFixPlay();
    if (mLand->getComboState())
        mLand->setFixPlay(0);
    if (roomParam("d_id") > 2000)
        mLand->setFixPlay(1);
    if (mLand->getFixPlay() == 1) {
        std::vector<StageWeapon> weapons;
        std::vector<std::string> props;
        if (readStageAi(weapons, props)) {
            mWeaponSet.clear();
            for (const StageWeapon& w : weapons) {
                mWeaponSet.emplace_back(w.id, 0);
                addBattleWeapon(w.id, mAmmoBag - 1, fix, w.cd, w.shellNum, w.range);
            }
        }
    } else {
        for (const WeaponEntry& entry : mWeaponSet)
            addBattleWeapon(entry.first, mAmmoBag - 1, fix, -1, -1, -1);
    }
    if (mLandRoom)
        mLandRoom->useBattleBags(mAmmoBag);
    me->clearWeaponBags();
    me->initBattleWeapons();
    me->changeWeapon(0, true);
    std::vector<WeaponState>& slots = me->getWeaponBag()->getSlots();
    for (std::size_t i = 0; i < mWeaponSet.size() && i < slots.size(); ++i)
        if (!slots[i].name.empty())
            slots[i].setCount(mWeaponSet[i].second);
    mLand->_preloadDollWeapon(mLand->getMyUID());
}

int BattleRoom::addBattleWeapon(const std::string& itemId, int bagIndex, int fixItem, int itemCd, int shellNum,
                                int shootRange)
{
    ZRKInventory* inventory = ZRKUserRequest::getInventory();
    if (!inventory)
        return 0;
    std::list<core::XmlConfigHelper> items;
    ZRKUserRequest::getBagItems(inventory, bagIndex + 2, items);
    int expected = bagIndex * 10 + 21;
    int count = 0;
    for (const core::XmlConfigHelper& item : items) {
        if (item.getIntVal("i_id", 0) == 0 || item.getIntVal("pci_slot", -1) != expected)
            break; // the first gap takes the new weapon
        ++count;
        expected = item.getIntVal("pci_slot", -1) + 1;
    }
    if (count < kBagWeapons) {
        core::XmlConfigHelper item;
        item.setStringVal(ZRKInventory::getItemIdKey(), itemId);
        item.setStringVal(ZRKInventory::getLIDKey(), kGivenWeapon + std::to_string(count));
        item.setIntVal("pci_slot", expected);
        item.setIntVal("fixItem", fixItem);
        item.setIntVal("itemCd", itemCd);
        item.setIntVal("shellNum", shellNum);
        item.setIntVal("shootRange", shootRange);
        inventory->addItem(item);
    }
    return count;
}

void BattleRoom::addDuplicateProps()
{
    ZRKInventory* inventory = ZRKUserRequest::getInventory();
    std::vector<StageWeapon> weapons;
    std::vector<std::string> props;
    if (!inventory || !mLand || mLand->getFixPlay() != 1 || !readStageAi(weapons, props))
        return;
    int lid = kFirstGivenProp;
    for (const std::string& id : props) {
        core::XmlConfigHelper item;
        item.setStringVal(ZRKInventory::getItemIdKey(), id);
        item.setIntVal(ZRKInventory::getLIDKey(), lid);
        item.setIntVal("pci_slot", lid); // the props bag's slots count from 51 as well
        inventory->addItem(item);
        ++lid;
    }
}

void BattleRoom::lendOwnProps()
{
    // The player's props were taken aside with his bags: unless the stage gave props of its
    // own, he fights with them (the keys Z to N use them).
    std::list<core::XmlConfigHelper> given;
    if (ZRKInventory* inventory = ZRKUserRequest::getInventory())
        ZRKUserRequest::getBagItems(inventory, ZRKBagLayout::Props, given);
    given.remove_if([](const core::XmlConfigHelper& item) { return item.getIntVal("i_id", 0) == 0; });
    std::vector<std::string> own;
    std::list<core::XmlConfigHelper> saved = mSavedPropItems;
    // In the order of the bag's slots: Z is the first.
    saved.sort([](const core::XmlConfigHelper& a, const core::XmlConfigHelper& b) {
        return a.getIntVal("pci_slot", 0) < b.getIntVal("pci_slot", 0);
    });
    if (given.empty())
        for (const core::XmlConfigHelper& item : saved) {
            const std::string id = item.getStringVal(ZRKInventory::getItemIdKey(), "");
            if (!id.empty() && id != "0")
                own.push_back(id);
        }
    if (mLandRoom)
        mLandRoom->lendProps(own);
}

void BattleRoom::restoreBattleBags()
{
    if (!mBagsPulled)
        return;
    if (ZRKInventory* inventory = ZRKUserRequest::getInventory()) {
        // What the battle lent goes: the battle's bags are emptied (only the bag's own: a lent
        // prop's id may be the id of an item elsewhere).
        for (const int bag : {mAmmoBag + 1, static_cast<int>(ZRKBagLayout::Props)}) {
            std::list<core::XmlConfigHelper> now;
            ZRKUserRequest::getBagItems(inventory, bag, now);
            for (const core::XmlConfigHelper& item : now)
                inventory->removeItemByLID(item.getStringVal(ZRKInventory::getLIDKey(), ""), bag);
        }
        // What it took aside comes back, with the bag proper, unless the server told the
        // inventory again meanwhile (a box opened at half time) and it holds the item already.
        std::set<std::string> held;
        for (const core::XmlConfigHelper& item : inventory->items())
            held.insert(item.getStringVal(ZRKInventory::getLIDKey(), ""));
        for (const std::list<core::XmlConfigHelper>* saved : {&mSavedWeaponItems, &mSavedPropItems})
            for (const core::XmlConfigHelper& item : *saved) {
                const std::string lid = item.getStringVal(ZRKInventory::getLIDKey(), "");
                if (lid.empty() || held.insert(lid).second)
                    inventory->addItem(item);
            }
    }
    mSavedWeaponItems.clear();
    mSavedPropItems.clear();
    mBagsPulled = false;
    if (mLandRoom)
        mLandRoom->useBattleBags(0);
}

void BattleRoom::removeGivenWeapons()
{
    ZRKPlayerSim* me = mLand ? mLand->getMyDoll() : nullptr;
    if (!me)
        return;
    if (ZRKInventory* inventory = ZRKUserRequest::getInventory())
        for (int i = 0; i < kBagWeapons; ++i)
            inventory->removeItemByLID(kGivenWeapon + std::to_string(i), mAmmoBag + 1);
    me->clearWeaponBags();
    me->initBattleWeapons();
    me->changeWeapon(0, true);
}

// --- guide text and simulator -----------------------------------------------------------------

void BattleRoom::setGuideText(const std::string& text, float seconds)
{
    mGuideText = text;
    mGuideDuration = std::isfinite(seconds) && seconds > 0.0f ? std::min(seconds, 600.0f) : 0.0f;
    mGuideWaiting = true;
    checkLoadingDone(); // without a loading screen the text shows at once
}

void BattleRoom::checkLoadingDone()
{
    if (mLand && mProgressPanel) {
        mProgressPanel->update(0.0f);
        // Loaded, or every row is through while a guide text waits for the screen.
        if (mLand->isLoaded() || (mGuideWaiting && mProgressPanel->isDone()))
            destroyProgressPanel();
    }
    if (mGuideWaiting && !mProgressPanel) {
        mGuideWaiting = false;
        showGuideText(mGuideText, mGuideDuration);
    }
}

namespace {
/// A child by path; null when there is none.
CEGUI::Window* childOf(CEGUI::Window* parent, const char* path)
{
    return parent && parent->isChild(path) ? parent->getChild(path) : nullptr;
}

void setImage(CEGUI::Window* w, const std::string& imageset, const std::string& image)
{
    CeguiWidgets::setImage(w, image.empty() ? std::string() : CeguiWidgets::imageName(imageset, image));
}
} // namespace

bool BattleRoom::makeGuideWindows()
{
    if (mLeadText && CeguiWidgets::alive(mLeadText) && mNpcDialog && CeguiWidgets::alive(mNpcDialog))
        return true;
    destroyGuideWindows();
    CEGUI::WindowManager* windows = CEGUI::WindowManager::getSingletonPtr();
    if (!windows || !CEGUI::System::getSingletonPtr())
        return false;
    try {
        mGuideRoot = windows->loadLayoutFromFile("battleGuide.layout", "General");
        mLeadText = childOf(mGuideRoot, "leadTextBg");
        mNpcDialog = windows->loadLayoutFromFile("npcDialog.layout", "General");
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, std::string("the guide's windows cannot be made: ") + e.what());
        destroyGuideWindows();
        return false;
    }
    if (!mLeadText || !mNpcDialog) {
        destroyGuideWindows();
        return false;
    }
    return true;
}

void BattleRoom::destroyGuideWindows()
{
    // The lead text may hang under the top window: it goes on its own.
    if (mLeadText && CeguiWidgets::alive(mLeadText) && mLeadText->getParent() != mGuideRoot)
        CeguiWidgets::destroy(mLeadText);
    CeguiWidgets::destroy(mGuideRoot);
    CeguiWidgets::destroy(mNpcDialog);
    mLeadText = nullptr;
}

void BattleRoom::showGuideText(const std::string& text, float seconds)
{
    core::Frame* frame = GameServices::frame();
    CEGUI::Window* top = frame ? frame->getTopWindow() : nullptr;
    // A map without a guide text waits the same time, without an empty board over the field.
    if (!text.empty() && top && CeguiWidgets::alive(top) && makeGuideWindows()) {
        try {
            CEGUI::Window* root = mLeadText;
            CEGUI::Window* content = childOf(mLeadText, "content");
            if (mLand && mLand->getFixPlay() != 0) {
                // A stage's guide speaks through its NPC's dialog.
                const int n = std::max(1, mLand->getZRKDs().getIntVal("d_id", 0) - 2000);
                const int portrait = n == 2 ? 2 : n == 4 ? 3 : 1;
                setImage(childOf(mNpcDialog, "portrait"), "npcDialog", "FpHead" + std::to_string(portrait));
                setImage(childOf(mNpcDialog, "title"), "npcDialog", "FpTit" + std::to_string(portrait));
                if (CEGUI::Window* key = childOf(mNpcDialog, "lblKey"))
                    key->hide();
                if (CEGUI::Window* background = childOf(mNpcDialog, "bkgnd"))
                    background->setProperty("ImageColours", "tl:FFFD3D9B tr:FFFD3D9B bl:FFFD3D9B br:FFFD3D9B");
                root = mNpcDialog;
                content = childOf(mNpcDialog, "txt");
            }
            top->addChild(root);
            root->show();
            root->moveToFront();
            if (content)
                content->setText(gui::outsideText(text));
            for (const char* part : {"enter", "hand"})
                if (CEGUI::Window* w = childOf(mLeadText, part))
                    w->setAlpha(0.0f);
        } catch (const std::exception& e) {
            writeLog(kLogError, kChannel, std::string("the guide text is not shown: ") + e.what());
        }
    }
    clearGuideText();
    const float ms = std::isfinite(seconds) && seconds > 0.0f ? std::min(seconds, 600.0f) * 1000.0f : 0.0f;
    setTimer(mSimulatorTimer, static_cast<unsigned>(ms), [this]() { startSimulator(); });
}

void BattleRoom::hideGuideWindows()
{
    try {
        if (mLeadText && CeguiWidgets::alive(mLeadText)) {
            if (CEGUI::Window* parent = mLeadText->getParent())
                if (parent != mGuideRoot)
                    parent->removeChild(mLeadText);
            mLeadText->hide();
            if (CEGUI::Window* content = childOf(mLeadText, "content"))
                content->setText("");
            for (const char* part : {"enter", "hand"})
                if (CEGUI::Window* w = childOf(mLeadText, part))
                    w->setAlpha(1.0f);
            if (mGuideRoot && CeguiWidgets::alive(mGuideRoot) && !mLeadText->getParent())
                mGuideRoot->addChild(mLeadText);
        }
        if (mNpcDialog && CeguiWidgets::alive(mNpcDialog)) {
            setImage(childOf(mNpcDialog, "portrait"), "", "");
            setImage(childOf(mNpcDialog, "title"), "", "");
            if (CEGUI::Window* key = childOf(mNpcDialog, "lblKey"))
                key->show();
            if (CEGUI::Window* parent = mNpcDialog->getParent())
                parent->removeChild(mNpcDialog);
            mNpcDialog->hide();
            if (CEGUI::Window* txt = childOf(mNpcDialog, "txt"))
                txt->setText("");
        }
    } catch (const std::exception& e) {
        writeLog(kLogError, kChannel, std::string("the guide's windows are not hidden: ") + e.what());
    }
}

std::string BattleRoom::getShownGuideText() const
{
    for (CEGUI::Window* root : {mLeadText, mNpcDialog}) {
        if (!root || !CeguiWidgets::alive(root) || !root->isVisible() || root->getParent() == mGuideRoot || !root->getParent())
            continue;
        CEGUI::Window* content = childOf(root, root == mLeadText ? "content" : "txt");
        if (content)
            return content->getText().c_str();
    }
    return std::string();
}

void BattleRoom::clearGuideText()
{
    mGuideText.clear();
    mGuideDuration = 0.0f;
}

void BattleRoom::startSimulator()
{
    kill(mSimulatorTimer);
    if (!mLand) {
        writeLog(kLogWarning, kChannel, "the simulator cannot start without a land");
        return;
    }
    hideGuideWindows(); // its time is up: the fight takes the screen
    mLand->beginSimulator();
}

void BattleRoom::onFrame(float dt)
{
    if (!getGuiManager())
        return; // no screens: nothing of the battle is shown
    if (mBattlePanel)
        mBattlePanel->update(dt);
    if (mBoxPanel)
        mBoxPanel->update(static_cast<float>(yake::native::getTime() - mBoxPanelOrigin));
    {
        MeteredDisplay metered;
        checkLoadingDone();
    }
    updateEffects();
    if (mHintManager && mLand && mLand->isLoaded())
        mHintManager->update(dt);
    if (mLand && mLand->isLoaded() && !mLand->isFinished()) {
        MeteredDisplay metered;
        updateBubbles();
        updateSight(dt);
    }
    ZRKPlayerSim* me = mLand && mLand->isLoaded() ? mLand->getMyDoll() : nullptr;
    if (me && !mLand->isFinished()) {
        // The vane and the radar turn with the own doll.
        const yake::math::Vector3 f = me->getMovable().getFacing();
        {
            MeteredDisplay metered;
            updateVane(mLand->getWindDir(), f);
        }
        if (gui::IBattlePanel* panel = mBattlePanel ? mBattlePanel->getPanel() : nullptr)
            panel->setRadarOrientation(-f.z, -f.x);
    }
    if (me) {
        // The mouse turns the camera only while the doll may not act; else it follows the doll.
        bool rotate = false;
        if (!mLand->_cameraIsRoaming() && !mLand->isFinished())
            rotate = me->isFlagSet(SIM_FREE_CAMERA | SIM_DOWN | SIM_OUT) || (!me->isWaiting() && !me->isMoving()) ||
                     !me->getController().isEnabled();
        if (rotate != mFreeRotate) {
            mFreeRotate = rotate;
            core::Camera* camera = getCameraController();
            if (core::InputController* turn = camera ? camera->getInputController(2) : nullptr) {
                turn->enableAction(yake::input::ACTIONID_ROTATE_LEFT, rotate);
                turn->enableAction(yake::input::ACTIONID_ROTATE_RIGHT, rotate);
            }
            if (camera)
                camera->getCameraControllerTP()->trackOrientaion(!rotate);
        }
    }
    updateCamera(dt);
    {
        MeteredDisplay metered; // the suspend panel's
        checkInputFocus();
    }
    BasicRoom::onFrame(dt);
}

// --- the end ----------------------------------------------------------------------------------

std::string BattleRoom::awardIcon(int type)
{
    static const char* const kIcons[] = {"", "block/coin1", "block/coin1", "block/coin1", "block/card1", "block/card1"};
    return type >= 0 && type <= 5 ? kIcons[type] : "";
}

BattleRoom::AwardBoxItem BattleRoom::fillAwardRecord(int id, int type, int num) const
{
    static const char* const kNames[] = {"msg/award_nothing", "msg/award_zaobi", "msg/award_dianjuan",
                                         "msg/award_guabi", "msg/award_jifen", "msg/award_jingyan"};
    AwardBoxItem item;
    item.bi_id = id;
    item.bi_type = type;
    item.bi_num = num;
    item.counted = type != 6;
    if (type == 6) {
        ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
        item.name = server ? server->getItemLib()->find(std::to_string(id)).getStringVal("i_name", "") : std::string();
        auto known = mItemTable.find(id);
        const Json::Value& icon = known == mItemTable.end() ? Json::Value::nullSingleton() : ZRKJson::member(known->second, "icon");
        item.icon = icon.isString() ? icon.asString() : std::string();
        item.item.reset(new gui::BagData);
        if (EquipRes* equip = EquipRes::getSingletonPtr())
            equip->fillItemRecord(id, *item.item);
        else
            item.item->i_id = id;
    } else if (type >= 0 && type <= 5) {
        item.name = ZRKLan::getMsg(kNames[type]);
        item.icon = awardIcon(type);
    } else {
        item.name = ZRKLan::getMsg(kNames[0]); // a kind this client does not know shows as nothing
    }
    return item;
}

std::vector<BattleRoom::AwardBoxItem> BattleRoom::mergeAwards(const Json::Value& awards) const
{
    std::map<int, AwardBoxItem> counted, items;
    const auto add = [&](const Json::Value& a) {
        if (!a.isObject())
            return;
        const int type = wholeNumber(a, "bi_type");
        const int id = wholeNumber(a, "bi_id");
        const int num = wholeNumber(a, "bi_num");
        std::map<int, AwardBoxItem>& into = type == 6 ? items : counted;
        const int key = type == 6 ? id : type;
        auto it = into.find(key);
        if (it == into.end())
            into.emplace(key, fillAwardRecord(id, type, num));
        else
            // Summed wide and held to the record's range: many big awards never wrap around.
            it->second.bi_num = static_cast<int>(
                std::max<long long>(INT32_MIN, std::min<long long>(INT32_MAX, static_cast<long long>(it->second.bi_num) + num)));
    };
    if (awards.isArray() || awards.isObject())
        for (const Json::Value& a : awards)
            add(a);
    std::vector<AwardBoxItem> out;
    for (const auto& e : counted)
        out.push_back(e.second);
    for (const auto& e : items)
        out.push_back(e.second);
    return out;
}

void BattleRoom::readAwards()
{
    ZRKPlayerSim* me = mLand ? mLand->getMyDoll() : nullptr;
    ZRKRoomState* room = landRoomState();
    boost::shared_ptr<ZRKPlayerState> self = me && room ? room->findPlayer(me->getId()) : boost::shared_ptr<ZRKPlayerState>();
    if (!self) {
        mAwards.clear(); // no own doll: no awards
        return;
    }
    mAwards = mergeAwards(ZRKJson::member(ZRKJson::fromView(self->getBattleState()), "award"));
}

void BattleRoom::onBattleOver()
{
    resumeIfSuspendClosed();
    dragCursor(false);
    closeBattleHud();
    // The head bubbles stop following their figures at the end: none is left over the result
    // and the box screens.
    destroyBubbles();
    playMusic("music_bg2.mp3");
    mOverTimer = -1;
    ZRKRoomState* room = landRoomState();
    const int stage = room ? room->getState().getIntVal("ds_next", 0) : 0;
    if (stage >= 0 && stage < 3)
        setTimer(mHalfTimeTimer, kHalfTimeDelayMs, [this, stage]() { onHalfTime(stage); });
    readAwards();
    mBattleOverShown = true;
    showBattleOver();
    if (gui::IGuiManager* gui = getGuiManager()) {
        if (gui::IEventDispatcher* events = gui->getEventDispatcher()) {
            events->raise(gui::EventId::PlayerAttrRefresh);
            events->raise(gui::EventId::PropShopLoad);
        }
    }
    if (mLand)
        mLand->createPodium();
}

void BattleRoom::showBattleOver()
{
    gui::IGuiManager* gui = getGuiManager();
    auto* view = gui ? static_cast<gui::IBattleOver*>(gui->getBattleOverView()) : nullptr;
    if (!view || !mLand) {
        writeLog(kLogWarning, kChannel, "no GUI manager or result view: the result screen is not shown");
        return;
    }
    const GameSummary& summary = mLand->getSummary();
    ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
    const bool arena = server && server->isArenaZone();
    std::vector<gui::IBattleOver::PlayerRecord> players;
    for (const auto& entry : mLand->getAllDoll()) {
        const ZRKPlayerSim& doll = *entry.second;
        gui::IBattleOver::PlayerRecord r;
        r.team = doll.getColour() != 0;
        r.nickname = doll.getState() ? doll.getState()->getUserSettings().getStringVal("pc_nickname", doll.getId()) : doll.getId();
        const ZRKBattleState& battle = doll.getBattle();
        r.hp = battle.xhp > 0 ? std::max(0.0f, std::min(1.0f, static_cast<float>(battle.hp) / static_cast<float>(battle.xhp))) : 0.0f;
        r.level = doll.getState() ? doll.getState()->getUserSettings().getIntVal("pc_lv", 0) : 0;
        if (const GameSummary::Entry* e = summary.find(doll.getId())) {
            r.shots = e->shots;
            r.hits = e->hits;
            r.damage = e->damage;
            r.kills = e->kills;
            r.deaths = e->deaths;
            r.hitRatio = e->shots > 0 ? static_cast<float>(e->hits) / static_cast<float>(e->shots) : 0.0f;
            r.text = e->text;
            if (arena) {
                r.arena[0] = e->kills;
                r.arena[1] = e->deaths;
                r.arena[2] = e->damage;
                r.arena[3] = e->hits;
            }
        }
        r.me = doll.getId() == mLand->getMyUID();
        players.push_back(r);
    }
    const int tactic = mLand->getTacticId() + (arena ? 100 : 0);
    view->setResult(players, tactic, mAwards);
    view->setSummary(summary.winner);
}

void BattleRoom::closeBattleHud()
{
    mFreeRotate = false;
    if (EvtDollHandler* doll = getDollHandler())
        doll->closeRevivePanel();
    destroyProgressPanel();
    destroySuspendPanel();
    resetRadarMap();
    destroyVane();
    hideGuideWindows();
    if (mMessageBoxOpen)
        if (core::Frame* frame = GameServices::frame())
            frame->cancelMessageBox();
    mMessageBoxOpen = false;
    gui::IGuiManager* gui = getGuiManager();
    if (mBattlePanel) {
        mBattlePanel->hide();
        if (gui::IBattlePanel* panel = mBattlePanel->getPanel())
            panel->setStatusProvider(boost::shared_ptr<gui::IBattleStatus>());
    }
    mStatusProvider.reset();
    if (gui) {
        gui->resetPages();
        if (auto* view = static_cast<gui::IBattleOver*>(gui->getBattleOverView()))
            view->close();
    }
}

void BattleRoom::onHalfTime(int stage)
{
    mHalfTimeTimer = -1;
    gui::IGuiManager* gui = getGuiManager();
    if (!gui)
        return;
    gui->resetPages();
    mBoxPanel = nullptr;
    mBoxPanelStart = mBoxPanelEnd = -1.0f;
    struct Stage {
        const char* page;
        unsigned background;
        int event;
        int boxPanel; ///< 0 none, 1 or 2 the manager's box panel
        float seconds;
    };
    static const Stage kStages[] = {{"openbox", 8, gui::EventId::BattleBoxes, 1, 12.0f},
                                    {"pve_halftime", 0, gui::EventId::PveHalfTime, 0, 0.0f},
                                    {"pve_openbox", 4, gui::EventId::PveBoxes, 2, 15.0f}};
    if (stage < 0 || stage > 2)
        return;
    const Stage& s = kStages[stage];
    mHalfTimeStage = stage;
    gui->showPage(s.page);
    if (s.boxPanel != 0) {
        mBoxPanel = static_cast<gui::IBoxPanel*>(s.boxPanel == 1 ? gui->getBoxOpenView() : gui->getPveBoxOpenView());
        // Seconds from the screen's opening: the clock's own count is too large for a float.
        mBoxPanelOrigin = yake::native::getTime();
        mBoxPanelStart = 0.0f;
        mBoxPanelEnd = s.seconds;
        if (mBoxPanel)
            mBoxPanel->setCountDown(mBoxPanelStart, mBoxPanelEnd);
    }
    CeguiWidgets::setDefaultCursor("Kavri3DLook", "MouseArrow");
    if (s.background != 0)
        if (BackgroundScene* background = BackgroundScene::getSingletonPtr()) {
            if (background->isBuilt())
                background->destroyScene();
            background->setRequestedFlags(s.background);
            background->createScene();
        }
    if (gui::IEventIdQueue* queue = gui->getEventIdQueue())
        queue->handle(s.event);
    fillBoxList();
    buildAwardSlots();
    if (stage == 0) {
        ZRKPlayerSim* me = mLand ? mLand->getMyDoll() : nullptr;
        if (me && (me->getPlayerBattle().count < 1 || (me->getPlayerBattle().flags & 0x8) != 0))
            if (gui::IEventDispatcher* events = gui->getEventDispatcher())
                events->raise(gui::EventId::BoxesSpent);
    }
}

void BattleRoom::fillBoxList()
{
    ZRKRoomState* room = landRoomState();
    if (room)
        fillBoxList(room->getBoxes());
}

void BattleRoom::fillBoxList(const std::list<core::XmlConfigHelper>& boxes)
{
    if (!mBoxPanel)
        return;
    std::vector<BoxOffer> offers;
    for (const core::XmlConfigHelper& box : boxes) {
        BoxOffer o;
        o.b_id = box.getIntVal("b_id", 0);
        o.b_type = box.getIntVal("b_type", 0);
        o.b_buy_type = box.getIntVal("b_buy_type", 0);
        o.b_price = box.getIntVal("b_price", 0);
        offers.push_back(o);
    }
    mBoxPanel->setOffers(offers);
}

void BattleRoom::buildAwardSlots()
{
    ZRKRoomState* room = landRoomState();
    if (!room)
        return;
    const std::string me = mLand && mLand->getMyDoll() ? mLand->getMyDoll()->getId() : std::string();
    std::vector<AwardSlot> slots;
    for (int seat = 0; seat < room->getSlotCount(); ++seat) {
        AwardSlot slot;
        slot.award = fillAwardRecord(0, 0, 0);
        if (boost::shared_ptr<ZRKPlayerState> player = room->getPlayer(seat)) {
            slot.playerId = player->getID();
            slot.nickname = player->getUserSettings().getStringVal("pc_nickname", "");
            slot.pc_id = player->getUserSettings().getIntVal("pc_id", 0);
            slot.me = !me.empty() && me == player->getID();
            // One slot for each box the player opened (the newest comes first in the list, the
            // battle's own awards carry no box): each box keeps its own label.
            const Json::Value awards = ZRKJson::member(ZRKJson::fromView(player->getBattleState()), "award");
            std::vector<AwardSlot> opened;
            if (awards.isArray() || awards.isObject())
                for (const Json::Value& a : awards) {
                    if (ZRKJson::member(a, "bi_index").isNull() || opened.size() >= 16)
                        continue;
                    AwardSlot box = slot;
                    box.index = wholeNumber(a, "bi_index") - 1;
                    box.award = fillAwardRecord(wholeNumber(a, "bi_id"), wholeNumber(a, "bi_type"), wholeNumber(a, "bi_num"));
                    if (box.index >= 0)
                        opened.insert(opened.begin(), box);
                }
            if (!opened.empty()) {
                slots.insert(slots.end(), opened.begin(), opened.end());
                continue;
            }
        }
        slots.push_back(slot);
    }
    mAwardSlots = slots;
    if (mBoxPanel)
        mBoxPanel->setSlots(mAwardSlots);
}

void BattleRoom::onPlayerStateChanged(const std::string&, int)
{
    buildAwardSlots();
    if (!mBattleOverShown)
        return;
    readAwards(); // awards told after the result screen came up
    showBattleOver();
}

void BattleRoom::raiseLeaveEvent()
{
    gui::IGuiManager* gui = GameServices::guiManager();
    if (gui::IEventDispatcher* events = gui ? gui->getEventDispatcher() : nullptr)
        events->raise(gui::EventId::BattleLeft);
    else
        writeLog(kLogWarning, kChannel, "no GUI manager: the lobby is not told the battle was left");
}

// --- leaving ----------------------------------------------------------------------------------

void BattleRoom::scheduleLeave()
{
    if (mLeaveTimer != -1)
        return;
    setTimer(mLeaveTimer, kLeaveDelayMs, [this]() { leaveBattle(); });
}

void BattleRoom::leaveBattle()
{
    mLeaveTimer = -1;
    leaveRoom();
}

void BattleRoom::leaveRoom()
{
    const std::string state = mReturnState;
    const std::string battleRoom = mRoomName;
    ZRKSession* session = ZRKSession::getSingletonPtr();
    std::string arena;
    if (session && session->hasAttr("_arena")) {
        arena = session->getAttrAs<std::string>("_arena", std::string());
        session->eraseAttr("_arena");
    }
    if (gui::IGuiManager* gui = getGuiManager())
        if (auto* dolls = static_cast<gui::IDollView*>(gui->getDollView()))
            dolls->close();
    destroyScene();
    if (BackgroundScene* background = BackgroundScene::getSingletonPtr())
        background->refresh();
    if (!session) {
        writeLog(kLogWarning, kChannel, "no session: the battle cannot be left");
        return;
    }
    // The battle is fought in the player's own room: the server hears that this screen left
    // it, and the room waits for its next battle once no player's screen is in it. Going
    // anywhere but the room, the player leaves the room too.
    const bool inRoom = !battleRoom.empty() && ZRKRoomRequest::getRoomState(battleRoom, false, false);
    if (inRoom)
        ZRKRoomRequest::backFromBattle(battleRoom, ZRKReply());
    if (state.empty() || state == core::ClientStateTable::kPersonalRoom) {
        session->teleport(!arena.empty() ? arena : battleRoom, core::ClientStateTable::kPersonalRoom, std::string());
        return;
    }
    if (inRoom)
        session->leave(battleRoom);
    if (state == core::ClientStateTable::kArea) {
        session->teleport(std::string(), core::ClientStateTable::kArea, std::string());
        if (BackgroundScene* background = BackgroundScene::getSingletonPtr())
            background->setIdleAction([] { raiseLeaveEvent(); });
        else
            raiseLeaveEvent();
        return;
    }
    // The player hall: its panels come back on a fresh GUI manager.
    if (gui::IGuiManager* gui = GameServices::guiManager()) {
        gui->clearScreens();
        if (gui::IEventIdQueue* queue = gui->getEventIdQueue())
            for (int id : {gui::EventId::PlayerLeave, gui::EventId::PvePlayerLeave, gui::EventId::FixedMapPlayerLeave})
                queue->push(id, 0.0f);
        gui->showPage("bottombar");
        if (gui::IEventDispatcher* events = gui->getEventDispatcher())
            events->raise(gui::EventId::PlayerAttrLoading);
    } else {
        writeLog(kLogWarning, kChannel, "no GUI manager: the player hall's panels are not refreshed");
    }
    if (PersonalRoom* personal = PersonalRoom::getSingletonPtr())
        personal->markReload();
    if (!arena.empty())
        session->leave(arena);
    ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
    const std::string zone = server ? server->getCurrentZone().getStringVal("name", "") : std::string();
    session->teleport(zone, core::ClientStateTable::kPlayerHall, std::string());
}

void BattleRoom::resyncBattle()
{
    resetBattle();
    attachBattlePanel();
    activatePlayFrame();
    createLand();
}

void BattleRoom::stopHints()
{
    if (mHintManager)
        mHintManager->stop();
    mHintManager.reset();
}

void BattleRoom::resetBattle()
{
    stopHints();
    clearGuideText();
    mGuideWaiting = false;
    closeBattleHud();
    mBoxPanel = nullptr;
    mBoxPanelStart = mBoxPanelEnd = -1.0f;
    mSweepEnd = -1.0f;
    mBattlePanel = nullptr;
    mParamsReceived = false;
    mRadarLoaded = false;
    mLoadingStarted = false;
    mLandLoadConnection.disconnect();
    mPlayerStateConnection.disconnect();
    mBoxOffersConnection.disconnect();
    mRoomParamConnection.disconnect();
    kill(mLoadTimer);
    kill(mSimulatorTimer);
    kill(mOverTimer);
    kill(mHalfTimeTimer);
    kill(mLeaveTimer);
    stopMusic();
    if (mFlashPanel)
        mFlashPanel->clearFlashes();
    destroyPrompts();
    if (mLandScene && getCamera())
        mLandScene->setCamera(getCamera());
    mCameraOwn = false;
    releaseLand();
    CeguiWidgets::setDefaultCursor("Kavri3DLook", "MouseArrow");
}

void BattleRoom::releaseLand()
{
    destroyBubbles(); // the bubbles hang on the land's figures
    mLandScene.reset(); // stops drawing before the land goes
    mLand.reset();
    mLandRoom.reset();
}

// --- event handlers ---------------------------------------------------------------------------

void BattleRoom::registerEventHandlers()
{
    core::EventManager* events = core::EventManager::getSingletonPtr();
    if (!events || mLandHandler)
        return;
    mLandHandler.reset(new EvtLandHandler(*this));
    mDollHandler.reset(new EvtDollHandler(*this));
    mNpcHandler.reset(new EvtNpcHandler(*this));
    for (int type = EvtLandHandler::kFirst; type <= EvtLandHandler::kLast; ++type)
        events->addEventHandler(type, mLandHandler);
    for (int type : {6201, 6510, 6511})
        events->addEventHandler(type, mDollHandler);
    for (int type : {6512, 6513})
        events->addEventHandler(type, mNpcHandler);
}

void BattleRoom::unregisterEventHandlers()
{
    if (!mLandHandler)
        return;
    if (core::EventManager* events = core::EventManager::getSingletonPtr())
        for (const auto& handler : {mLandHandler, mDollHandler, mNpcHandler})
            events->removeEventHandler(handler);
    mLandHandler.reset();
    mDollHandler.reset();
    mNpcHandler.reset();
}

EvtDollHandler* BattleRoom::getDollHandler() const { return static_cast<EvtDollHandler*>(mDollHandler.get()); }

EvtLandHandler* BattleRoom::getLandHandler() const { return static_cast<EvtLandHandler*>(mLandHandler.get()); }

void BattleRoom::installEventPreviews()
{
    if (!mLand)
        return;
    // Dying and killed notices of the dolls this client plays become battle messages. The land
    // owns the previews and goes before the room, so they never outlive it.
    const auto played = [](ZRKLand* land, const core::Event& e, const char* key) -> ZRKPlayerSim* {
        const boost::any* uid = e.attrs().getAttr(key);
        const std::string* id = uid ? boost::any_cast<std::string>(uid) : nullptr;
        ZRKPlayerSim* doll = id && land ? land->getDoll(*id) : nullptr;
        return doll && (doll->isUnderControl() || doll->isLocal()) ? doll : nullptr;
    };
    const auto nickname = [](const ZRKPlayerSim& doll) {
        return doll.getState() ? doll.getState()->getUserSettings().getStringVal("pc_nickname", doll.getNickname())
                               : doll.getNickname();
    };
    mLand->addEventPreview(6112, [played, nickname](ZRKLand* land, core::Event& e) {
        if (ZRKPlayerSim* doll = played(land, e, "uid"))
            land->_reportMsg2(doll->getId(), "msg/bf_dying", {nickname(*doll)}, doll->getColour() != 0, 0, 1);
        return 0;
    });
    const ZRKLand::EventPreview killed = [played, nickname](ZRKLand* land, core::Event& e) {
        ZRKPlayerSim* dead = played(land, e, "uid");
        if (!dead)
            return 0;
        const boost::any* k = e.attrs().getAttr("killer");
        const std::string* killer = k ? boost::any_cast<std::string>(k) : nullptr;
        if (killer && !killer->empty() && *killer != dead->getId()) {
            core::XmlConfigHelper notice(yake::ConfigurationPtr(new yake::Configuration), "Notify_killer");
            notice.setStringVal("killer", *killer);
            notice.setStringVal("deadPerson", nickname(*dead));
            land->_notifyEvent(notice);
        } else {
            land->_reportMsg2(dead->getId(), "msg/bf_dead_1", {nickname(*dead)}, -1, 0, 1);
        }
        return 0;
    };
    mLand->addEventPreview(6113, killed);
    mLand->addEventPreview(6114, killed);
}

void BattleRoom::forwardGuiCall(int team, const std::string& uid, const std::string& nickname, const std::string& msg,
                                bool local)
{
    if (gui::IBattlePanel* panel = mBattlePanel ? mBattlePanel->getPanel() : nullptr)
        panel->line(team, uid, nickname, msg, local);
}

void BattleRoom::forwardGuiCall2(int first, int second)
{
    if (gui::IBattlePanel* panel = mBattlePanel ? mBattlePanel->getPanel() : nullptr)
        panel->next(first, second);
}


// --- prompts and Flash overlays ------------------------------------------------------------------

void BattleRoom::showPrompt(const std::string& image, bool pulse, float x, float y, float duration)
{
    if (!mPrompts)
        mPrompts.reset(new BattlePrompts);
    mPrompts->show(image, pulse, x, y, duration);
}

void BattleRoom::showPromptFixed(const std::string& image, bool pulse, float duration)
{
    showPrompt(image, pulse, 0.5f, 0.2f, duration);
}

void BattleRoom::showPromptScattered(const std::string& image, float duration)
{
    const float u = mRandom.uniform();
    const float v = mRandom.uniform();
    showPrompt(image, false, (u - 0.5f) * 0.2f + 0.5f, (v - 0.5f) * 0.2f + 0.5f, duration);
}

CEGUI::Window* BattleRoom::showFlash(const std::string& name, const std::string& key, int width, int height,
                                     Ogre::SceneNode* node, float duration)
{
    return mFlashPanel ? mFlashPanel->addFlash(name, key, width, height, node, duration) : nullptr;
}

void BattleRoom::revokeFlash(const std::string& name, const std::string& key)
{
    if (mFlashPanel)
        mFlashPanel->revokeFlash(name, key);
}

void BattleRoom::removeFlashByWindow(CEGUI::Window* window)
{
    if (mFlashPanel)
        mFlashPanel->removeFlashByWindow(window);
}

bool BattleRoom::hasFlash(const std::string& name, const std::string& key) const
{
    if (mFlashPanel)
        for (const ZRKFlashPanel::Entry& e : mFlashPanel->getEntries())
            if (e.name == name && e.key == key)
                return true;
    return false;
}

void BattleRoom::updateEffects()
{
    if (mFlashPanel && mFlashPanel->isVisible())
        mFlashPanel->update();
    if (mPrompts)
        mPrompts->update();
}

void BattleRoom::destroyPrompts()
{
    if (mPrompts)
        mPrompts->destroy();
}

void BattleRoom::createFlashPanel()
{
    if (mFlashPanel)
        return;
    mFlashPanel.reset(new ZRKFlashPanel(this));
    if (!mFlashPanel->createWindow()) {
        writeLog(kLogWarning, kChannel, "no main frame: the battle shows no Flash overlays");
        mFlashPanel.reset();
    }
}

void BattleRoom::destroyFlashPanel()
{
    if (mFlashPanel)
        mFlashPanel->destroyWindow();
    mFlashPanel.reset();
}

CEGUI::Window* BattleRoom::hudWindow(const std::string& path)
{
    return CEGUI::System::getSingletonPtr() ? core::CEGUIAnimationLib::findWindow(path) : nullptr;
}

gui::IBattlePanel* BattleRoom::getBattleScreen() const { return mBattlePanel ? mBattlePanel->getPanel() : nullptr; }

gui::IDollView* BattleRoom::getDollView() const
{
    gui::IGuiManager* gui = getGuiManager();
    return gui ? static_cast<gui::IDollView*>(gui->getDollView()) : nullptr;
}

// --- head bubbles and the sight ------------------------------------------------------------------

boost::shared_ptr<BattleRoom::ZRKBubblePanel> BattleRoom::getBubble(const core::BasicPlayer& player)
{
    return player.getAttrAs<boost::shared_ptr<ZRKBubblePanel>>("zrk_bubble", boost::shared_ptr<ZRKBubblePanel>());
}

void BattleRoom::updateBubbles()
{
    if (!mLand)
        return;
    ZRKPlayerSim* me = mLand->getMyDoll();
    const int viewer = me ? me->getColour() : 0;
    const auto pass = [this, viewer](ZRKBasicSim& sim, bool drop, const std::function<BubbleInfoProvider*()>& provider) {
        const core::BasicPlayerPtr& player = sim.getPlayerRef();
        if (!player)
            return;
        if (drop) {
            player->removeAttr("zrk_bubble");
            return;
        }
        if (!player->hasAttr("zrk_bubble")) {
            boost::shared_ptr<ZRKBubblePanel> bubble(new ZRKBubblePanel(this, sim.getPlayerId()));
            bubble->setInfoProvider(boost::shared_ptr<BubbleInfoProvider>(provider()));
            bubble->setViewerColour(viewer);
            if (bubble->createWindow()) {
                activatePlayFrame();
                bubble->focusOffset() = yake::math::Vector3(0, player->getDesc().getRealVal("graphical/focus.y", 0.0f), 0);
                bubble->homeOffset() =
                    yake::math::Vector3(0, player->getDesc().getRealVal("physical/home", DollConstants::HIT_ACTOR_OFFSET), 0);
                bubble->refresh();
            } else {
                bubble.reset(); // no bubble for this sim for the rest of the battle
            }
            player->setAttr("zrk_bubble", bubble);
        }
        if (boost::shared_ptr<ZRKBubblePanel> bubble = getBubble(*player))
            bubble->update(player);
    };
    for (const auto& d : mLand->getAllDoll()) {
        ZRKPlayerSim* doll = d.second;
        pass(*doll, doll->getAngelSeq() == -2, [doll] { return new SimBubbleInfoProvider(*doll); });
    }
    const bool npcsGone = mLand->getLoadState() >= 9;
    for (const auto& n : mLand->getAllNpc()) {
        ZRKNpcSim* npc = n.second;
        pass(*npc, npc->isEnded() || npcsGone, [npc] { return new SimBubbleInfoProvider(*npc); });
    }
}

void BattleRoom::refreshBubble(ZRKBasicSim* sim)
{
    if (sim && sim->getPlayerRef())
        if (boost::shared_ptr<ZRKBubblePanel> bubble = getBubble(*sim->getPlayerRef()))
            bubble->refresh();
}

void BattleRoom::refreshDollBubble(const std::string& playerId)
{
    if (mLand)
        refreshBubble(mLand->getDoll(playerId));
}

void BattleRoom::refreshNpcBubble(const std::string& name)
{
    if (mLand)
        refreshBubble(mLand->getNpc(name));
}

void BattleRoom::refreshComboBubbles()
{
    if (!mLand)
        return;
    for (const auto& combo : mLand->getPlayerCombo())
        if (combo.second.time > 0.0f)
            refreshDollBubble(combo.first);
}

void BattleRoom::destroyBubbles()
{
    destroySight();
    if (!mLand)
        return;
    for (const auto& d : mLand->getAllDoll())
        if (d.second->getPlayerRef())
            d.second->getPlayerRef()->removeAttr("zrk_bubble");
    for (const auto& n : mLand->getAllNpc())
        if (n.second->getPlayerRef())
            n.second->getPlayerRef()->removeAttr("zrk_bubble");
}

void BattleRoom::setSightMode(int mode)
{
    if (mSight)
        mSight->setMode(mode);
}

void BattleRoom::showSight(bool visible)
{
    if (mSight)
        mSight->show(visible);
}

void BattleRoom::updateSight(float dt)
{
    if (mSight && mSight->isVisible())
        mSight->update(dt);
    refreshComboBubbles();
}

void BattleRoom::createSight()
{
    if (mSight)
        return;
    boost::shared_ptr<ZRKSightingPanel> sight(new ZRKSightingPanel(this));
    if (sight->createWindow())
        sight->show(false);
    mSight = sight;
}

void BattleRoom::destroySight()
{
    if (mSight)
        mSight->destroyWindow();
    mSight.reset();
}

bool BattleRoom::isSightActive() const { return mSight && mSight->isVisible() && mSight->getAutoChargeTarget(); }

} // namespace zrk
} // namespace kavri3D
