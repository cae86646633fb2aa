#include "battle/tutorial/BattleRoomNewbie.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <cmath>
#include <core/ClientStateTable.h>
#include <cstdlib>
#include <iterator>
#include <CEGUI/CEGUI.h>
#include <Ogre.h>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/Engine.h>
#include <core/EventManager.h>
#include <core/Frame.h>
#include <core/KeyInput.h>
#include <core/RandomNumber.h>
#include <data/ZRKGameData.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomStateProxy.h>
#include <data/ZRKSession.h>
#include <data/ZRKTaskRequest.h>
#include <data/ZRKUserRequest.h>
#include <gui/IBattlePanel.h>
#include <gui/IGuiManager.h>
#include <gui/IGuideContent.h>
#include <gui/IGuideView.h>
#include <json/json.h>
#include <lan/ZRKLan.h>
#include <misc/Equipment.h>
#include <land/DollConstants.h>
#include <land/ZRKBattleState.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerAI.h>
#include <land/WeaponState.h>
#include <land/ZRKPlayerSim.h>
#include <scene/BasicPlayer.h>
#include <transport/QueryString.h>
#include <util/StringConv.h>
#include <yake/StringUtil.h>
#include <yake/Time.h>
#include "battle/tutorial/TutorialCond.h"
#include "battle/tutorial/TutorialParts.h"
#include "battle/tutorial/TutorialShotGuide.h"
#include "battle/tutorial/TutorialStep.h"
#include "battle/tutorial/TutorialTask.h"
#include "battle/hud/ZRKBubblePanel.h"
#include "battle/hud/ZRKSightingPanel.h"
#include "rooms/BackgroundScene.h"
#include "rooms/EquipRes.h"
#include "rooms/ZRKRoleRes.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::BattleRoomNewbie);

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "newbie";
const std::size_t kMaxParamText = 4096;
const int kStatusSeated = 1;

float now() { return static_cast<float>(yake::native::getTime()); }

/// A lesson number as the entry text gives it: 0 to 4, else -1 (no lesson to play).
int readLesson(const std::string& text)
{
    if (text.empty())
        return 0;
    if (text.size() > 2)
        return -1;
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    return end && *end == '\0' && n >= 0 && n <= 4 ? static_cast<int>(n) : -1;
}

std::string text(const char* s) { return s ? s : ""; }
} // namespace

BattleRoomNewbie::BattleRoomNewbie() : mShotGuide(new TutorialShotGuide(*this))
{
    setName(core::ClientStateTable::kTutorial);
    // The question box's answer reaches the step runner through the services.
    GameServices::hooks().tutorialStepDone = [this] { setStepDone(); };
}

BattleRoomNewbie::~BattleRoomNewbie()
{
    GameServices::hooks().tutorialStepDone = nullptr;
    mConnections.clear(); // each guard ends its click before the guide's key handler goes
    if (gui::IGuideView* guide = getGuide())
        guide->releaseKeyHandler();
    for (auto& ai : mAis)
        if (ai.second)
            ai.second->detach();
}

gui::IGuideView* BattleRoomNewbie::getGuide() const
{
    gui::IGuiManager* gui = getGuiManager();
    return gui ? gui->getGuideView() : nullptr;
}

ZRKRoomStateProxy* BattleRoomNewbie::localRoom() const
{
    ZRKGameData* data = ZRKGameData::getSingletonPtr();
    return data ? data->localRoomState() : nullptr;
}

// --- scene ------------------------------------------------------------------------------------

void BattleRoomNewbie::createScene()
{
    BattleRoom::createScene();
    battleHintEnabled() = false;
    if (gui::IGuideView* guide = getGuide())
        guide->setKeyHandler([this](const CEGUI::KeyEventArgs& args) { return onKeyDown(args); });
    else
        writeLog(kLogWarning, kChannel, "no guide view: the lesson's steps are not shown");
    core::Frame* frame = GameServices::frame();
    if (CEGUI::Window* top = frame ? frame->getTopWindow() : nullptr)
        mConnections.emplace_back(top->subscribeEvent(CEGUI::Window::EventMouseButtonDown,
                                                      CEGUI::Event::Subscriber(&BattleRoomNewbie::onMouseDown, this)));
    mLesson = 0;
    returnState().clear();
    mStepIndex = -1;
    mJumpTarget = 0;
    mStepStartTime = mStepLeaveTime = mStepDeadline = -1.0f;
    mStepDone = mChatMode = mFacingEnabled = mChatDone = false;
    mNpcCounter = 1;
    mSeriateNumber = 0;
    mSeats.clear();
    savedWeaponItems().clear();
    savedPropItems().clear();
    fillRegistries();
    // The guide's pictures, loaded only when nobody has them yet.
    CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr();
    mGuideLoaded = false;
    std::vector<CEGUI::String> shipped;
    CEGUI::ResourceProvider* files = images ? CEGUI::System::getSingleton().getResourceProvider() : nullptr;
    if (images && !images->isDefined("guide/frame") && files &&
        files->getResourceGroupFileNames(shipped, "guide.imageset", "General") > 0) {
        try {
            images->loadImageset("guide.imageset", "General");
            mGuideLoaded = true;
        } catch (const std::exception& e) {
            writeLog(kLogWarning, kChannel, std::string("guide pictures not loaded: ") + e.what());
        }
    }
    mSceneUp = true;
}

void BattleRoomNewbie::destroyScene()
{
    mConnections.clear(); // the clicks are heard while the scene is up
    if (gui::IBattlePanel* panel = getBattleScreen())
        panel->setNewbieLock(true);
    leaveStep();
    mNpcCounter = 1;
    mSeriateNumber = 0;
    mSeats.clear();
    if (mSceneUp)
        restoreBattleBags();
    mLesson = 0;
    returnState().clear();
    mStepIndex = -1;
    mJumpTarget = -1;
    mStepStartTime = mStepLeaveTime = mStepDeadline = -1.0f;
    mStepDone = mChatMode = mFacingEnabled = mChatDone = false;
    escapeEnabled() = false;
    mAsking = mSightHidden = mMouseFree = false;
    mTasks.clear();
    mConds.clear();
    if (gui::IGuideView* guide = getGuide()) {
        guide->releaseKeyHandler();
        guide->showStep(0);
    }
    if (mSceneUp)
        BattleRoom::destroyScene();
    mSceneUp = false;
    if (mGuideLoaded)
        if (CEGUI::ImageManager* images = CEGUI::ImageManager::getSingletonPtr())
            images->destroyImageCollection("guide", false);
    mGuideLoaded = false;
    // The lesson's room lives as long as the lesson.
    if (ZRKRoomStateProxy* room = localRoom())
        if (ZRKGameData* data = ZRKGameData::getSingletonPtr())
            data->dropRoomState(room->getRoomName());
}

void BattleRoomNewbie::fillRegistries()
{
    mTasks.clear();
    mConds.clear();
    TutorialParts::fill(this, mTasks, mConds);
    if (mAis.find("ai0") == mAis.end())
        mAis["ai0"] = TutorialParts::makeOpponent();
}

// --- entry --------------------------------------------------------------------------------------

void BattleRoomNewbie::onEnterRoom(const std::string& room, int, const std::string& params)
{
    if (!ZRKRoomRequest::getRoomState(room, true, true)) {
        writeLog(kLogWarning, kChannel, "no local room: the lesson does not start");
        return;
    }
    core::QueryString query(params.size() > kMaxParamText ? std::string() : params);
    mLesson = readLesson(query.get("adv"));
    if (mLesson < 0)
        writeLog(kLogWarning, kChannel,
                 "lesson \"" + query.get("adv").substr(0, 16) + "\" is not 0 to 4: no step is played");
    std::string prev = query.get("prev");
    core::Engine* engine = core::Engine::getSingletonPtr();
    core::ClientStateMachine* machine = engine ? engine->getClientStateMachine() : nullptr;
    // Back only to a state that exists and is no battle.
    if (!prev.empty() &&
        (!machine || !machine->getState(prev) || prev == core::ClientStateTable::kBattle || prev == getName())) {
        writeLog(kLogWarning, kChannel, "return state \"" + prev.substr(0, 32) + "\" is not known: back to the lobby");
        prev.clear();
    }
    returnState() = prev;
    ammoBag() = 1;
    mFacingEnabled = true;
    escapeEnabled() = mLesson != 0;
    savedAmmoBag() = ZRKUserRequest::getCa_id();
    ZRKUserRequest::setCa_id(ammoBag());
    if (mLesson != 0) {
        if (gui::IBattlePanel* panel = getBattleScreen())
            panel->setNewbieLock(false);
        mJumpTarget = mLesson < 0 ? TutorialStep::kCount : mLesson * TutorialStep::kLessonRows;
    }
    if (EquipRes* equip = EquipRes::getSingletonPtr())
        equip->setEquipmentList(std::map<std::string, std::string>());
    ZRKSession* session = GameServices::session();
    std::weak_ptr<void> alive = getLife();
    ZRKUserRequest::queryUserDefState(session ? session->getUID() : std::string(),
                                      [this, alive](bool error, const std::string& reply) {
                                          if (!alive.expired())
                                              createNewbieAvatar(error, reply);
                                      });
}

void BattleRoomNewbie::createNewbieAvatar(bool error, const std::string& reply)
{
    if (error) {
        writeLog(kLogTrace, kChannel, reply);
        finishLesson(false);
        return;
    }
    ZRKSession* session = GameServices::session();
    const std::string uid = session ? session->getUID() : std::string();
    const core::XmlConfigHelper def = ZRKUserRequest::getUserDefState();
    const core::XmlConfigHelper settings = ZRKUserRequest::getUserSetting(uid);
    const std::string sex = ZRKRoleRes::lookOf(settings.getIntVal("c_id", 0));
    ZRKRoleRes* roles = ZRKRoleRes::getSingletonPtr();
    const auto part = [&](const char* kind, int index) {
        return roles ? roles->getPart(sex, kind, index) : std::string();
    };
    core::XmlConfigHelper look;
    look.setStringVal("def_sex", sex);
    for (const char* kind : {"hair", "face", "shoes", "coat", "glove"})
        look.setStringVal(std::string("def_") + kind, part(kind, def.getIntVal(std::string("def_") + kind, 0)));
    look.setStringVal("def_animation", part("animation", 0));
    if (EquipRes* equip = EquipRes::getSingletonPtr())
        equip->setDefState(look);
    setupLocalRoom();
    createLand();
}

void BattleRoomNewbie::setupLocalRoom()
{
    ZRKRoomStateProxy* room = localRoom();
    ZRKSession* session = GameServices::session();
    if (!room || !session)
        return;
    const std::string id = session->getUID();
    mSeriateNumber = 255;
    mSeats.assign(ZRKRoomState::kSlotCount, std::string());
    mSeats[4] = id;
    room->seriate(mSeriateNumber, mSeats);
    if (boost::shared_ptr<ZRKPlayerState> self = room->findPlayer(id))
        self->getBattleState().setIntVal("status", kStatusSeated);
    room->firePlayerStateSignal(id, 0x10);
    core::XmlConfigHelper& params = room->params();
    params.setIntVal("mode", ROOM_MODE_PRACTICE);
    params.setStringVal("title", ZRKLan::getMsg("msg/guide_title"));
    params.setStringVal("password", "");
    params.setStringVal("moderator", id);
    params.setStringVal("place", std::to_string(1000 + std::max(0, mLesson)));
    params.setIntVal("mebMax", 8);
    params.setBoolVal("wind", mLesson == 3);
    room->fireParamSignal(true, true);
    float wind[3] = {0.0f, 0.0f, 0.0f};
    if (params.getBoolVal("wind", false)) {
        core::RandomNumber& rng = getRandom();
        float x = rng.uniform() - 0.5f, z = rng.uniform() - 0.5f;
        float length = std::sqrt(x * x + z * z);
        if (length < 1e-6f) {
            x = 1.0f; // no direction to speak of: along x
            z = 0.0f;
            length = 1.0f;
        }
        const float strength = 4.0f + rng.uniform() * (8.0f - 4.0f);
        wind[0] = x / length * strength;
        wind[2] = z / length * strength;
    }
    core::XmlConfigHelper state;
    state.setIntVal("state", 1);
    state.setIntVal("spawn", 0);
    state.setStringVal("wind", core::formatVector3(wind));
    room->changeRoomState(state);
    ZRKRoomRequest::notifyAvatar("", -1);
}

// --- load states and events -------------------------------------------------------------------

void BattleRoomNewbie::registerEventHandlers()
{
    BattleRoom::registerEventHandlers();
    if (landHandler())
        if (core::EventManager* events = core::EventManager::getSingletonPtr())
            events->addEventHandler(kLandEventReady, landHandler());
}

void BattleRoomNewbie::unregisterEventHandlers()
{
    if (landHandler())
        if (core::EventManager* events = core::EventManager::getSingletonPtr())
            events->removeEventHandler(kLandEventReady, landHandler());
    BattleRoom::unregisterEventHandlers();
}

bool BattleRoomNewbie::filterLandEvent(core::Event& event)
{
    if (event.getType() != kLandEventReady)
        return false;
    ZRKRoomStateProxy* room = localRoom();
    if (!room || !ZRKRoomRequest::getRoomState("", false, false)) {
        onLandLoadState(2, LOAD_FAILED);
        return true;
    }
    ZRKSession* session = GameServices::session();
    const std::string id = session ? session->getUID() : std::string();
    if (boost::shared_ptr<ZRKPlayerState> self = room->findPlayer(id))
        self->getBattleState().setIntVal("status", BATTLE_FIGHTING);
    room->firePlayerStateSignal(id, 0x10);
    core::XmlConfigHelper state;
    state.setIntVal("state", 2);
    room->changeRoomState(state);
    return true;
}

void BattleRoomNewbie::onLandLoadState(int land, int state)
{
    ZRKLand* l = getLand();
    if (state == LOAD_LOADOUT) {
        if (l) {
            for (const char* look :
                 {"suite_yiliao03_G", "suite_yiliao03_G_face", "suite_lumvar3", "suite_lumvar3_face"})
                l->_preloadPID(look);
            l->_preloadWeapon("100");
            if (mLesson > 0)
                for (const char* look : {"TUT_NPC_A01", "TUT_NPC_A02", "TUT_NPC1", "TUT_NPC2", "TUT_NPC3"})
                    l->_preloadPID(look);
            if (mLesson > 2)
                l->_preloadWeapon("1");
        }
        weaponSet().clear();
        if (mLesson == 0)
            specialDuplicate() = true;
        else {
            weaponSet().emplace_back("100", 0);
            if (mLesson > 2 && mLesson != 4)
                weaponSet().emplace_back("1", 0);
            if (ZRKPlayerSim* me = l ? l->getMyDoll() : nullptr)
                me->buildPropBag();
        }
        BattleRoom::onLandLoadState(land, state);
        // The lent weapons come with no shells counted: a rookie told to shoot could not.
        refillLentWeapons();
        return;
    }
    if (state == LOAD_LOADED) {
        BattleRoom::onLandLoadState(land, state);
        if (core::EventManager* events = core::EventManager::getSingletonPtr())
            events->post(boost::make_shared<ZRKLand::LandAnyEvent>(kLandEventReady));
        return;
    }
    if (state == LOAD_FAILED) {
        writeLog(kLogError, kChannel, "the lesson's land did not load");
        finishLesson(false);
        return;
    }
    BattleRoom::onLandLoadState(land, state);
    if (l)
        l->setComboHide(true);
    if (state != LOAD_READY)
        return;
    if (ZRKPlayerSim* me = l ? l->getMyDoll() : nullptr) {
        me->setImmune(0x10); // the lesson cannot be lost
        me->getBattle().fury = me->getBattle().xfury / 2 + 10;
        for (SkillState& skill : me->getSkillStates()) {
            skill.enabled = false;
            skill.state = 0;
            skill.start = -1.0f;
        }
    }
    nextStep();
}

// --- the step runner ----------------------------------------------------------------------------

const TutorialStep* BattleRoomNewbie::currentStep() const
{
    const TutorialStep* step = TutorialStep::at(mStepIndex);
    return step && step->flags != -1 ? step : nullptr;
}

bool BattleRoomNewbie::isStepCurrent() const { return currentStep() != nullptr; }

void BattleRoomNewbie::applyStepFlags(int flags)
{
    ZRKLand* land = getLand();
    ZRKPlayerSim* doll = land ? land->getMyDoll() : nullptr;
    if (!doll)
        return; // without an own doll there is nothing to switch
    doll->setEnergyConsumeFactor((flags & STEP_ENERGY3) ? 3.0f : (flags & STEP_ENERGY) ? 1.0f : 0.001f);
    if (flags & STEP_FOCUS)
        land->_cameraModeFocus();
    else
        land->_cameraAttachPlayer();
    core::PlayerController& controller = doll->getController();
    if (!(flags & STEP_FROZEN)) {
        if (!controller.isEnabled())
            controller.enable(true);
    } else if (controller.isEnabled()) {
        controller.enable(false);
        doll->freeze();
        doll->wait();
    }
    if (flags & STEP_KEEP_TURN)
        doll->setFlag(SIM_TUTOR_B);
    else
        doll->resetFlag(SIM_TUTOR_B);
    if (flags & STEP_MAY_FIRE)
        doll->setFlag(SIM_TUTOR_A);
    else
        doll->resetFlag(SIM_TUTOR_A);
    if (flags & STEP_MOUSE) {
        releaseCursorForGuide();
        controller.enable(false);
        doll->freeze();
        doll->wait();
    } else if (flags & STEP_CLICK) {
        // The trainer talks: the pointer is the player's to click on with, and no move of the
        // mouse turns the view away meanwhile.
        releaseCursorForGuide();
    } else if (!mMouseFree) {
        resumeInput(); // the mouse steers the view again
    }
}

bool BattleRoomNewbie::enterStep()
{
    const TutorialStep* step = currentStep();
    if (!step)
        return false;
    ++mStepsEntered;
    mShotGuide->reset();
    applyStepFlags(step->flags);
    mStepStartTime = now();
    mKeysHeldAtStep.clear();
    if (const core::KeyInput* keys = core::KeyInput::getSingletonPtr())
        for (int scan = 1; scan < 256; ++scan)
            if (keys->isKeyDown(scan))
                mKeysHeldAtStep.insert(scan);
    if (step->flags & STEP_TIMED)
        mStepDeadline = mStepStartTime + step->duration;
    if (TutorialCond* cond = findCond(step->enterCond))
        cond->apply(text(step->enterArgs));
    if (TutorialTask* task = findTask(step->task))
        task->start(text(step->taskArgs));
    return true;
}

void BattleRoomNewbie::leaveStep()
{
    if (const TutorialStep* step = TutorialStep::at(mStepIndex)) {
        if (TutorialTask* task = findTask(step->task))
            task->stop();
        if (TutorialCond* cond = findCond(step->leaveCond))
            cond->apply(text(step->leaveArgs));
        if (step->flags != -1 && (step->flags & STEP_COMPLETE))
            showStepComplete();
    }
    mStepLeaveTime = now();
    mStepDeadline = -1.0f;
}

void BattleRoomNewbie::showStepComplete()
{
    ZRKLand* land = getLand();
    ZRKPlayerSim* doll = land ? land->getMyDoll() : nullptr;
    if (!doll)
        return;
    const yake::math::Vector3& p = doll->getPosition();
    ++mStepCompleteCount;
    addSceneEffect("", "role_complete", 2.0f, Ogre::Quaternion::IDENTITY, Ogre::Vector3::UNIT_SCALE,
                   Ogre::Vector3(p.x, p.y, p.z));
}

void BattleRoomNewbie::nextStep()
{
    leaveStep();
    mStepIndex = mStepIndex < 0 ? mJumpTarget : mStepIndex + 1;
    if (enterStep()) {
        if (gui::IGuideView* guide = getGuide())
            guide->showStep(mStepIndex + 1);
        activatePlayFrame();
        return;
    }
    finishLesson(mLesson >= 0 && mLesson <= 4);
}

void BattleRoomNewbie::finishLesson(bool report)
{
    mStepIndex = -1;
    mStepDone = false;
    if (gui::IGuideView* guide = getGuide())
        guide->showStep(0);
    if (report) {
        ZRKSession* session = GameServices::session();
        const int pcId = ZRKUserRequest::getUserInfo(session ? session->getUID() : std::string()).getIntVal("pc_id", 0);
        ZRKTaskRequest::updateNewbieTask(mLesson + 1, pcId, ZRKReply());
        ++mLessonsReported;
    }
    removeGivenWeapons();
    if (returnState().empty() || returnState() == core::ClientStateTable::kArea) {
        if (ZRKSession* session = GameServices::session())
            session->teleport("", core::ClientStateTable::kArea, "");
        if (BackgroundScene* background = BackgroundScene::getSingletonPtr())
            background->setIdleAction([]() { BattleRoom::raiseLeaveEvent(); });
    } else
        leaveBattle();
}

void BattleRoomNewbie::updateStep()
{
    const TutorialStep* step = currentStep();
    if (!step)
        return;
    if (mStepDeadline > 0.0f && mStepDeadline < now()) {
        setStepDone();
        return;
    }
    if (TutorialTask* task = findTask(step->task))
        task->update();
}

void BattleRoomNewbie::refillLentWeapons()
{
    ZRKLand* land = getLand();
    ZRKPlayerSim* me = land && mLesson > 0 ? land->getMyDoll() : nullptr;
    WeaponBag* bag = me ? me->getWeaponBag() : nullptr;
    if (!bag)
        return;
    for (WeaponState& weapon : bag->getSlots())
        if (!weapon.empty() && weapon.limited && weapon.getCount() <= 0)
            weapon.setCount(weapon.shellMax);
}

void BattleRoomNewbie::onFrame(float dt)
{
    forgetReleasedKeys();
    // A rookie who misses till the lent weapon is empty still has a shot at the target.
    if (isStepCurrent())
        refillLentWeapons();
    updateStep();
    if (mStepDone) {
        mStepDone = false;
        // A stray "done" (the quiz's) neither starts a lesson early nor ends one twice.
        if (isStepCurrent())
            nextStep();
    }
    BattleRoom::onFrame(dt);
    mShotGuide->afterFrame();
    updateQuestion();
}

namespace {
/// A box of the main frame is open (the quit question): its buttons want the mouse.
bool frameBoxOpen()
{
    core::Frame* frame = GameServices::frame();
    return frame && frame->getOpenMessageBox();
}
} // namespace

void BattleRoomNewbie::updateQuestion()
{
    gui::IGuideView* guide = getGuide();
    const bool asking = guide && guide->isAsking() && isStepCurrent();
    const bool mouseFree = asking || frameBoxOpen();
    ZRKLand* land = getLand();
    ZRKPlayerSim* doll = land ? land->getMyDoll() : nullptr;
    CEGUI::Window* bubbles = hudWindow(ZRKBubblePanel::kContainer);
    if (mouseFree != mMouseFree) {
        mMouseFree = mouseFree;
        // The answers are clicked where they stand; afterwards the mouse steers again.
        if (mouseFree)
            releaseCursorForGuide();
        else if (const TutorialStep* step = currentStep())
            if (!(step->flags & (STEP_MOUSE | STEP_CLICK)))
                resumeInput();
    }
    if (asking != mAsking) {
        mAsking = asking;
        if (asking) {
            // The figure waits for the answer.
            if (doll) {
                doll->getController().enable(false);
                doll->freeze();
                doll->wait();
            }
        } else {
            if (bubbles)
                bubbles->show();
            if (mSightHidden)
                showSight(true);
            mSightHidden = false;
            if (const TutorialStep* step = currentStep())
                applyStepFlags(step->flags);
        }
    }
    if (!mAsking)
        return;
    // Nothing of the battle is drawn over the question (the battle shows them again each turn).
    if (ZRKSightingPanel* sight = getSightingPanel())
        if (sight->isVisible()) {
            showSight(false);
            mSightHidden = true;
        }
    if (bubbles && bubbles->isVisible())
        bubbles->hide();
    if (doll && doll->isMoving())
        doll->freeze();
}

TutorialTask* BattleRoomNewbie::findTask(const char* keyword) const
{
    if (!keyword || !*keyword)
        return nullptr;
    auto it = mTasks.find(keyword);
    return it == mTasks.end() ? nullptr : it->second.get();
}

TutorialCond* BattleRoomNewbie::findCond(const char* keyword) const
{
    if (!keyword || !*keyword)
        return nullptr;
    auto it = mConds.find(keyword);
    return it == mConds.end() ? nullptr : it->second.get();
}

boost::shared_ptr<ZRKPlayerAI> BattleRoomNewbie::findAI(const char* keyword) const
{
    auto it = keyword ? mAis.find(keyword) : mAis.end();
    return it == mAis.end() ? boost::shared_ptr<ZRKPlayerAI>() : it->second;
}

// --- input --------------------------------------------------------------------------------------

bool BattleRoomNewbie::onKeyDown(const CEGUI::KeyEventArgs& args)
{
    const bool enter = args.scancode == CEGUI::Key::Return || args.scancode == CEGUI::Key::NumpadEnter;
    if (mAsking || frameBoxOpen())
        return false; // only the right answer (or the box's) goes on
    if (mChatMode) {
        if (enter)
            if (CEGUI::Window* edit = hudWindow("BattleChat/edit"))
                if (!edit->getText().empty())
                    mChatDone = true;
        return false;
    }
    // Escape asks whether to leave the lesson (or, in the first, does nothing): it is no
    // answer to the trainer, so no step goes on and the guide does not shake.
    if (args.scancode == CEGUI::Key::Escape)
        return false;
    if (const TutorialStep* step = currentStep()) {
        forgetReleasedKeys();
        const int scan = static_cast<int>(args.scancode);
        const core::KeyInput* keys = core::KeyInput::getSingletonPtr();
        if (step->flags & STEP_CLICK) {
            // A key still held from the step before repeats: that is no press to go on with.
            if (now() - mStepStartTime > kClickGate && !mKeysHeldAtStep.count(scan))
                nextStep();
        } else if (!(keys && keys->isKeyDown(scan))) {
            // The figure's own keys (walking, turning, jumping, firing) are what the step asks
            // for; any other key is a player who has not understood: the guide shakes.
            if (gui::IGuideView* guide = getGuide())
                guide->nudge();
        }
    }
    return enter;
}

void BattleRoomNewbie::forgetReleasedKeys()
{
    const core::KeyInput* keys = core::KeyInput::getSingletonPtr();
    for (auto it = mKeysHeldAtStep.begin(); it != mKeysHeldAtStep.end();)
        it = keys && keys->isKeyDown(*it) ? std::next(it) : mKeysHeldAtStep.erase(it);
}

bool BattleRoomNewbie::onMouseDown(const CEGUI::EventArgs&)
{
    const TutorialStep* step = currentStep();
    if (!step || mAsking || frameBoxOpen())
        return false;
    if (step->flags & STEP_CLICK) {
        if (now() - mStepStartTime > kClickGate) {
            nextStep();
            return true;
        }
    } else if (gui::IGuideView* guide = getGuide())
        guide->nudge();
    return false;
}

// --- what tasks and conditions use --------------------------------------------------------------

std::string BattleRoomNewbie::seatName(int index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < mSeats.size() ? mSeats[static_cast<std::size_t>(index)]
                                                                         : std::string();
}

void BattleRoomNewbie::showGuideHint(const std::string& kind, int id)
{
    if (gui::IGuideView* guide = getGuide())
        guide->showHint(kind, id);
}

float BattleRoomNewbie::getHudCeiling() const
{
    gui::IGuideView* guide = getGuide();
    CEGUI::Window* box = guide && guide->getShownStep() > 0 ? hudWindow(kGuideBox) : nullptr;
    CEGUI::Window* root = box ? box->getRootWindow() : nullptr;
    if (!box || !box->isEffectiveVisible() || !root || root->getPixelSize().d_height <= 0.0f)
        return 0.0f;
    const float bottom = box->getUnclippedOuterRect().get().bottom() / root->getPixelSize().d_height;
    return std::isfinite(bottom) ? std::min(std::max(bottom, 0.0f), 0.9f) : 0.0f;
}

void BattleRoomNewbie::guideShot(const yake::math::Vector3& aim, const yake::math::Vector3& foot,
                                 const yake::math::Vector3& head, const ZRKBasicSim* target)
{
    mShotGuide->update(aim, foot, head, target);
}

void BattleRoomNewbie::faceEachOther(const std::string& id)
{
    ZRKLand* land = getLand();
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    ZRKPlayerSim* other = land && mFacingEnabled ? land->getDoll(id) : nullptr;
    if (!other)
        return;
    if (me) {
        me->lookAt(other->getPosition());
        me->yaw(-0.262f);
        other->lookAt(me->getPosition());
    }
}

std::string BattleRoomNewbie::createTutorialNpc(const std::string& args)
{
    ZRKRoomStateProxy* room = localRoom();
    ZRKLand* land = getLand();
    if (!room || mSeats.size() != static_cast<std::size_t>(ZRKRoomState::kSlotCount))
        return std::string();
    const std::vector<std::string> parts = TutorialParts::splitArgs(args);
    std::string name = ZRKLan::getMsg("msg/guide_npc1_name");
    std::string id = "__npc_tutor";
    const int team = parts.empty() ? 0 : yake::StringUtil::parseInt(parts[0]);
    const int first = team != 0 ? 0 : 4;
    int seat = -1;
    for (int s = first; s < first + 4 && seat < 0; ++s)
        if (mSeats[static_cast<std::size_t>(s)].empty())
            seat = s;
    if (seat < 0)
        return std::string();
    const std::string node = parts.size() > 1 ? parts[1] : std::string();
    std::vector<std::string> looks;
    if (parts.size() >= 4)
        looks.assign(parts.begin() + 3, parts.end());
    else
        looks = {"hairB-black", "clothB-blue", "shoe01-blue"};
    id += std::to_string(mNpcCounter);
    name += std::to_string(mNpcCounter);
    ++mNpcCounter;
    if (parts.size() >= 3) {
        gui::IGuiManager* gui = getGuiManager();
        boost::shared_ptr<gui::IGuideContent> content =
            gui ? gui->getGuideContent() : boost::shared_ptr<gui::IGuideContent>();
        if (content)
            name = content->getString("npc", yake::StringUtil::parseInt(parts[2]));
    }
    mSeats[static_cast<std::size_t>(seat)] = id;
    room->seriate(mSeriateNumber, mSeats);
    if (boost::shared_ptr<ZRKPlayerState> npc = room->findPlayer(id)) {
        core::XmlConfigHelper& battle = npc->getBattleState();
        battle.setIntVal("status", BATTLE_FIGHTING);
        const bool weak = team == 1;
        battle.setIntVal("xhp", weak ? 1 : 50);
        battle.setIntVal("hp", weak ? 1 : 50);
        battle.setIntVal("xsp", weak ? 1 : 1000);
        battle.setIntVal("sp", weak ? 1 : 1000);
        if (!weak)
            battle.setIntVal("fsp", 45);
        core::XmlConfigHelper settings = npc->getUserSettings();
        settings.setStringVal("pc_nickname", name);
        settings.setIntVal("pc_lv", 0);
        npc->getEquipments().clear();
        for (const std::string& look : looks)
            npc->getEquipments().push_back(core::Equipment(look));
    }
    room->firePlayerStateSignal(id, 0x17);
    ZRKPlayerSim* sim = land ? land->createLocal(id) : nullptr;
    if (!sim)
        return id;
    if (!node.empty()) {
        sim->setAltSpawnNode(node);
        land->spawnPlayerNode(id, node);
    }
    sim->setCountingAgonal(false);
    if (team == 0)
        sim->invincible(3, -1.0f);
    else
        sim->setFlag(SIM_PASSIVE);
    if (team == 1) {
        sim->setImmune(2);
        sim->setAngelPID("");
    }
    sim->activate();
    if (ZRKPlayerSim* me = land->getMyDoll())
        sim->lookAt(me->getPosition());
    return id;
}

} // namespace zrk
} // namespace kavri3D
