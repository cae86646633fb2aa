#pragma once
#include <boost/function.hpp>
#include <boost/signals2.hpp>
#include <memory>
#include <set>
#include <string>
#include <vector>
#include <core/RtObjectAttrMap.h>
#include <core/Session.h>
#include <util/Singleton.h>
#include <util/XmlConfigHelper.h>
#include "data/MsgClient.h"
#include "data/ZRKMessage.h"
#include "data/ZRKParams.h"
#include "data/ZRKRequestOwner.h"
#include "data/ZRKTransport.h"

namespace kavri3D {
namespace zrk {

class ZRKGameData;
class ZRKGameServer;
class ZRKNotices;
class ZRKRequestBroker;

/// The game session: log-in and log-out, the teleports between client states, the rooms of
/// the message server and their callbacks, the connection signal, and the game data with
/// the request broker that every request goes through. Requests leave, and replies and the
/// server's notices arrive, through one transport; the session is updated once per frame by
/// the framework, and replies, notices and room messages reach their receivers from there.
/// Unless told otherwise it plays against the embedded game server.
class ZRKSession : public core::ISession, public core::RtObjectAttrMap, public Singleton<ZRKSession> {
public:
    /// The log-in result: 0 accepted, 1 wrong name or password, 2 logged in elsewhere,
    /// 3 no answer from the server.
    typedef boost::function<void(core::ISession*, int)> LoginSlot;
    /// Connection state: Connected, LoggedOut (the player or the game ended the session on
    /// purpose) or Lost (above 0: the connection broke).
    typedef boost::signals2::signal<void(core::ISession*, int)> ConnectionSignal;
    enum ConnectionState { LoggedOut = -1, Connected = 0, Lost = 1 };
    /// Whether a connection state means the connection broke (not a log-out).
    static bool isLoss(int state) { return state > Connected; }

    /// Plays through `transport`: the game server built into the module (ZRKGameServer) or
    /// another link; null plays without (tests then answer the requests themselves).
    explicit ZRKSession(std::unique_ptr<ZRKTransport> transport);
    ~ZRKSession() override;

    // Log-in and log-out.
    /// Sends the log-in to the server the game's settings name ("kavri3D/app/net"); the slot
    /// runs once with the result from a later frame. The server built into the module stands
    /// at port 0 (or where no server is named); any other gets no answer (3). False (and no
    /// slot call) while another log-in is under way.
    bool login(const std::string& name, const std::string& password, const LoginSlot& slot);
    void logout();
    bool isOnline() const override { return mOnline; }
    bool isLoggingIn() const;
    /// Ends the online session and asks the framework to quit.
    void goDead() override;
    std::string getUID() const override { return mUID; }
    std::string getSID() const override;

    // Client states.
    /// Changes to the named client state through the engine's state machine; a room name,
    /// when given, becomes the current room. False without such a state or machine.
    bool teleport(const std::string& room, const std::string& state, const std::string& params);
    void teleportAdv(const std::string& state, const std::string& params = std::string()) override;
    const std::string& getCurrentRoom() const { return mCurrentRoom; }
    /// Whether the server let the player into that room (a hall, a chat or a game room) and he
    /// has not left it since.
    bool isIn(const std::string& room) const { return mRoomsIn.count(room) > 0; }
    const std::string& getLastTeleport() const { return mLastTeleport; }

    // Rooms of the message server.
    /// Enters a room; the room's callbacks get onEnterRoom with the server's code (-1 or 0
    /// accepted). Returns the request handle.
    long enter(const std::string& room, const std::string& text);
    long enter(const std::string& room, const core::XmlConfigHelper& entry);
    void leave(const std::string& room);
    /// The player is out of the room by the server's doing (put out, the room closed).
    void roomLost(const std::string& room);
    core::MsgClient* getMsgClient() { return &mMsgClient; }
    void addMsgRoomCallback(const std::string& roomAddr, core::MsgRoomCallback* callback);
    void removeMsgRoomCallback(core::MsgRoomCallback* callback);
    void setMsgRoomSceneCallback(core::MsgRoomCallback* callback);
    core::MsgSiteInfo getSiteInfo(const std::string& roomAddr) const { return mMsgClient.getSiteInfo(roomAddr); }
    std::string decorateUser(const std::string& uid) const { return mMsgClient.userAddress(uid); }
    std::string undecorateUser(const std::string& address) const;
    std::string decorateRoom(const std::string& room) const { return mMsgClient.roomAddress(room); }
    /// The user of a room member's address ("room@conference.zrk/hero" gives "hero").
    std::string undecorateRoomUser(const std::string& member) const;

    boost::signals2::connection subscribeToConnectionSignal(const ConnectionSignal::slot_type& slot);
    core::XmlConfigHelper& getSettings() override { return mSettings; }
    void eraseAttr(const std::string& name) { removeAttr(name); }

    /// Once per frame: the embedded server answers, replies reach their completions, room
    /// messages reach their callbacks.
    void update(float dt) override;

    // Control surface for tests.
    ZRKRequestBroker& getBroker() { return *mBroker; }
    ZRKGameData& getGameData() { return *mData; }
    /// Null when the session plays without the embedded server.
    ZRKGameServer* getGameServer();
    /// Plays through another link (a test's, or one to a server elsewhere); null plays without.
    void setTransport(std::unique_ptr<ZRKTransport> transport);
    /// The connection to the server drops (a state of 0 or less counts as Lost).
    void dropConnection(int state = Lost);

private:
    void onLoginReply(bool error, const std::string& text, const std::string& name, const LoginSlot& slot);
    void goOffline(int state);
    void say(const std::string& op, const std::string& to, const std::string& text);
    long enterWith(const std::string& room, const ZRKParams& params);
    void receive();
    /// One box when the world was set aside and started afresh, or is in use by another game.
    void tellWorldReset();
    void tellEnteredState();

    std::unique_ptr<ZRKRequestBroker> mBroker;
    std::unique_ptr<ZRKGameData> mData;
    std::unique_ptr<ZRKTransport> mTransport;
    std::unique_ptr<ZRKNotices> mNotices;
    std::vector<ZRKMessage> mIncoming;
    boost::signals2::scoped_connection mSent;
    bool mWorldResetTold = false;
    unsigned mOfflineEpoch = 0;
    core::MsgClient mMsgClient;
    core::XmlConfigHelper mSettings;
    ConnectionSignal mConnection;
    bool mOnline = false;
    std::string mUID;
    std::string mCurrentRoom;
    std::set<std::string> mRoomsIn;
    std::string mLastTeleport;
    /// The state a teleport asked for and its parameter text: once the state is entered, its
    /// scene callback hears onEnterRoom with the text, then onRoomReady.
    std::string mEnteringState, mEnteringParams;
    bool mEntering = false;
    long mLoginHandle = 0;
    /// A log-in sent to a server elsewhere, told on the next frame that nothing answered.
    bool mUnreached = false;
    LoginSlot mUnreachedSlot;
    ZRKRequestOwner mRequests; // last: its requests are cancelled while the broker lives
};

} // namespace zrk
} // namespace kavri3D

KAVRI_SINGLETON_DECLARE(kavri3D::zrk::ZRKSession);
