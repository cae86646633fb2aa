#include "battle/BattleEnd.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <core/Frame.h>
#include <data/ZRKGameData.h>
#include <data/ZRKJson.h>
#include <data/ZRKPlayerState.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKServer.h>
#include <gui/IBattlePanel.h>
#include <gui/IEventDispatcher.h>
#include <gui/EventId.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiManager.h>
#include <land/ZRKBattleState.h>
#include <land/ZRKLand.h>
#include <land/ZRKPlayerSim.h>
#include <lan/ZRKLan.h>
#include <yake/TextFormat.h>
#include <yake/Time.h>
#include "battle/BattleInput.h"
#include "battle/BattleLoading.h"
#include "battle/BattlePropsUsed.h"
#include "battle/EvtDollHandler.h"
#include "rooms/BackgroundScene.h"
#include "rooms/CeguiWidgets.h"
#include "rooms/EquipRes.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";
}

void BattleEnd::clear()
{
    mAwards.clear();
    mAwardSlots.clear();
    mHalfTimeStage = -1;
    mBattleOverShown = false;
}

void BattleEnd::closeBoxPanel()
{
    mBoxPanel = nullptr;
    mBoxPanelStart = mBoxPanelEnd = -1.0f;
    mSweepEnd = -1.0f;
}

void BattleEnd::updateBoxPanel()
{
    if (mBoxPanel)
        mBoxPanel->update(static_cast<float>(yake::native::getTime() - mBoxPanelOrigin));
}

void BattleEnd::onResult()
{
    mRoom.stopHints();
    mSweepEnd = -1.0f;
    // The battle is decided: no revive is offered any more.
    if (EvtDollHandler* doll = mRoom.getDollHandler())
        doll->closeRevivePanel();
    if (ZRKLand* land = mRoom.getLand()) {
        if (ZRKPlayerSim* me = land->getMyDoll())
            mRoom.showPromptScattered((me->getPlayerBattle().flags & BATTLE_WON) ? "end/win" : "end/lose", 5.0f);
        const float sweep = land->hasSweepState();
        if (sweep > 0.0f) {
            mSweepEnd = yake::native::getTime() + sweep;
            mRoom.showFlash("sp_boss.swf", std::string(), 800, 600, nullptr, 3.5f);
        }
        // The result picture waits for the heads-up prompts; the doll stops tiring.
        if (ZRKPlayerSim* me = land->getMyDoll())
            me->setEnergyConsumeFactor(0.001f);
    }
    reportResult();
}

void BattleEnd::reportResult()
{
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    ZRKRoomState* room = mRoom.landRoomState();
    if (!me || !room || mResultReported)
        return; // without an own doll there is nothing of ours to report
    mResultReported = true;
    const int landWinner = land->getSummary().winner;
    boost::shared_ptr<ZRKPlayerState> self = room->findPlayer(land->getMyUID());
    const int myTeam = self ? self->getBattleState().getIntVal("team", 0) : 0;
    // The land numbers its sides its own way; the server knows the room's.
    const int winner = landWinner < 0 ? -1 : landWinner == me->getColour() ? myTeam : 1 - myTeam;
    // What the land counted of each fighter moves the quests on.
    Json::Value counted(Json::arrayValue);
    for (const GameSummary::Entry& e : land->getSummary().entries) {
        Json::Value& entry = counted.append(Json::Value(Json::objectValue));
        entry["uid"] = e.uid;
        entry["hits"] = e.hits;
        entry["kills"] = e.kills;
    }
    // The props the player used up: the server takes them out of his bag.
    const Json::Value props = BattlePropsUsed::of(*me);
    const std::string name = mRoom.mRoomName;
    ZRKRequestBroker::call(
        "ZRKRoomRequest", "reportBattleOver",
        [name](bool error, const std::string& text) {
            if (error)
                writeLog(kLogWarning, kChannel,
                         "the server did not take the end of the battle in " + name + ": " + text);
        },
        name, winner, counted, props);
}

std::string BattleEnd::awardIcon(int type)
{
    static const char* const kIcons[] = {"", "block/coin1", "block/coin1", "block/coin1", "block/card1", "block/card1"};
    return type >= 0 && type <= 5 ? kIcons[type] : "";
}

BattleEnd::AwardBoxItem BattleEnd::fillAwardRecord(int id, int type, int num) const
{
    static const char* const kNames[] = {"msg/award_nothing", "msg/award_zaobi", "msg/award_dianjuan",
                                         "msg/award_guabi",   "msg/award_jifen", "msg/award_jingyan"};
    AwardBoxItem item;
    item.bi_id = id;
    item.bi_type = type;
    item.bi_num = num;
    item.counted = type != 6;
    if (type == 6) {
        ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
        item.name = server ? server->getItemLib()->find(std::to_string(id)).getStringVal("i_name", "") : std::string();
        auto known = mRoom.mItemTable.find(id);
        const Json::Value& icon =
            known == mRoom.mItemTable.end() ? Json::Value::nullSingleton() : ZRKJson::member(known->second, "icon");
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

std::vector<BattleEnd::AwardBoxItem> BattleEnd::mergeAwards(const Json::Value& awards) const
{
    std::map<int, AwardBoxItem> counted, items;
    const auto add = [&](const Json::Value& a) {
        if (!a.isObject())
            return;
        const int type = BattleRoom::wholeNumber(a, "bi_type");
        const int id = BattleRoom::wholeNumber(a, "bi_id");
        const int num = BattleRoom::wholeNumber(a, "bi_num");
        std::map<int, AwardBoxItem>& into = type == 6 ? items : counted;
        const int key = type == 6 ? id : type;
        auto it = into.find(key);
        if (it == into.end())
            into.emplace(key, fillAwardRecord(id, type, num));
        else
            // Summed wide and held to the record's range: many big awards never wrap around.
            it->second.bi_num = static_cast<int>(std::max<long long>(
                INT32_MIN, std::min<long long>(INT32_MAX, static_cast<long long>(it->second.bi_num) + num)));
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

void BattleEnd::readAwards()
{
    ZRKLand* land = mRoom.getLand();
    ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
    ZRKRoomState* room = mRoom.landRoomState();
    boost::shared_ptr<ZRKPlayerState> self =
        me && room ? room->findPlayer(me->getId()) : boost::shared_ptr<ZRKPlayerState>();
    if (!self) {
        mAwards.clear(); // no own doll: no awards
        return;
    }
    mAwards = mergeAwards(ZRKJson::member(ZRKJson::fromView(self->getBattleState()), "award"));
}

void BattleEnd::onBattleOver()
{
    mRoom.resumeIfSuspendClosed();
    // The pointer is the player's again: the result and the box screens take his clicks, and
    // no capture pulls it back to the window's middle.
    mRoom.mInput->releaseCursor();
    mRoom.closeBattleHud();
    // The head bubbles stop following their figures at the end: none is left over the result
    // and the box screens.
    mRoom.destroyBubbles();
    mRoom.mLoading->playMusic("music_bg2.mp3");
    mRoom.mOverTimer = -1;
    ZRKRoomState* room = mRoom.landRoomState();
    const int stage = room ? room->getState().getIntVal("ds_next", 0) : 0;
    BattleRoom* battle = &mRoom;
    if (stage >= 0 && stage < 3)
        mRoom.setTimer(mRoom.mHalfTimeTimer, BattleRoom::kHalfTimeDelayMs,
                       [battle, stage]() { battle->onHalfTime(stage); });
    readAwards();
    mBattleOverShown = true;
    showBattleOver();
    if (gui::IGuiManager* gui = mRoom.getGuiManager()) {
        if (gui::IEventDispatcher* events = gui->getEventDispatcher()) {
            events->raise(gui::EventId::PlayerAttrRefresh);
            events->raise(gui::EventId::PropShopLoad);
        }
    }
    if (ZRKLand* land = mRoom.getLand())
        land->createPodium();
}

void BattleEnd::showBattleOver()
{
    gui::IGuiManager* gui = mRoom.getGuiManager();
    auto* view = gui ? static_cast<gui::IBattleOver*>(gui->getBattleOverView()) : nullptr;
    ZRKLand* land = mRoom.getLand();
    if (!view || !land) {
        writeLog(kLogWarning, kChannel, "no GUI manager or result view: the result screen is not shown");
        return;
    }
    const GameSummary& summary = land->getSummary();
    ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
    const bool arena = server && server->isArenaZone();
    std::vector<gui::IBattleOver::PlayerRecord> players;
    for (const auto& entry : land->getAllDoll()) {
        const ZRKPlayerSim& doll = *entry.second;
        gui::IBattleOver::PlayerRecord r;
        r.team = doll.getColour() != 0;
        r.nickname = doll.getState() ? doll.getState()->getUserSettings().getStringVal("pc_nickname", doll.getId())
                                     : doll.getId();
        const ZRKBattleState& battle = doll.getBattle();
        r.hp = battle.xhp > 0
                   ? std::max(0.0f, std::min(1.0f, static_cast<float>(battle.hp) / static_cast<float>(battle.xhp)))
                   : 0.0f;
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
        r.me = doll.getId() == land->getMyUID();
        players.push_back(r);
    }
    const int tactic = land->getTacticId() + (arena ? 100 : 0);
    view->setResult(players, tactic, mAwards);
    view->setSummary(summary.winner);
    // A victory the other side handed over by leaving says so.
    view->setNote(summary.othersLeft ? ZRKLan::getMsg("msg/bf_win_left") : std::string());
}

void BattleEnd::onHalfTime(int stage)
{
    mRoom.mHalfTimeTimer = -1;
    gui::IGuiManager* gui = mRoom.getGuiManager();
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
    if (stage == 1) {
        // The half time takes the result's place: nothing of the stage won stays behind it,
        // nor comes back with a later award.
        if (auto* view = static_cast<gui::IBattleOver*>(gui->getBattleOverView()))
            view->close();
        mBattleOverShown = false;
        tellStages(*gui);
    }
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
        ZRKLand* land = mRoom.getLand();
        ZRKPlayerSim* me = land ? land->getMyDoll() : nullptr;
        if (me && (me->getPlayerBattle().count < 1 || (me->getPlayerBattle().flags & 0x8) != 0))
            if (gui::IEventDispatcher* events = gui->getEventDispatcher())
                events->raise(gui::EventId::BoxesSpent);
    }
}

void BattleEnd::tellStages(gui::IGuiManager& gui)
{
    gui::IHalfTimeView* view = gui.getHalfTimeView();
    ZRKRoomState* room = mRoom.landRoomState();
    if (!view || !room)
        return;
    const core::XmlConfigHelper params = room->getParams();
    const int won = std::max(1, params.getIntVal("ds_id", 1)); // 0 is the first stage
    ZRKServer* server = ZRKGameData::part(&ZRKGameData::server);
    const std::string mission =
        server ? server->getDuplicateLib()->find(std::to_string(params.getIntVal("d_id", -1))).getStringVal("name", "")
               : std::string();
    view->setStages(yake::TextFormat::format(ZRKLan::getMsg("msg/pve_stage_won"), {std::to_string(won), mission}),
                    yake::TextFormat::format(ZRKLan::getMsg("msg/pve_stage_next"), {std::to_string(won + 1), mission}));
}

void BattleEnd::fillBoxList()
{
    ZRKRoomState* room = mRoom.landRoomState();
    if (room)
        fillBoxList(room->getBoxes());
}

void BattleEnd::fillBoxList(const std::list<core::XmlConfigHelper>& boxes)
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

void BattleEnd::buildAwardSlots()
{
    ZRKRoomState* room = mRoom.landRoomState();
    if (!room)
        return;
    ZRKLand* land = mRoom.getLand();
    const std::string me = land && land->getMyDoll() ? land->getMyDoll()->getId() : std::string();
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
                    box.index = BattleRoom::wholeNumber(a, "bi_index") - 1;
                    box.award =
                        fillAwardRecord(BattleRoom::wholeNumber(a, "bi_id"), BattleRoom::wholeNumber(a, "bi_type"),
                                        BattleRoom::wholeNumber(a, "bi_num"));
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

void BattleEnd::onPlayerStateChanged()
{
    buildAwardSlots();
    if (!mBattleOverShown)
        return;
    readAwards(); // awards told after the result screen came up
    showBattleOver();
}

} // namespace zrk
} // namespace kavri3D
