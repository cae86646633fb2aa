#include "battle/BattleRoom.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <core/GraphicsSystem.h>
#include <core/TimerManager.h>
#include <data/ZRKGameData.h>
#include <data/ZRKJson.h>
#include <data/ZRKPlayerState.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <gui/IEventDispatcher.h>
#include <gui/IGuiManager.h>
#include <gui/IGuideContent.h>
#include <land/LandScene.h>
#include <land/ZRKBattleState.h>
#include <land/ZRKLand.h>
#include <lan/ZRKLan.h>
#include <scene/GrafixScene.h>
#include <land/ZRKPlayerSim.h>
#include <transport/QueryString.h>
#include "battle/BattleLandRoom.h"
#include "battle/EvtLandHandler.h"
#include "rooms/BackgroundScene.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";
constexpr std::size_t kMaxParamText = 4096;
constexpr int kSetSize = 6;

/// A whole number as the room's values carry it: a number, or a text that is exactly one.
int wholeNumber(const Json::Value& record, const char* key)
{
    const Json::Value& v = ZRKJson::member(record, key);
    if (v.isInt())
        return v.asInt();
    const std::string text = v.isString() ? v.asString() : std::string();
    char* end = nullptr;
    const long n = text.empty() || text.size() > 11 ? 0 : std::strtol(text.c_str(), &end, 10);
    return end && *end == '\0' && n >= INT32_MIN && n <= INT32_MAX ? static_cast<int>(n) : 0;
}
} // namespace

BattleRoom::BattleRoom()
{
    mMainLightsEnabled = false;
    mPrefetchSuspended = true;
    setName("battle");
}

BattleRoom::~BattleRoom()
{
    *mAlive = false;
    resetBattle();
    unregisterEventHandlers();
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
            writeLog(3, kChannel, std::string("battle timer failed: ") + e.what());
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
    mSavedAmmoBag = -1;
    mAmmoBag = ZRKUserRequest::getCa_id();
    mWeaponSet.clear();
    mAwards.clear();
    mBattleOverShown = false;
    // The battle has the scene to itself: the lobby's backdrop comes back when it is left.
    if (BackgroundScene* background = BackgroundScene::instancePtr())
        if (background->isBuilt())
            background->destroyScene();
    registerEventHandlers();
}

void BattleRoom::destroyScene()
{
    resetBattle();
    unregisterEventHandlers();
    if (mSavedAmmoBag != -1)
        ZRKUserRequest::setCa_id(mSavedAmmoBag);
    mSavedAmmoBag = -1;
    if (hasScene())
        BasicRoom::destroyScene();
}

void BattleRoom::onEnterRoom(const std::string& room, int code, const std::string& params)
{
    if (params.size() > kMaxParamText) {
        writeLog(4, kChannel, "battle entry text of " + std::to_string(params.size()) + " characters ignored");
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
            writeLog(4, kChannel, "ammo bag \"" + bag.substr(0, 32) + "\" is not 1, 2 or 3: bag 3 is used");
        ZRKUserRequest::setCa_id(mAmmoBag);
        set = mAmmoBag == 1 ? "ca1" : mAmmoBag == 2 ? "ca2" : "ca3";
        gui::IGuiManager* gui = getGuiManager();
        boost::shared_ptr<gui::IGuideContent> content = gui ? gui->getGuideContent() : boost::shared_ptr<gui::IGuideContent>();
        if (!content)
            writeLog(4, kChannel, "no guide content: the weapon set " + set + " is not read");
        for (int i = 0; content && i < kSetSize; ++i) {
            const std::string id = content->getString(set, i);
            if (!id.empty())
                mWeaponSet.emplace_back(id, 0);
        }
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

void BattleRoom::createLand()
{
    mLandLoadConnection.disconnect();
    mPlayerStateConnection.disconnect();
    releaseLand(); // the old land goes before the new one is made
    mLand.reset(new ZRKLand(this));
    mLoadingStarted = false;
    mResultReported = false;
    setTimer(mLoadTimer, kLoadDelayMs, [this]() { startLoading(); });
    mParamsReceived = false;
    mRoomParamConnection.disconnect();
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    mRoomName = room ? room->getRoomName() : std::string();
    if (!room) {
        writeLog(4, kChannel, "the battle has no room: it waits in the loading screen");
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
        writeLog(4, kChannel, "loading asked for without a land");
        return;
    }
    mLoadingStarted = true;
    mLandLoadConnection.disconnect();
    std::weak_ptr<bool> alive = mAlive;
    mLandLoadConnection = mLand->subscribeToLoadSignal([this, alive](int a, int state) {
        if (!alive.expired())
            onLandLoadState(a, state);
    });
    ZRKRoomState* room = landRoomState();
    mSpecialDuplicate = room && room->getParams().getIntVal("d_id", -1) > 2000;
    mLand->useRoom(boost::shared_ptr<ILandRoom>(new BattleLandRoom(mRoomName)));
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
}

void BattleRoom::onLandLoadState(int, int state)
{
    switch (state) {
    case LOAD_LOADOUT:
        if (!mWeaponSet.empty() || mSpecialDuplicate)
            writeLog(4, kChannel, "the battle bags are not rearranged: every seat fights with the battle's own arms");
        break;
    case LOAD_READY:
        clearGuideText();
        if (gui::IGuiManager* gui = getGuiManager())
            gui->showPage("battle");
        activatePlayFrame();
        break;
    case LOAD_RESULT:
        mSweepEnd = -1.0f;
        if (mLand) {
            const float sweep = mLand->hasSweepState();
            if (sweep > 0.0f)
                mSweepEnd = mLand->getTimeNow() + sweep;
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
    const std::string name = mRoomName;
    ZRKRequestBroker::call("ZRKRoomRequest", "reportBattleOver", [name](bool error, const std::string& text) {
        if (error)
            writeLog(4, kChannel, "the server did not take the end of the battle in " + name + ": " + text);
    }, name, winner);
}

// --- guide text and simulator -----------------------------------------------------------------

void BattleRoom::setGuideText(const std::string& text, float seconds)
{
    mGuideText = text;
    mGuideDuration = std::isfinite(seconds) && seconds > 0.0f ? std::min(seconds, 600.0f) : 0.0f;
    mGuideWaiting = true;
    // There is no loading screen to wait for: loading is done as soon as the land says so.
    checkLoadingDone();
}

void BattleRoom::checkLoadingDone()
{
    if (mGuideWaiting && mLand && mLand->isLoaded()) {
        mGuideWaiting = false;
        showGuideText(mGuideText, mGuideDuration);
    }
}

void BattleRoom::showGuideText(const std::string&, float seconds)
{
    setTimer(mSimulatorTimer, static_cast<unsigned>(seconds * 1000.0f), [this]() { startSimulator(); });
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
        writeLog(4, kChannel, "the simulator cannot start without a land");
        return;
    }
    mLand->beginSimulator();
}

void BattleRoom::onFrame(float dt)
{
    BasicRoom::onFrame(dt);
    checkLoadingDone();
}

// --- the end ----------------------------------------------------------------------------------

BattleRoom::AwardBoxItem BattleRoom::fillAwardRecord(int id, int type, int num)
{
    static const char* const kNames[] = {"msg/award_nothing", "msg/award_zaobi", "msg/award_dianjuan",
                                         "msg/award_guabi", "msg/award_jifen", "msg/award_jingyan"};
    static const char* const kIcons[] = {"", "block/coin1", "block/coin1", "block/coin1", "block/card1", "block/card1"};
    AwardBoxItem item;
    item.bi_id = id;
    item.bi_type = type;
    item.bi_num = num;
    item.counted = type != 6;
    if (type >= 0 && type <= 5) {
        item.name = ZRKLan::getMsg(kNames[type]);
        item.icon = kIcons[type];
    } else {
        item.name = std::to_string(id); // items get their names from the item library
    }
    return item;
}

std::vector<BattleRoom::AwardBoxItem> BattleRoom::mergeAwards(const Json::Value& awards)
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
            it->second.bi_num += num;
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
    kill(mOverTimer);
    ZRKRoomState* room = landRoomState();
    const int stage = room ? room->getState().getIntVal("ds_next", 0) : 0;
    if (stage >= 0 && stage < 3)
        setTimer(mHalfTimeTimer, kHalfTimeDelayMs, [this, stage]() { onHalfTime(stage); });
    readAwards();
    mBattleOverShown = true;
    showBattleOver();
    if (gui::IGuiManager* gui = getGuiManager()) {
        if (gui::IEventDispatcher* events = gui->getEventDispatcher()) {
            events->raise(17);
            events->raise(103);
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
        writeLog(4, kChannel, "no GUI manager or result view: the result screen is not shown");
        return;
    }
    const GameSummary& summary = mLand->getSummary();
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
        }
        r.me = doll.getId() == mLand->getMyUID();
        players.push_back(r);
    }
    ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
    const int tactic = mLand->getTacticId() + (server && server->isArenaZone() ? 100 : 0);
    view->setResult(players, tactic, mAwards);
    view->setSummary(summary.winner);
}

void BattleRoom::closeBattleHud()
{
    mMessageBoxOpen = false;
    gui::IGuiManager* gui = getGuiManager();
    if (auto* view = gui ? static_cast<gui::IBattleOver*>(gui->getBattleOverView()) : nullptr)
        view->close();
}

void BattleRoom::onHalfTime(int stage)
{
    mHalfTimeTimer = -1;
    if (!getGuiManager())
        return;
    writeLog(4, kChannel, "half-time stage " + std::to_string(stage) + " has no box panel yet");
}

void BattleRoom::onPlayerStateChanged(const std::string&, int)
{
    if (!mBattleOverShown)
        return;
    readAwards(); // awards told after the result screen came up
    showBattleOver();
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
    destroyScene();
    if (BackgroundScene* background = BackgroundScene::instancePtr())
        background->refresh();
    if (!session) {
        writeLog(4, kChannel, "no session: the battle cannot be left");
        return;
    }
    ZRKRoomState* current = ZRKRoomRequest::getRoomState(std::string(), false, false);
    // The room to go back to; never the battle's own, which is left on the server too.
    const std::string back = current && current->getRoomName() != battleRoom ? current->getRoomName() : std::string();
    if (!battleRoom.empty() && ZRKRoomRequest::getRoomState(battleRoom, false, false))
        session->leave(battleRoom);
    if (state.empty() || state == "zrk_personalroom") {
        session->teleport(!arena.empty() ? arena : back, "zrk_personalroom", std::string());
    } else if (state == "room") {
        session->teleport(std::string(), "room", std::string());
    } else {
        writeLog(4, kChannel, "no fresh GUI manager for the player hall's panels: only the teleport is made");
        session->teleport(std::string(), state, std::string());
    }
}

void BattleRoom::resyncBattle()
{
    resetBattle();
    createLand();
}

void BattleRoom::resetBattle()
{
    clearGuideText();
    mGuideWaiting = false;
    closeBattleHud();
    mSweepEnd = -1.0f;
    mParamsReceived = false;
    mLoadingStarted = false;
    mLandLoadConnection.disconnect();
    mPlayerStateConnection.disconnect();
    mRoomParamConnection.disconnect();
    kill(mLoadTimer);
    kill(mSimulatorTimer);
    kill(mOverTimer);
    kill(mHalfTimeTimer);
    kill(mLeaveTimer);
    releaseLand();
}

void BattleRoom::releaseLand()
{
    mLandScene.reset(); // stops drawing before the land goes
    mLand.reset();
}

// --- event handlers ---------------------------------------------------------------------------

void BattleRoom::registerEventHandlers()
{
    core::EventManager* events = core::EventManager::getSingletonPtr();
    if (!events || mLandHandler)
        return;
    mLandHandler.reset(new EvtLandHandler(*this));
    for (int type = EvtLandHandler::kFirst; type <= EvtLandHandler::kLast; ++type)
        events->addEventHandler(type, mLandHandler);
}

void BattleRoom::unregisterEventHandlers()
{
    if (!mLandHandler)
        return;
    if (core::EventManager* events = core::EventManager::getSingletonPtr())
        events->removeEventHandler(mLandHandler);
    mLandHandler.reset();
}

void BattleRoom::installEventPreviews() {}

void BattleRoom::forwardGuiCall(int, const std::string&, const std::string&, const std::string&, bool) {}

void BattleRoom::forwardGuiCall2(int, int) {}

} // namespace zrk
} // namespace kavri3D
