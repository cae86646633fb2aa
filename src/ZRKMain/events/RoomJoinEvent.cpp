#include "events/RoomJoinEvent.h"

#include <boost/bind/bind.hpp>
#include <core/ClientStateTable.h>
#include <core/DialogBoxResult.h>
#include <core/Frame.h>
#include <data/ZRKSession.h>
#include <data/ZRKUserRequest.h>
#include <gui/IGuiManager.h>
#include <gui/Room.h>
#include <json/value.h>
#include <lan/ZRKLan.h>

#include "services/GameServices.h"
#include "events/RoomFlow.h"
#include "rooms/PersonalRoom.h"
#include "rooms/ZRKRoleRes.h"
#include "services/LogRoutine.h"

using namespace boost::placeholders;

namespace kavri3D {
namespace zrk {

namespace {

const Json::Value& defState()
{
    ZRKRoleRes* res = GameServices::roleResources();
    return res ? res->getDefState() : Json::Value::nullSingleton();
}

void showBox(const char* titleKey, const std::string& text)
{
    if (core::Frame* frame = GameServices::frame())
        frame->messageBoxText(ZRKLan::getMsg(titleKey), text, core::Frame::kNoticeBox);
}

} // namespace

RoomJoinEvent::RoomJoinEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher) {}

RoomJoinEvent::~RoomJoinEvent()
{
    if (ZRKSession* session = GameServices::session())
        session->removeMsgRoomCallback(this);
}

gui::ParamList* RoomJoinEvent::fillParams()
{
    clearParams();
    addBool("isEnter", mEntered);
    addInt("room_id", mRoomId);
    addString("room_name", mRoomName);
    addInt("mode", mRoomMode);
    return paramList();
}

void RoomJoinEvent::levelBand(int level, const Json::Value& doc, int& low, int& high)
{
    // Worked out wide: a level near the ends of an int must not wrap.
    low = static_cast<int>(std::max(1LL, static_cast<long long>(level) - 5));
    high = static_cast<int>(std::min(50LL, static_cast<long long>(level) + 5));
    if (high < low)
        high = low;
    const Json::Value& bands = doc.isObject() ? doc["room_lv"] : Json::Value::nullSingleton();
    if (!bands.isArray() || level <= 0 || static_cast<Json::ArrayIndex>(level) > bands.size())
        return;
    // Only an entry whose first two items are whole numbers counts.
    const Json::Value& band = bands[static_cast<Json::ArrayIndex>(level - 1)];
    if (band.isArray() && band.size() >= 2 && band[0].isInt() && band[1].isInt()) {
        low = band[0].asInt();
        high = band[1].asInt();
    }
}

void RoomJoinEvent::callback(gui::ParamHandle params)
{
    gui::Room room;
    if (!readParam("room", params, room))
        return;
    // A new choice ends the box still asking about the last one.
    if (mBoxConnection.connected()) {
        mBoxConnection = boost::signals2::connection();
        if (core::Frame* frame = GameServices::frame())
            frame->cancelMessageBox();
    }
    mPassword.clear();
    mHasPassword = false;
    if (room.password) {
        mHasPassword = true;
        if (!readOptional("room_pwd", params, mPassword))
            mPassword.clear();
    }
    mRoomId = room.id;
    mRoomName = room.name.c_str();
    mRoomMode = room.mode;
    if (mRoomMode == 8) {
        joinRoom();
        return;
    }
    const Json::Value& doc = defState();
    const int level = ZRKUserRequest::getPc_id().getIntVal("pc_lv", 0);
    const Json::Value& capValue = doc.isObject() ? doc["room_lv1"] : Json::Value::nullSingleton();
    const int cap = capValue.isInt() ? capValue.asInt() : 0;
    int low = 0, high = 0;
    levelBand(level, doc, low, high);
    if (level <= cap && room.lv > cap) {
        mPassword.clear();
        showBox("warning/title", formatMsg(ZRKLan::getMsg("warning/room_lv_limit1"), {std::to_string(cap + 1)}));
        return;
    }
    if (room.lv >= low && room.lv <= high) {
        joinRoom();
        return;
    }
    if (room.members >= room.seats) {
        mPassword.clear();
        showBox("warning/title", ZRKLan::getMsg("layout/room/text/tip3"));
        return;
    }
    core::Frame* frame = GameServices::frame();
    if (!frame) {
        writeLog(kLogTrace, channel().c_str(), "no frame to ask about the room's level: not joined");
        return;
    }
    mBoxConnection = frame->messageBox2("warning/title", "warning/room_lv_limit",
                                        mRequests.guard(boost::bind(&RoomJoinEvent::onConfirm, this, _1, mRoomId,
                                                                    mRoomName, mRoomMode, mHasPassword, mPassword)),
                                        core::Frame::kQuestionBox);
}

void RoomJoinEvent::onConfirm(core::DialogBoxResult& result, int roomId, const std::string& roomName, int mode,
                              bool hasPassword, const std::string& password)
{
    mBoxConnection = boost::signals2::connection();
    if (result.button != 0)
        return;
    // The room the box asked about, whatever was chosen meanwhile.
    mRoomId = roomId;
    mRoomName = roomName;
    mRoomMode = mode;
    mPassword = password;
    mHasPassword = hasPassword;
    joinRoom();
}

void RoomJoinEvent::joinRoom()
{
    if (gui::IGuiManager* manager = GameServices::guiManager())
        manager->notifyRoomEntering(1);
    if (PersonalRoom* personal = PersonalRoom::getSingletonPtr())
        personal->setRoomMode(mRoomMode);
    if (!RoomFlow::enterRoom(*this, mRoomName, mPassword, mHasPassword))
        writeLog(kLogTrace, channel().c_str(), "no session: the room is not entered");
}

void RoomJoinEvent::onEnterRoom(const std::string&, int code, const std::string&)
{
    mEntered = false;
    mPassword.clear(); // the answer is in: it is needed no longer
    switch (code) {
    case -1:
    case 0:
        mEntered = true;
        if (ZRKSession* session = GameServices::session())
            session->teleport(mRoomName, core::ClientStateTable::kPersonalRoom, std::string());
        break;
    case 9:
        showBox("error/title1", ZRKLan::getMsg("error/room_no_access"));
        break;
    case 10:
        showBox("error/title1", ZRKLan::getMsg("error/room_password_wrong"));
        break;
    default:
        showBox("error/title1", ZRKLan::getMsg("error/unknow_wrong"));
        break;
    }
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
