#include "data/ZRKSession.h"

#include <core/Application.h>
#include <core/BlackBoard.h>
#include <core/ClientStateMachine.h>
#include <core/DefaultFsmHelper.h>
#include <core/Engine.h>
#include <yake/Logger.h>
#include "data/ZRKGameData.h"
#include "data/ZRKJson.h"
#include "data/ZRKNotices.h"
#include "data/ZRKParamText.h"
#include "data/ZRKRequestBroker.h"
#include "data/ZRKTransport.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::ZRKSession);

namespace kavri3D {
namespace zrk {

namespace {
using yake::logging::Severity;

const yake::logging::Channel logLine("ZRKSession");

/// The whole text as an int, else the default.
int codeOf(const std::string& text, int def)
{
    Json::Value v = ZRKJson::parse(text);
    return v.isInt() ? v.asInt() : def;
}

/// "host:port" of the server the game's settings name, when that is not the one built into
/// the module (port 0, or no server named); empty otherwise.
std::string serverElsewhere()
{
    core::BlackBoard* board = core::BlackBoard::getSingletonPtr();
    const std::string port = board ? board->getString("kavri3D/app/net/Port", "") : std::string();
    if (port.empty() || port == "0")
        return std::string();
    return board->getString("kavri3D/app/net/Host", "") + ":" + port;
}

} // namespace

ZRKSession::ZRKSession(std::unique_ptr<ZRKTransport> transport)
    : mBroker(new ZRKRequestBroker), mData(new ZRKGameData), mNotices(new ZRKNotices(*this))
{
    mSent = mBroker->subscribeToSent([this](const ZRKRequestInfo& info) {
        if (mTransport)
            mTransport->send(ZRKMessage::request(info));
    });
    mMsgClient.setOutlet(
        [this](const std::string& op, const std::string& to, const std::string& text) { say(op, to, text); });
    setTransport(std::move(transport));
}

ZRKSession::~ZRKSession()
{
    mConnection.disconnect_all_slots();
    mRequests.cancelAll();
    mMsgClient.setOutlet(core::MsgClient::Outlet());
    mSent = boost::signals2::connection(); // nothing more goes out while the link goes
    mTransport.reset();
    // The rooms' listeners hear of nothing more: the session and its data go together.
}

void ZRKSession::setTransport(std::unique_ptr<ZRKTransport> transport) { mTransport = std::move(transport); }

ZRKGameServer* ZRKSession::getGameServer() { return mTransport ? mTransport->gameServer() : nullptr; }

bool ZRKSession::isLoggingIn() const { return mUnreached || (mLoginHandle && mBroker->isPending(mLoginHandle)); }

bool ZRKSession::login(const std::string& name, const std::string& password, const LoginSlot& slot)
{
    if (isLoggingIn()) {
        logLine(Severity::Warning, "log-in refused: another is under way");
        return false;
    }
    if (mOnline)
        logout();
    const std::string elsewhere = serverElsewhere();
    if (!elsewhere.empty()) {
        // This game's only link is to the server built into it: a server elsewhere does not
        // answer, as one that is down would not. The slot hears so from the next frame.
        logLine(Severity::Warning, "no server answers at " + elsewhere);
        mUnreached = true;
        mUnreachedSlot = slot;
        return true;
    }
    Json::Value params;
    params["name"] = name;
    params["password"] = password;
    // Quotes kept: a password may hold any character, and must reach the server unchanged.
    mLoginHandle =
        mRequests.track(mBroker->send("ZRKSession", "login", ZRKParamText::makeQuoted(params),
                                      mRequests.guard([this, name, slot](bool error, const std::string& text) {
                                          onLoginReply(error, text, name, slot);
                                      })));
    return true;
}

void ZRKSession::onLoginReply(bool error, const std::string& text, const std::string& name, const LoginSlot& slot)
{
    mLoginHandle = 0;
    int code = error ? 3 : codeOf(text, 3);
    if (code == 0) {
        mOnline = true;
        mUID = name;
    }
    if (slot)
        slot(this, code);
}

void ZRKSession::logout()
{
    if (mUnreached) {
        mUnreached = false;
        mUnreachedSlot = LoginSlot();
        return;
    }
    const bool loggingIn = isLoggingIn();
    if (loggingIn) {
        mBroker->cancel(mLoginHandle);
        mLoginHandle = 0;
    }
    if (!mOnline && !loggingIn)
        return;
    // Also when only the log-in was under way: the server may have let it in already.
    mBroker->call("ZRKSession", "logout", ZRKReply(), mUID);
    if (mOnline)
        goOffline(LoggedOut);
}

void ZRKSession::dropConnection(int state)
{
    if (mOnline)
        goOffline(isLoss(state) ? state : Lost);
}

void ZRKSession::goOffline(int state)
{
    mOnline = false;
    mUID.clear();
    mCurrentRoom.clear();
    mRoomsIn.clear();
    mData->clear();
    mMsgClient.reset();
    ++mOfflineEpoch;
    try {
        mConnection(this, state);
    } catch (const std::exception& e) {
        logLine(Severity::Error, std::string("connection listener failed: ") + e.what());
    }
}

void ZRKSession::goDead()
{
    logout();
    if (core::Application* app = core::Application::getSingletonPtr())
        app->requestQuit();
    else if (core::DefaultFsmHelper* helper = core::DefaultFsmHelper::getSingletonPtr())
        helper->requestQuit();
}

std::string ZRKSession::getSID() const { return mData->view("session").getStringVal("sid", ""); }

bool ZRKSession::teleport(const std::string& room, const std::string& state, const std::string& params)
{
    mLastTeleport = state;
    if (!room.empty())
        mCurrentRoom = room;
    core::Engine* engine = core::Engine::getSingletonPtr();
    core::ClientStateMachine* machine = engine ? engine->getClientStateMachine() : nullptr;
    if (!machine) {
        logLine(Severity::Error, "no client state machine: teleport to " + state + " dropped");
        return false;
    }
    if (!machine->changeState(state, params))
        return false;
    mEnteringState = state;
    mEnteringParams = params;
    mEntering = true;
    return true;
}

void ZRKSession::tellEnteredState()
{
    if (!mEntering)
        return;
    core::Engine* engine = core::Engine::getSingletonPtr();
    core::ClientStateMachine* machine = engine ? engine->getClientStateMachine() : nullptr;
    if (!machine || machine->hasPending() || machine->currentStateName() != mEnteringState)
        return; // not entered yet (or another teleport followed)
    mEntering = false;
    const std::string room = mCurrentRoom, params = mEnteringParams;
    mMsgClient.postScene([room, params](core::MsgRoomCallback& c) { c.onEnterRoom(room, 0, params); });
    mMsgClient.postScene([room](core::MsgRoomCallback& c) { c.onRoomReady(room); });
}

void ZRKSession::teleportAdv(const std::string& state, const std::string& params)
{
    teleport(std::string(), state, params);
}

namespace {
/// The entry's parameter text as the game always wrote it, beside the values themselves.
ZRKParams entryParams(const std::string& room, const std::string& text, const Json::Value& values)
{
    return ZRKParams::exact(ZRKParamText::pack(room, text), ZRKParamText::list(room, values));
}
} // namespace

long ZRKSession::enter(const std::string& room, const std::string& text)
{
    return enterWith(room, entryParams(room, text, Json::Value(text)));
}

long ZRKSession::enter(const std::string& room, const core::XmlConfigHelper& entry)
{
    const Json::Value values = ZRKJson::fromView(entry);
    // The password travels as its exact characters, whatever the text form makes of it.
    return enterWith(room, entryParams(room, ZRKParamText::make(values), values));
}

long ZRKSession::enterWith(const std::string& room, const ZRKParams& params)
{
    return mRequests.track(mBroker->send("ZRKSession", "enter", params,
                                         mRequests.guard([this, room](bool error, const std::string& reply) {
                                             int code = codeOf(reply, 1);
                                             if (error && code <= 0)
                                                 code = 1; // a failure never reads as an accepted entry
                                             if (code <= 0) {
                                                 mCurrentRoom = room;
                                                 mRoomsIn.insert(room);
                                             }
                                             mMsgClient.receiveEnterReply(room, code, reply);
                                         })));
}

void ZRKSession::leave(const std::string& room)
{
    mBroker->call("ZRKSession", "leave", ZRKReply(), room);
    roomLost(room);
}

void ZRKSession::roomLost(const std::string& room)
{
    if (mCurrentRoom == room)
        mCurrentRoom.clear();
    mRoomsIn.erase(room);
    mData->dropRoomState(room);
    mMsgClient.receiveLeave(room);
}

void ZRKSession::say(const std::string& op, const std::string& to, const std::string& text)
{
    if (!mOnline) {
        logLine(Severity::Warning, "not online: a message to " + to + " is dropped");
        return;
    }
    // A line the server refuses (to a player there is none of) says why in the chat box, as
    // a line from no one.
    ZRKReply done;
    if (op == "sendUserMessage")
        done = mRequests.guard([this](bool error, const std::string& reply) {
            if (error && !reply.empty())
                mMsgClient.receiveUserMessage(std::string(), reply);
        });
    mRequests.track(mBroker->call("MsgClient", op.c_str(), done, to, text));
}

void ZRKSession::addMsgRoomCallback(const std::string& roomAddr, core::MsgRoomCallback* callback)
{
    mMsgClient.addRoomCallback(roomAddr, callback);
}

void ZRKSession::removeMsgRoomCallback(core::MsgRoomCallback* callback) { mMsgClient.removeRoomCallback(callback); }

void ZRKSession::setMsgRoomSceneCallback(core::MsgRoomCallback* callback) { mMsgClient.setSceneCallback(callback); }

std::string ZRKSession::undecorateUser(const std::string& address) const
{
    return address.substr(0, address.find('@'));
}

std::string ZRKSession::undecorateRoomUser(const std::string& member) const
{
    std::size_t slash = member.find('/');
    return slash == std::string::npos ? undecorateUser(member) : member.substr(slash + 1);
}

boost::signals2::connection ZRKSession::subscribeToConnectionSignal(const ConnectionSignal::slot_type& slot)
{
    return mConnection.connect(slot);
}

void ZRKSession::receive()
{
    if (!mTransport)
        return;
    std::vector<ZRKMessage> incoming;
    incoming.swap(mIncoming); // kept between frames only for its room
    mTransport->receive(incoming);
    const unsigned epoch = mOfflineEpoch;
    // In the order the server sent them: a room's members before the answer to entering it.
    for (ZRKMessage& m : incoming) {
        if (m.type == ZRKMessage::Reply)
            mBroker->complete(m.handle, m.error, m.text, std::move(m.views), std::move(m.shared));
        else if (m.type == ZRKMessage::Notice)
            mNotices->apply(m);
        if (epoch != mOfflineEpoch)
            break; // the connection dropped: what came after it belongs to no session
    }
    incoming.clear();
    incoming.swap(mIncoming);
}

void ZRKSession::tellWorldReset()
{
    const std::string warning = mWorldResetTold || !mTransport ? std::string() : mTransport->worldWarning();
    if (warning.empty())
        return;
    core::Application* app = core::Application::getSingletonPtr();
    core::FramePtr frame = app ? app->getMainFrame() : core::FramePtr();
    if (!frame)
        return; // told once there is a frame to tell it in
    mWorldResetTold = true;
    frame->messageBox("error/title1", warning, core::Frame::kNoticeBox);
}

void ZRKSession::update(float)
{
    if (mUnreached) {
        mUnreached = false;
        LoginSlot slot;
        slot.swap(mUnreachedSlot);
        if (slot)
            slot(this, 3);
    }
    receive();
    mBroker->update();
    mData->deliverRoomReplays();
    mMsgClient.deliver();
    tellEnteredState(); // heard on the next frame
    tellWorldReset();
}

} // namespace zrk
} // namespace kavri3D
