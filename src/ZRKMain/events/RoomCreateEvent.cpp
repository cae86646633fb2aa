#include "events/RoomCreateEvent.h"

#include <cstdlib>
#include <core/ClientState.h>
#include <core/ClientStateTable.h>
#include <core/Frame.h>
#include <data/ZRKServer.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <lan/ZRKLan.h>
#include <util/MissionRule.h>
#include <util/XmlConfigHelper.h>

#include "services/GameServices.h"
#include "events/RoomFlow.h"
#include "events/RoomListenEvent.h"
#include "rooms/BackgroundScene.h"
#include "rooms/PersonalRoom.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {

std::string currentStateName()
{
    core::ClientState* state = GameServices::currentState();
    return state ? state->getName() : std::string();
}

void setRoomMode(int mode)
{
    if (PersonalRoom* personal = PersonalRoom::getSingletonPtr())
        personal->setRoomMode(mode);
}

/// The duplicate of a private mission: the one its number picks of the place's PVE list (none
/// sent when the list has no such entry).
void addDungeon(core::XmlConfigHelper& request, int formMode)
{
    ZRKServer* server = getZRKServer();
    if (!server)
        return;
    const int place = std::atoi(core::MissionRule::privatePlace(formMode).c_str());
    const MapConfig map = server->getMapLib()->getMap(place);
    const int index = core::MissionRule::privateDungeonIndex(formMode);
    if (index < 0 || static_cast<std::size_t>(index) >= map.pve.size()) {
        writeLog(kLogTrace, "RoomCreateEvent",
                 "the map " + std::to_string(place) + " has no dungeon " + std::to_string(index));
        return;
    }
    request.setIntVal("d_id", map.pve[static_cast<std::size_t>(index)]);
    request.setIntVal("ds_id", 0);
}

} // namespace

RoomCreateEvent::RoomCreateEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher)
{
}

RoomCreateEvent::~RoomCreateEvent()
{
    if (ZRKSession* session = GameServices::session())
        session->removeMsgRoomCallback(this);
}

int RoomCreateEvent::resultId() const
{
    ZRKServer* server = getZRKServer();
    return server && server->isArenaZone() ? gui::EventId::ArenaRoomCreate : gui::EventId::RoomCreate;
}

gui::ParamList* RoomCreateEvent::fillParams()
{
    clearParams();
    if (!mErrorText.empty()) {
        addString("room_error", mErrorText);
        return paramList();
    }
    ZRKServer* server = getZRKServer();
    const core::XmlConfigHelper room = server ? server->getCurrentRoom() : core::XmlConfigHelper();
    addInt("room_id", room.getIntVal("id", 0));
    addString("room_name", room.getStringVal("name", ""));
    addNode("mode", room.getIntVal("mode", 0), -1, gui::ParamNode::Integer);
    addNode("lmode", mRequestedMode, -1, gui::ParamNode::Integer);
    return paramList();
}

bool RoomCreateEvent::buildRequest(gui::ParamHandle params, int mode, core::XmlConfigHelper& request)
{
    std::string title, password, place;
    int max = 0;
    bool wind = false;
    if (!readParam("title", params, title) || !readParam("password", params, password) ||
        !readParam("place", params, place) || !readParam("mebMax", params, max) || !readParam("wind", params, wind))
        return false;
    setRoomMode(mode);
    request.setIntVal("mode", mode);
    request.setStringVal("title", title);
    request.setStringVal("password", password);
    mPassword = request.getStringVal("password", "");
    request.setStringVal("place", place);
    request.setIntVal("max", max);
    request.setBoolVal("wind", wind);
    return true;
}

void RoomCreateEvent::callback(gui::ParamHandle params)
{
    mErrorText.clear();
    int mode = 0;
    if (!readParam("mode", params, mode))
        return;
    mRequestedMode = mode;
    if (mode == 1001 || mode == 1002) {
        const std::string from = currentStateName();
        if (from.empty())
            return;
        RoomFlow::handOverScreens();
        ZRKUserRequest::setCa_id(1);
        if (ZRKSession* session = GameServices::session())
            session->teleport(std::string(), core::ClientStateTable::kTutorial,
                              "adv=" + std::to_string(mode - 1001) + "&prev=" + from);
        return;
    }
    core::XmlConfigHelper request;
    if (!buildRequest(params, mode, request))
        return;
    if (core::MissionRule::isPrivateMission(mode)) {
        // A mission played alone: a room of the mission mode on its place, closed to others.
        request.setIntVal("mode", core::MissionRule::kMode);
        setRoomMode(core::MissionRule::kMode);
        request.setStringVal("place", core::MissionRule::privatePlace(mode));
        addDungeon(request, mode);
        request.setBoolVal("private", true);
    }
    mRequests.track(ZRKServerRequest::createRoom(
        request, mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); })));
}

void RoomCreateEvent::onReply(bool error, const std::string& text)
{
    if (error) {
        mPassword.clear();
        mErrorText = text;
        raiseEvent(resultId());
        writeLog(kLogTrace, channel().c_str(), text.c_str());
        return;
    }
    ZRKServer* server = getZRKServer();
    const std::string room = server ? server->getCurrentRoom().getStringVal("name", "") : std::string();
    if (!RoomFlow::enterRoom(*this, room, mPassword, true))
        writeLog(kLogTrace, channel().c_str(), "no session: the new room is not entered");
}

void RoomCreateEvent::onEnterRoom(const std::string&, int code, const std::string&)
{
    mPassword.clear(); // the answer is in: it is needed no longer
    ZRKServer* server = getZRKServer();
    const std::string room = server ? server->getCurrentRoom().getStringVal("name", "") : std::string();
    ZRKSession* session = GameServices::session();
    if (code == 0) {
        if (core::MissionRule::isPrivateMission(mRequestedMode)) {
            // A private PVE room goes straight into its battle.
            const std::string from = currentStateName();
            RoomFlow::handOverScreens();
            std::string params = "prev=" + from;
            if (mRequestedMode < 2000) { // the Training Fort's: fought with the player's ammo bag
                const core::AvatarPtr me = ZRKUserRequest::getAvatar();
                const int bag = me ? me->getUserSettings().getIntVal("ca_id2", 1) : 1;
                if (!me)
                    writeLog(kLogWarning, channel().c_str(),
                             "the own avatar is not known yet: the dungeon is fought with bag 1");
                params = "bag=" + std::to_string(bag) + "&set=" + std::to_string(mRequestedMode - 1002) + "&" + params;
            }
            if (session)
                session->teleport(room, core::ClientStateTable::kBattle, params);
            RoomListenEvent::setListening(false);
            if (PersonalRoom* personal = PersonalRoom::getSingletonPtr())
                personal->clearReload();
            BackgroundScene::instance().destroyScene();
            return;
        }
        if (session)
            session->teleport(room, core::ClientStateTable::kPersonalRoom, std::string());
    } else if (code == 9) {
        writeLog(kLogTrace, channel().c_str(), "room full");
        mErrorText = ZRKLan::getMsg("error/room_max");
    } else if (code == 10) {
        writeLog(kLogTrace, channel().c_str(), "password error");
        mErrorText = ZRKLan::getMsg("error/password_format");
    } else {
        mErrorText = ZRKLan::getMsg("error/unknow_wrong");
    }
    if (!mErrorText.empty())
        if (core::Frame* frame = GameServices::frame())
            frame->messageBoxText(ZRKLan::getMsg("error/title1"), mErrorText, core::Frame::kNoticeBox);
    raiseEvent(resultId());
}

} // namespace zrk
} // namespace kavri3D
