#include "battle/BattleRoom.h"

#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <map>
#include <core/BlackBoard.h>
#include <core/ClientStateTable.h>
#include <CEGUI/CEGUI.h>
#include <core/Frame.h>
#include <core/GuiManager.h>
#include <core/TimerManager.h>
#include <data/ZRKJson.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKUserRequest.h>
#include <gui/IBattlePanel.h>
#include <gui/IGuiManager.h>
#include <landscene/LandScene.h>
#include <land/LandEventId.h>
#include <land/ZRKLand.h>
#include <land/ZRKNpcSim.h>
#include <land/ZRKPlayerSim.h>
#include <transport/QueryString.h>
#include <misc/CEGUIAnimationLib.h>
#include <scene/BasicPlayer.h>
#include "battle/BattleBubbles.h"
#include "battle/BattleEnd.h"
#include "battle/BattleExit.h"
#include "battle/BattleGuide.h"
#include "battle/BattleHintManager.h"
#include "battle/BattleInput.h"
#include "battle/BattleLandRoom.h"
#include "battle/BattleLoading.h"
#include "battle/BattleLoadout.h"
#include "battle/BattleOverlays.h"
#include "battle/BattleRadar.h"
#include "battle/EvtDollHandler.h"
#include "battle/EvtLandHandler.h"
#include "battle/EvtNpcHandler.h"
#include "battle/hud/BattleStatusProvider.h"
#include "battle/hud/ZRKBubblePanel.h"
#include "battle/hud/ZRKFlashPanel.h"
#include "battle/hud/ZRKProgressPanel.h"
#include "battle/hud/ZRKSuspendPanel.h"
#include "rooms/BackgroundScene.h"
#include "rooms/CeguiWidgets.h"
#include "rooms/EquipRes.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";
/// The battle's picture sets: its prompts, and the displays' rows, bubbles and sight.
const char* const kImagesets[] = {"prompt", "prompt2", "end",   "battle_num", "sighting", "chars",
                                  "title",  "flash",   "block", "icons1",     "pve"};
constexpr std::size_t kMaxParamText = 4096;
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

const char* const BattleRoom::kPromptKill[4] = {"prompt2/KillOne", "prompt2/KillTwo", "prompt2/KillThree",
                                                "prompt2/KillFour"};
const char* const BattleRoom::kPromptBloodLess = "prompt2/bloodLess";
const char* const BattleRoom::kPromptWants[6] = {"prompt/bulletWanted", "prompt/hpWanted", "prompt/spWanted",
                                                 "prompt/spWanted2",    "prompt/cdWanted", "prompt/holdOK"};
const char* const BattleRoom::kPromptCritical = "prompt/critical";
const char* const BattleRoom::kPromptUltimate = "prompt/ultimate";
const char* const BattleRoom::kPromptGood = "prompt/good";
const char* const BattleRoom::kPromptPerfect = "prompt/perfect";
const char* const BattleRoom::kPromptBlank = "prompt/blankBullet";

BattleRoom::BattleRoom()
    : mLoading(new BattleLoading(*this)), mInput(new BattleInput(*this)), mRadar(new BattleRadar(*this)),
      mLoadout(new BattleLoadout(*this)), mGuide(new BattleGuide(*this)), mOverlays(new BattleOverlays(*this)),
      mBubbles(new BattleBubbles(*this)), mEnd(new BattleEnd(*this)), mExit(new BattleExit(*this))
{
    mMainLightsEnabled = false;
    mPrefetchSuspended = true;
    setName(core::ClientStateTable::kBattle);
}

// The parts go after the body: the Escape key, its question's answer and what was heard of the
// land and the room end with them (the answer finds the room gone before).
BattleRoom::~BattleRoom()
{
    mLife.end();
    resetBattle();
    unregisterEventHandlers();
    destroySight();
    destroyPrompts();
    destroyFlashPanel();
}

int BattleRoom::wholeNumber(const Json::Value& record, const char* key)
{
    const Json::Value& v = ZRKJson::member(record, key);
    if (!v.isNull() && !v.isString())
        return static_cast<int>(ZRKJson::number(v, INT32_MIN, INT32_MAX, 0, key));
    const std::string text = v.isString() ? v.asString() : std::string();
    char* end = nullptr;
    const long n = text.empty() || text.size() > 11 ? 0 : std::strtol(text.c_str(), &end, 10);
    return end && *end == '\0' && n >= INT32_MIN && n <= INT32_MAX ? static_cast<int>(n) : 0;
}

int BattleRoom::setTimer(int& id, unsigned ms, const std::function<void()>& call)
{
    kill(id); // a setter never leaves the member's earlier timer running
    int* member = &id;
    std::weak_ptr<void> alive = mLife.token();
    id = core::setTimeout(ms, [alive, member, call]() {
        if (alive.expired())
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
    mLoadout->clear();
    mReturnState.clear();
    mEnd->clear();
    core::BlackBoard* board = core::BlackBoard::getSingletonPtr();
    mBattleHintEnabled = !board || board->getBool("kavri3D/app/func/battle_hint", true);
    createImagesets();
    registerEventHandlers();
    mInput->enterScene();
    attachBattlePanel();
    createSight();
    activatePlayFrame();
    mInput->listenForEscape();
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
    // The bar starts from this battle's own numbers, not from whatever it last showed.
    if (EvtDollHandler* doll = getDollHandler())
        doll->tellOwnAgain();
    activatePlayFrame();
}

void BattleRoom::destroyScene()
{
    unregisterEventHandlers();
    resetBattle();
    destroySight();
    destroyPrompts();
    destroyFlashPanel();
    destroyImagesets();
    mInput->leaveScene();
    mGuide->destroyWindows();
    mWeaponTable.clear();
    mItemTable.clear();
    mLoadout->restore();
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
        writeLog(kLogWarning, kChannel,
                 "battle entry text of " + std::to_string(params.size()) + " characters ignored");
        return;
    }
    core::QueryString query(params);
    mLoadout->chooseBag(query.get("bag"));
    mReturnState = query.get("prev");
}

void BattleRoom::onRoomReady(const std::string&) { createLand(); }

// --- land and loading -----------------------------------------------------------------------

ZRKRoomState* BattleRoom::landRoomState() const
{
    ZRKRoomState* room = mRoomName.empty() ? nullptr : ZRKRoomRequest::getRoomState(mRoomName, false, false);
    return room && !room->isDestroyed() ? room : nullptr;
}

void BattleRoom::createLand() { mLoading->createLand(); }
void BattleRoom::onRoomParam(bool, bool) { mLoading->onRoomParam(); }
void BattleRoom::startLoading() { mLoading->startLoading(); }
void BattleRoom::onLandLoadState(int, int state) { mLoading->onLandLoadState(state); }
void BattleRoom::createVane() { mLoading->createVane(); }
void BattleRoom::updateVane(const yake::math::Vector3& wind, const yake::math::Vector3& facing)
{
    mLoading->updateVane(wind, facing);
}
void BattleRoom::destroyVane() { mLoading->destroyVane(); }
BattleRoom::VaneSnapShotScene* BattleRoom::getVaneScene() const { return mLoading->getVaneScene(); }
core::SnapShotEx* BattleRoom::getVaneSnapShot() const { return mLoading->getVaneSnapShot(); }
BattleRoom::ZRKProgressPanel* BattleRoom::getProgressPanel() const { return mLoading->getProgressPanel(); }
bool BattleRoom::areParamsReceived() const { return mLoading->areParamsReceived(); }
long BattleRoom::getMusicSound() const { return mLoading->getMusicSound(); }

// --- camera, cursor and keys --------------------------------------------------------------------

void BattleRoom::onCameraCreated() { mInput->bindCamera(); }

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

void BattleRoom::activatePlayFrame() { mInput->activatePlayFrame(); }
bool BattleRoom::onEscapeKey(int scanCode) { return mInput->onEscapeKey(scanCode); }
void BattleRoom::onEscapeConfirmed(int result) { mInput->onEscapeConfirmed(result); }
void BattleRoom::suspendInput() { mInput->suspend(); }
void BattleRoom::resumeInput() { mInput->resume(); }
void BattleRoom::checkInputFocus() { mInput->checkFocus(); }
void BattleRoom::resumeIfSuspendClosed() { mInput->resumeIfSuspendClosed(); }
void BattleRoom::releaseCursorForGuide() { mInput->releaseCursor(); }
void BattleRoom::lookAlong(float heading) { mInput->lookAlong(heading); }
BattleRoom::ZRKSuspendPanel* BattleRoom::getSuspendPanel() const { return mInput->getSuspendPanel(); }
bool BattleRoom::isFreeRotate() const { return mInput->isFreeRotate(); }
bool BattleRoom::isMessageBoxOpen() const { return mInput->isMessageBoxOpen(); }
bool BattleRoom::isCameraOwn() const { return mInput->isCameraOwn(); }
bool& BattleRoom::escapeEnabled() { return mInput->escapeEnabled(); }

// --- radar ---------------------------------------------------------------------------------------

void BattleRoom::loadRadarConfig() { mRadar->load(); }
void BattleRoom::setRadarMapImage(const std::string& name) { mRadar->setMapImage(name); }
void BattleRoom::resetRadarMap() { mRadar->resetMap(); }
bool BattleRoom::projectToRadar(yake::math::Vector3& p) const { return mRadar->project(p); }
bool BattleRoom::isRadarLoaded() const { return mRadar->isLoaded(); }

// --- the battle's loadout ---------------------------------------------------------------------

void BattleRoom::pullBattleBags(bool remove) { mLoadout->pullBags(remove); }
void BattleRoom::buildBattleWeapons() { mLoadout->buildWeapons(); }
int BattleRoom::addBattleWeapon(const std::string& itemId, int bagIndex, int fixItem, int itemCd, int shellNum,
                                int shootRange)
{
    return mLoadout->addWeapon(itemId, bagIndex, fixItem, itemCd, shellNum, shootRange);
}
void BattleRoom::addDuplicateProps() { mLoadout->addDuplicateProps(); }
bool BattleRoom::readStageArms(const std::string& text, std::vector<StageWeapon>& weapons,
                               std::vector<std::string>& props)
{
    return BattleLoadout::readStageArms(text, weapons, props);
}
void BattleRoom::restoreBattleBags() { mLoadout->restoreBags(); }
void BattleRoom::removeGivenWeapons() { mLoadout->removeGivenWeapons(); }
int BattleRoom::getAmmoBag() const { return mLoadout->ammoBag(); }
const std::vector<BattleRoom::WeaponEntry>& BattleRoom::getWeaponSet() const { return mLoadout->weaponSet(); }
bool BattleRoom::areBagsPulled() const { return mLoadout->areBagsPulled(); }
bool BattleRoom::isSpecialDuplicate() const { return mLoadout->specialDuplicate(); }
int& BattleRoom::savedAmmoBag() { return mLoadout->savedAmmoBag(); }
int& BattleRoom::ammoBag() { return mLoadout->ammoBag(); }
std::vector<BattleRoom::WeaponEntry>& BattleRoom::weaponSet() { return mLoadout->weaponSet(); }
bool& BattleRoom::specialDuplicate() { return mLoadout->specialDuplicate(); }
std::list<core::XmlConfigHelper>& BattleRoom::savedWeaponItems() { return mLoadout->savedWeaponItems(); }
std::list<core::XmlConfigHelper>& BattleRoom::savedPropItems() { return mLoadout->savedPropItems(); }

// --- guide text and simulator -----------------------------------------------------------------

void BattleRoom::setGuideText(const std::string& text, float seconds) { mGuide->schedule(text, seconds); }
std::string BattleRoom::getShownGuideText() const { return mGuide->shownText(); }
const std::string& BattleRoom::getGuideText() const { return mGuide->getText(); }
float BattleRoom::getGuideDuration() const { return mGuide->getDuration(); }
bool BattleRoom::isGuideWaiting() const { return mGuide->isWaiting(); }

void BattleRoom::startSimulator()
{
    kill(mSimulatorTimer);
    if (!mLand) {
        writeLog(kLogWarning, kChannel, "the simulator cannot start without a land");
        return;
    }
    mGuide->hide(); // its time is up: the fight takes the screen
    mLand->beginSimulator();
}

void BattleRoom::onFrame(float dt)
{
    if (!getGuiManager())
        return; // no screens: nothing of the battle is shown
    if (mBattlePanel)
        mBattlePanel->update(dt);
    mEnd->updateBoxPanel();
    {
        MeteredDisplay metered;
        mGuide->checkLoadingDone();
    }
    updateEffects();
    if (mHintManager && mLand && mLand->isLoaded())
        mHintManager->update(dt);
    if (mLand && mLand->isLoaded() && !mLand->isFinished()) {
        MeteredDisplay metered;
        if (EvtDollHandler* doll = getDollHandler())
            doll->followOwn();
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
    if (me)
        mInput->followDoll(*me);
    mInput->updateCamera(dt);
    {
        MeteredDisplay metered; // the suspend panel's
        checkInputFocus();
    }
    BasicRoom::onFrame(dt);
}

// --- the end ----------------------------------------------------------------------------------

BattleRoom::AwardBoxItem BattleRoom::fillAwardRecord(int id, int type, int num) const
{
    return mEnd->fillAwardRecord(id, type, num);
}
std::vector<BattleRoom::AwardBoxItem> BattleRoom::mergeAwards(const Json::Value& awards) const
{
    return mEnd->mergeAwards(awards);
}
void BattleRoom::onBattleOver() { mEnd->onBattleOver(); }
void BattleRoom::onHalfTime(int stage) { mEnd->onHalfTime(stage); }
void BattleRoom::fillBoxList() { mEnd->fillBoxList(); }
void BattleRoom::fillBoxList(const std::list<core::XmlConfigHelper>& boxes) { mEnd->fillBoxList(boxes); }
void BattleRoom::buildAwardSlots() { mEnd->buildAwardSlots(); }
void BattleRoom::onPlayerStateChanged(const std::string&, int) { mEnd->onPlayerStateChanged(); }
const std::vector<BattleRoom::AwardBoxItem>& BattleRoom::getAwards() const { return mEnd->getAwards(); }
bool BattleRoom::isBattleOverShown() const { return mEnd->isBattleOverShown(); }
bool BattleRoom::isResultReported() const { return mEnd->isResultReported(); }
const std::vector<BattleRoom::AwardSlot>& BattleRoom::getAwardSlots() const { return mEnd->getAwardSlots(); }
int BattleRoom::getHalfTimeStage() const { return mEnd->getHalfTimeStage(); }
gui::IBoxPanel* BattleRoom::getBoxPanel() const { return mEnd->getBoxPanel(); }
float BattleRoom::getBoxPanelStart() const { return mEnd->getBoxPanelStart(); }
float BattleRoom::getBoxPanelEnd() const { return mEnd->getBoxPanelEnd(); }
float BattleRoom::getSweepEnd() const { return mEnd->getSweepEnd(); }

void BattleRoom::closeBattleHud()
{
    mInput->stopFreeRotate();
    if (EvtDollHandler* doll = getDollHandler())
        doll->closeRevivePanel();
    // Every overlay ends with the battle: none, not even one without an end of its own (the
    // full fury's), stays over the result and the box screens.
    if (ZRKFlashPanel* flash = getFlashPanel())
        flash->clearFlashes();
    mLoading->destroyProgressPanel();
    mInput->destroySuspendPanel();
    resetRadarMap();
    destroyVane();
    mGuide->hide();
    mInput->closeQuestion();
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

void BattleRoom::raiseLeaveEvent() { BattleExit::raiseLeaveEvent(); }

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

void BattleRoom::leaveRoom() { mExit->leave(); }

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
    mGuide->clear();
    mGuide->stopWaiting();
    closeBattleHud();
    mEnd->closeBoxPanel();
    mBattlePanel = nullptr;
    mRadar->forget();
    mLoading->reset();
    kill(mLoadTimer);
    kill(mSimulatorTimer);
    kill(mOverTimer);
    kill(mHalfTimeTimer);
    kill(mLeaveTimer);
    mLoading->stopMusic();
    mOverlays->clear();
    if (mLandScene && getCamera())
        mLandScene->setCamera(getCamera());
    mInput->forgetCamera();
    releaseLand();
    CeguiWidgets::setDefaultCursor("Kavri3DLook", "MouseArrow");
}

void BattleRoom::releaseLand()
{
    destroyBubbles();   // the bubbles hang on the land's figures
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
    for (int type : {LandEventId::PropUsed, LandEventId::OwnStatus, LandEventId::DollBubble})
        events->addEventHandler(type, mDollHandler);
    for (int type : {LandEventId::NpcBubble, LandEventId::NpcKilled})
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
    mLand->addEventPreview(LandEventId::DollDying, [played, nickname](ZRKLand* land, core::Event& e) {
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
    mLand->addEventPreview(LandEventId::DollKilled, killed);
    mLand->addEventPreview(LandEventId::DollLost, killed);
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
    mOverlays->showPrompt(image, pulse, x, y, duration);
}

void BattleRoom::showPromptFixed(const std::string& image, bool pulse, float duration)
{
    showPrompt(image, pulse, 0.5f, 0.2f, duration);
}

void BattleRoom::showPromptScattered(const std::string& image, float duration)
{
    mOverlays->showPromptScattered(image, duration);
}

CEGUI::Window* BattleRoom::showFlash(const std::string& name, const std::string& key, int width, int height,
                                     Ogre::SceneNode* node, float duration)
{
    return mOverlays->showFlash(name, key, width, height, node, duration);
}

void BattleRoom::revokeFlash(const std::string& name, const std::string& key) { mOverlays->revokeFlash(name, key); }
void BattleRoom::removeFlashByWindow(CEGUI::Window* window) { mOverlays->removeFlashByWindow(window); }
bool BattleRoom::hasFlash(const std::string& name, const std::string& key) const
{
    return mOverlays->hasFlash(name, key);
}
void BattleRoom::updateEffects() { mOverlays->update(); }
void BattleRoom::destroyPrompts() { mOverlays->destroyPrompts(); }
void BattleRoom::createFlashPanel() { mOverlays->createFlashPanel(); }
void BattleRoom::destroyFlashPanel() { mOverlays->destroyFlashPanel(); }
ZRKFlashPanel* BattleRoom::getFlashPanel() const { return mOverlays->getFlashPanel(); }
BattlePrompts* BattleRoom::getPrompts() const { return mOverlays->getPrompts(); }

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

void BattleRoom::updateBubbles() { mBubbles->update(); }
void BattleRoom::refreshBubble(ZRKBasicSim* sim) { mBubbles->refresh(sim); }

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

void BattleRoom::refreshComboBubbles() { mBubbles->refreshCombos(); }
void BattleRoom::destroyBubbles() { mBubbles->destroy(); }
void BattleRoom::setSightMode(int mode) { mBubbles->setSightMode(mode); }
void BattleRoom::showSight(bool visible) { mBubbles->showSight(visible); }
void BattleRoom::updateSight(float dt) { mBubbles->updateSight(dt); }
void BattleRoom::createSight() { mBubbles->createSight(); }
void BattleRoom::destroySight() { mBubbles->destroySight(); }
bool BattleRoom::isSightActive() const { return mBubbles->isSightActive(); }
BattleRoom::ZRKSightingPanel* BattleRoom::getSightingPanel() const { return mBubbles->getSightingPanel(); }

} // namespace zrk
} // namespace kavri3D
