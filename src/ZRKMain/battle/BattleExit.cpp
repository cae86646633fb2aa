#include "battle/BattleExit.h"

#include <core/ClientStateTable.h>
#include <data/ZRKGameData.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKServer.h>
#include <data/ZRKSession.h>
#include <gui/IEventDispatcher.h>
#include <gui/EventId.h>
#include <gui/IBattlePanel.h>
#include <gui/IGuiAnimator.h>
#include <gui/IGuiManager.h>
#include "battle/BattleRoom.h"
#include "rooms/BackgroundScene.h"
#include "rooms/PersonalRoom.h"
#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
const char* const kChannel = "room";
}

void BattleExit::leave()
{
    const std::string state = mRoom.mReturnState;
    const std::string battleRoom = mRoom.mRoomName;
    ZRKSession* session = ZRKSession::getSingletonPtr();
    std::string arena;
    if (session && session->hasAttr("_arena")) {
        arena = session->getAttrAs<std::string>("_arena", std::string());
        session->eraseAttr("_arena");
    }
    if (gui::IGuiManager* gui = mRoom.getGuiManager())
        if (auto* dolls = static_cast<gui::IDollView*>(gui->getDollView()))
            dolls->close();
    mRoom.destroyScene();
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

void BattleExit::raiseLeaveEvent()
{
    gui::IGuiManager* gui = GameServices::guiManager();
    if (gui::IEventDispatcher* events = gui ? gui->getEventDispatcher() : nullptr)
        events->raise(gui::EventId::BattleLeft);
    else
        writeLog(kLogWarning, kChannel, "no GUI manager: the lobby is not told the battle was left");
}

} // namespace zrk
} // namespace kavri3D
