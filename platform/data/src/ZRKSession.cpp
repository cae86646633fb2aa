#include "data/ZRKSession.h"

#include <core/Application.h>
#include <core/ClientStateMachine.h>
#include <core/DefaultFsmHelper.h>
#include <core/Engine.h>
#include <yake/Logger.h>
#include "data/ZRKGameData.h"
#include "data/ZRKGameServer.h"
#include "data/ZRKJson.h"
#include "data/ZRKParamText.h"
#include "data/ZRKRequestBroker.h"

KAVRI_SINGLETON_DEFINE(kavri3D::zrk::ZRKSession);

namespace kavri3D {
namespace zrk {

namespace {

void logLine(unsigned severity, const std::string& text) { yake::logging::logger::instance().log(severity, "ZRKSession", text); }

/// The whole text as an int, else the default.
int codeOf(const std::string& text, int def)
{
    Json::Value v = ZRKJson::parse(text);
    return v.isInt() ? v.asInt() : def;
}

} // namespace

ZRKSession::ZRKSession(const std::string& serverFolder) : mBroker(new ZRKRequestBroker), mData(new ZRKGameData)
{
    if (!serverFolder.empty())
        mServer.reset(new ZRKGameServer(*mBroker, serverFolder));
}

ZRKSession::~ZRKSession()
{
    mConnection.disconnect_all_slots();
    mRequests.cancelAll();
    mServer.reset();
}

bool ZRKSession::isLoggingIn() const { return mLoginHandle && mBroker->isPending(mLoginHandle); }

bool ZRKSession::login(const std::string& name, const std::string& password, const LoginSlot& slot)
{
    if (isLoggingIn()) {
        logLine(4, "log-in refused: another is under way");
        return false;
    }
    if (mOnline)
        logout();
    Json::Value params;
    params["name"] = name;
    params["password"] = password;
    // Quotes kept: a password may hold any character, and must reach the server unchanged.
    mLoginHandle = mRequests.track(mBroker->send("ZRKSession", "login", ZRKParamText::makeQuoted(params),
        mRequests.guard([this, name, slot](bool error, const std::string& text) { onLoginReply(error, text, name, slot); })));
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
    if (isLoggingIn()) {
        mBroker->cancel(mLoginHandle);
        mLoginHandle = 0;
    }
    if (!mOnline)
        return;
    mBroker->send("ZRKSession", "logout", ZRKParamText::pack(mUID), ZRKReply());
    goOffline(1);
}

void ZRKSession::dropConnection(int state)
{
    if (mOnline)
        goOffline(state == 0 ? 1 : state);
}

void ZRKSession::goOffline(int state)
{
    mOnline = false;
    mUID.clear();
    mCurrentRoom.clear();
    mData->clear();
    mMsgClient.reset();
    try {
        mConnection(this, state);
    } catch (const std::exception& e) {
        logLine(3, std::string("connection listener failed: ") + e.what());
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
        logLine(3, "no client state machine: teleport to " + state + " dropped");
        return false;
    }
    return machine->changeState(state, params);
}

void ZRKSession::teleportAdv(const std::string& state, const std::string& params) { teleport(std::string(), state, params); }

long ZRKSession::enter(const std::string& room, const std::string& text)
{
    const std::string params = ZRKParamText::pack(room, text);
    return mRequests.track(mBroker->send("ZRKSession", "enter", params, mRequests.guard([this, room](bool error, const std::string& reply) {
        int code = codeOf(reply, 1);
        if (error && code <= 0)
            code = 1; // a failure never reads as an accepted entry
        if (code <= 0) {
            mCurrentRoom = room;
            mMsgClient.receiveMemberJoin(room, mMsgClient.roomAddress(room) + "/" + mUID);
        }
        mMsgClient.receiveEnterReply(room, code, reply);
    })));
}

long ZRKSession::enter(const std::string& room, const core::XmlConfigHelper& entry)
{
    return enter(room, ZRKParamText::make(ZRKJson::fromView(entry)));
}

void ZRKSession::leave(const std::string& room)
{
    mBroker->send("ZRKSession", "leave", ZRKParamText::pack(room), ZRKReply());
    if (mCurrentRoom == room)
        mCurrentRoom.clear();
    mMsgClient.receiveLeave(room);
}

void ZRKSession::addMsgRoomCallback(const std::string& roomAddr, core::MsgRoomCallback* callback)
{
    mMsgClient.addRoomCallback(roomAddr, callback);
}

void ZRKSession::removeMsgRoomCallback(core::MsgRoomCallback* callback) { mMsgClient.removeRoomCallback(callback); }

void ZRKSession::setMsgRoomSceneCallback(core::MsgRoomCallback* callback) { mMsgClient.setSceneCallback(callback); }

std::string ZRKSession::undecorateUser(const std::string& address) const { return address.substr(0, address.find('@')); }

std::string ZRKSession::undecorateRoomUser(const std::string& member) const
{
    std::size_t slash = member.find('/');
    return slash == std::string::npos ? undecorateUser(member) : member.substr(slash + 1);
}

boost::signals2::connection ZRKSession::subscribeToConnectionSignal(const ConnectionSignal::slot_type& slot)
{
    return mConnection.connect(slot);
}

void ZRKSession::update(float)
{
    if (mServer)
        mServer->update();
    mBroker->update();
    mMsgClient.deliver();
}

} // namespace zrk
} // namespace kavri3D
