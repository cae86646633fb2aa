#pragma once
// "hero" logged in to the embedded server with his inventory and libraries, the GUI plug-in
// loaded, and a bot battle to enter; time, timers, events and the land stepped by the test.
#include <gtest/gtest.h>
#include <core/EventManager.h>
#include <core/TimerManager.h>
#include <core/Updatable.h>
#include <server/ZRKGameServer.h>
#include <server/ZRKServerCore.h>
#include <server/ZRKWorld.h>
#include <data/ZRKJson.h>
#include <data/ZRKRequestBroker.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKRoomState.h>
#include <data/ZRKServer.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <gui/IGuiManager.h>
#include <land/ZRKLand.h>
#include <list>
#include <memory>
#include <set>
#include <tuple>
#include <yake/Time.h>

#include "battle/BattleRoom.h"
#include "shell/GuideContent.h"
#include "shell/ZRKGuiLoader.h"
#include "support/FramePump.h"
#include "support/TestEnv.h"

namespace zrktest {

using namespace kavri3D;
using namespace kavri3D::zrk;

typedef std::set<std::tuple<std::string, int, std::string>> BagContents; // item id, slot, local id

inline BagContents bag(int number)
{
    std::list<core::XmlConfigHelper> items;
    ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), number, items);
    BagContents out;
    for (const core::XmlConfigHelper& i : items)
        if (i.getIntVal("i_id", 0) != 0 ||
            i.getStringVal("i_id", "") != "0") // the props bag's empty slots are no items
            out.emplace(i.getStringVal("i_id", ""), i.getIntVal("pci_slot", -1), i.getStringVal("lid", ""));
    return out;
}

/// How many of the item the world holds in the player's bag (its stacks counted together).
inline long long heldInWorld(ZRKServerCore& server, const std::string& player, int bag, long long id)
{
    long long n = 0;
    for (const ZRKWorld::Item& i : server.world().items(player))
        n += i.bag == bag && i.id == id ? i.count : 0;
    return n;
}

/// How many of the item the client's bag shows (its stacks counted together).
inline long long heldInClientBag(int bag, long long id)
{
    std::list<core::XmlConfigHelper> items;
    ZRKUserRequest::getBagItems(ZRKUserRequest::getInventory(), bag, items);
    long long n = 0;
    for (const core::XmlConfigHelper& i : items)
        n += i.getIntVal("i_id", 0) == id ? i.getIntVal("pci_num", 1) : 0;
    return n;
}

/// The battle's end told to the server (side 0 won, nothing counted), naming `num` of the prop
/// as used up.
inline void tellEndWithPropsUsed(const std::string& room, const std::string& prop, int num,
                                 const ZRKReply& done = ZRKReply())
{
    Json::Value used(Json::arrayValue);
    used.append(Json::Value(Json::objectValue));
    used[0]["i_id"] = prop;
    used[0]["num"] = num;
    ZRKRequestBroker::call("ZRKRoomRequest", "reportBattleOver", done, room, 0, Json::Value(Json::arrayValue), used);
}

/// "hero" logged in with his inventory and the item and duplicate libraries, and a bot battle
/// started for him; time, timers, events and the land stepped by the test.
class BattleServerFixture : public ::testing::Test {
protected:
    BattleServerFixture()
    {
        yake::native::setManualClock(true);
        yake::native::setTime(50.0);
        ZRKServerConfig config;
        config.bots = 3;
        session.reset(new ZRKSession(ZRKGameServer::start(config)));
        session->login("hero", "hero123", [](core::ISession*, int) {});
        frames(2);
        ZRKServerRequest::queryItemClasses(ZRKReply());
        ZRKUserRequest::queryUserInventory(0, ZRKReply());
        ZRKServerRequest::getServer()->getDuplicateLib()->refresh();
        frames(2);
        // The GUI plug-in holds the weapon sets of the ammo bags, as in the game.
        loader.loadFrom((zrktest::binFolder() + "/libZRK_Gui.so").c_str());
        gui::IGuiManager* manager = nullptr;
        if (loader.createGuiManager(&manager) && manager) {
            boost::shared_ptr<GuideContent> content(new GuideContent);
            content->load();
            manager->setGuideContent(content);
        }
    }
    ~BattleServerFixture() override
    {
        room.reset();
        session.reset();
        core::TimerManager::instance().clear();
        yake::native::setManualClock(false);
    }
    /// One frame of `dt` seconds: the clock, the session, the timers, the land and its events.
    void frame(float dt = 0.05f)
    {
        yake::native::advanceTime(dt);
        session->update(dt);
        core::TimerManager::instance().update();
        updatables.update(dt);
        events.dispatch();
        if (room && room->hasScene())
            room->onFrame(dt);
    }
    void frames(int n, float dt = 0.05f) { pumpOf(dt).frames(n); }
    /// Frames of `dt` seconds until `done` holds, at most `limit`; a failure says what was waited for.
    FramePump::Waited until(const std::function<bool()>& done, int limit, float dt = 0.05f,
                            const std::string& what = std::string())
    {
        return pumpOf(dt).until(done, limit, what);
    }
    /// Enters the battle with the parameter text and runs it to the fight's start; `bots` of the
    /// server's players fight beside and against hero.
    void enterAndLoad(const std::string& params, const Json::Value& extraParams = Json::Value(), int bots = 1)
    {
        ASSERT_EQ(session->getGameServer()->core().startBotBattle("hero", bots, "1", 7), "battle_hero");
        frame();
        if (extraParams.isObject()) {
            ZRKRoomState* state = ZRKRoomRequest::getRoomState("battle_hero", false, false);
            ASSERT_NE(state, nullptr);
            Json::Value p = ZRKJson::fromView(state->getParams());
            for (const std::string& k : extraParams.getMemberNames())
                p[k] = extraParams[k];
            state->applyState(ZRKJson::fromView(state->getState()), p);
        }
        room.reset(new BattleRoom);
        room->onEnter(params);
        room->onEnterRoom("battle_hero", 0, params);
        room->onRoomReady("battle_hero");
        until([&] { return room->getLand() && room->getLand()->getLoadState() >= LOAD_READY; }, 200, 0.05f,
              "the land loaded");
        ASSERT_TRUE(room->getLand() && room->getLand()->getLoadState() >= LOAD_READY);
    }

    /// The frame loop, with frames of `dt` seconds.
    FramePump pumpOf(float dt)
    {
        return FramePump([this, dt] {
            frame(dt);
            return true;
        });
    }

    core::EventManager events;
    core::UpdatableManager updatables;
    ZRKGuiLoader loader;
    std::unique_ptr<ZRKSession> session;
    std::unique_ptr<BattleRoom> room;
};

} // namespace zrktest
