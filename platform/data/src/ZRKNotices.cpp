#include "data/ZRKNotices.h"

#include <tinyxml.h>
#include <yake/Logger.h>
#include <yake/XmlText.h>
#include "data/MsgChatCallback.h"
#include "data/ZRKGameData.h"
#include "data/ZRKRoomState.h"
#include "data/ZRKSession.h"

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;

const yake::logging::Channel logLine("ZRKNotices");

/// The flat values of an object as the attributes of an element, for the callbacks that read
/// XML nodes. Each name and text is checked before TinyXML sees it (a name empty or not whole
/// UTF-8, a text not whole UTF-8 or with a NUL): TinyXML asserts on an empty name beside another
/// one; such a member is left out, with one line.
boost::shared_ptr<TiXmlElement> element(const std::string& name, const Json::Value& values)
{
    boost::shared_ptr<TiXmlElement> e(new TiXmlElement(name.c_str()));
    if (values.isObject())
        for (const std::string& key : values.getMemberNames()) {
            const Json::Value& v = values[key];
            if (key.empty() || !yake::XmlText::wholeText(key) ||
                (v.isString() && !yake::XmlText::wholeText(v.asString()))) {
                logLine(Severity::Warning, "a notice's parameter left out: its name or text is not whole text");
                continue;
            }
            if (v.isString())
                e->SetAttribute(key.c_str(), v.asString().c_str());
            else if (v.isBool())
                e->SetAttribute(key.c_str(), v.asBool() ? 1 : 0);
            else if (v.isInt())
                e->SetAttribute(key.c_str(), v.asInt());
            else if (v.isIntegral()) // beyond an int (a seed): its digits, never a throw
                e->SetAttribute(key.c_str(), v.isInt64() ? std::to_string(v.asInt64()).c_str()
                                                         : std::to_string(v.asUInt64()).c_str());
        }
    return e;
}

} // namespace

const ZRKNotices::Handler ZRKNotices::kHandlers[ZRKNotice::KindCount] = {
    &ZRKNotices::join,     &ZRKNotices::leave,     &ZRKNotices::message, &ZRKNotices::chat,
    &ZRKNotices::presence, &ZRKNotices::roomInfo,  &ZRKNotices::seat,    &ZRKNotices::host,
    &ZRKNotices::player,   &ZRKNotices::roomState, &ZRKNotices::invite,  &ZRKNotices::kick,
    &ZRKNotices::roomGone, &ZRKNotices::dropped,   &ZRKNotices::avatar,  &ZRKNotices::roster};

ZRKNotices::ZRKNotices(ZRKSession& session) : mSession(session) {}

void ZRKNotices::apply(const ZRKMessage& notice)
{
    const ZRKNotice::Kind kind = ZRKNotice::kindOf(notice.op);
    if (kind == ZRKNotice::KindCount) {
        logLine(Severity::Warning, "a notice of no known kind: " + notice.op.substr(0, 40));
        return;
    }
    try {
        (this->*kHandlers[kind])(notice);
    } catch (const std::exception& e) {
        logLine(Severity::Error, notice.op + " notice failed: " + e.what());
    }
}

std::string ZRKNotices::memberAddress(const ZRKMessage& n) const
{
    return mSession.decorateRoom(n.room) + "/" + n.member;
}

void ZRKNotices::join(const ZRKMessage& n)
{
    if (ZRKRoomState* room = mSession.getGameData().roomState(n.room))
        room->applyJoin(n.member, n.args);
    mSession.getMsgClient()->receiveMemberJoin(mSession.decorateRoom(n.room), memberAddress(n),
                                               n.member == mSession.getUID());
    mSession.getGameData().server().onRoomMember(n.room, n.member, true);
}

void ZRKNotices::leave(const ZRKMessage& n)
{
    if (ZRKRoomState* room = mSession.getGameData().roomState(n.room))
        room->applyLeave(n.member);
    mSession.getMsgClient()->receiveMemberLeave(mSession.decorateRoom(n.room), memberAddress(n));
    mSession.getGameData().server().onRoomMember(n.room, n.member, false);
}

void ZRKNotices::message(const ZRKMessage& n)
{
    mSession.getMsgClient()->receiveRoomMessage(mSession.decorateRoom(n.room), n.text, n.member == mSession.getUID());
}

void ZRKNotices::chat(const ZRKMessage& n)
{
    mSession.getMsgClient()->receiveUserMessage(mSession.decorateUser(n.member), n.text);
}

void ZRKNotices::presence(const ZRKMessage& n)
{
    const bool online = n.args.isObject() && n.args["online"].isBool() && n.args["online"].asBool();
    mSession.getGameData().server().setPlayerOnline(n.member, online);
    mSession.getMsgClient()->receivePresence(mSession.decorateUser(n.member));
}

void ZRKNotices::roomInfo(const ZRKMessage& n)
{
    // The room's state object is made here, once: the first time the server describes the room.
    ZRKRoomState& room = mSession.getGameData().makeRoomState(n.room, mSession.getUID());
    room.applyInfo(n.args);
    const boost::shared_ptr<TiXmlElement> node = element("room", n.args.isObject() ? n.args["params"] : Json::Value());
    const std::string address = mSession.decorateRoom(n.room);
    mSession.getMsgClient()->post(address,
                                  [address, node](core::MsgRoomCallback& c) { c.onRoomInfo(address, node.get()); });
}

void ZRKNotices::seat(const ZRKMessage& n)
{
    ZRKRoomState* room = mSession.getGameData().roomState(n.room);
    if (!room || !n.args.isObject() || !n.args["seat"].isInt())
        return logLine(Severity::Notice, "a seat notice for no room of this player, or without a seat");
    room->applySeat(n.member, n.args["seat"].asInt(), n.args["battle"]);
}

void ZRKNotices::host(const ZRKMessage& n)
{
    if (ZRKRoomState* room = mSession.getGameData().roomState(n.room))
        room->applyHost(n.member);
}

void ZRKNotices::player(const ZRKMessage& n)
{
    ZRKRoomState* room = mSession.getGameData().roomState(n.room);
    if (!room || !n.args.isObject())
        return logLine(Severity::Notice, "a player notice for no room of this player");
    room->applyPlayer(n.member, n.args["battle"], n.args["bits"].isInt() ? n.args["bits"].asInt() : 0);
}

void ZRKNotices::roomState(const ZRKMessage& n)
{
    ZRKRoomState* room = mSession.getGameData().roomState(n.room);
    if (!room || !n.args.isObject())
        return logLine(Severity::Notice, "a room-state notice for no room of this player");
    room->applyState(n.args["state"], n.args["params"]);
}

void ZRKNotices::invite(const ZRKMessage& n)
{
    Json::Value values = n.args.isObject() ? n.args : Json::Value(Json::objectValue);
    values["from"] = n.member;
    const boost::shared_ptr<TiXmlElement> node = element("invite", values);
    mSession.getMsgClient()->postChat([node](core::MsgChatCallback& c) { c.handleSpecialEvent(node.get()); });
}

void ZRKNotices::kick(const ZRKMessage& n)
{
    if (n.member != mSession.getUID())
        return leave(n);
    logLine(Severity::Notice, "put out of the room " + n.room);
    mSession.roomLost(n.room);
}

void ZRKNotices::roomGone(const ZRKMessage& n) { mSession.roomLost(n.room); }

void ZRKNotices::dropped(const ZRKMessage&)
{
    logLine(Severity::Warning, "the server dropped the connection");
    mSession.dropConnection(ZRKSession::Lost);
}

} // namespace zrk
} // namespace kavri3D

namespace kavri3D {
namespace zrk {

/// The player's own views first, so that the subscribers read the new values.
void ZRKNotices::avatar(const ZRKMessage& n)
{
    const Json::Value& views = n.args.isObject() ? n.args["views"] : Json::Value::nullSingleton();
    if (views.isObject())
        mSession.getGameData().applyViews(views);
    const Json::Value& flags = n.args.isObject() ? n.args["flags"] : Json::Value::nullSingleton();
    mSession.getGameData().avatars().fireUpdate(n.member, flags.isInt() ? flags.asInt() : 0);
}

} // namespace zrk
} // namespace kavri3D

namespace kavri3D {
namespace zrk {

/// The roster as the server now holds it; taking it fires the roster's load signal.
void ZRKNotices::roster(const ZRKMessage& n)
{
    const Json::Value& views = n.args.isObject() ? n.args["views"] : Json::Value::nullSingleton();
    if (!views.isObject() || !views.isMember("roster"))
        return logLine(Severity::Notice, "a roster notice without a roster");
    Json::Value only(Json::objectValue);
    only["roster"] = views["roster"];
    mSession.getGameData().applyViews(std::move(only));
}

} // namespace zrk
} // namespace kavri3D
