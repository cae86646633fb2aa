#pragma once
#include <boost/function.hpp>
#include <boost/weak_ptr.hpp>
#include <deque>
#include <map>
#include <string>
#include <vector>
#include "data/MsgRoomCallback.h"
#include "data/MsgSiteInfo.h"

namespace kavri3D {
namespace core {

class MsgChatCallback;

/// The client of the message (chat) server: room and user addresses, the room callbacks by
/// room address, and the messages that arrive for them. Arriving messages are handed to the
/// callbacks from deliver(), once per frame.
class MsgClient {
public:
    /// One message the game sent.
    struct Sent {
        std::string to;
        std::string text;
    };

    /// Carries what the game says to the server: (operation, addressee, text).
    typedef boost::function<void(const std::string&, const std::string&, const std::string&)> Outlet;

    explicit MsgClient(const std::string& domain = "zrk");
    /// Where sent messages go besides the record (the session's link to the server).
    void setOutlet(const Outlet& outlet) { mOutlet = outlet; }

    /// The room's address ("name@conference.domain"); an address stays as it is.
    std::string roomAddress(const std::string& room) const;
    /// The user's address ("uid@domain"); an address stays as it is.
    std::string userAddress(const std::string& uid) const;

    void sendRoomMessage(const std::string& roomAddr, const std::string& subject, const std::string& text);
    void sendUserMessage(const std::string& text, const std::string& userAddr, const std::string& subject);
    /// The messages sent lately, oldest first (only the latest kSentKept, so a long run does
    /// not grow).
    const std::deque<Sent>& sent() const { return mSent; }
    static constexpr std::size_t kSentKept = 256;

    /// The callback receives the room's messages; one callback may follow several rooms.
    void addRoomCallback(const std::string& roomAddr, MsgRoomCallback* callback);
    /// Takes the callback off every room (and off the scene).
    void removeRoomCallback(MsgRoomCallback* callback);
    /// The current room scene: it receives the messages of every room. Null clears it.
    void setSceneCallback(MsgRoomCallback* callback);
    std::size_t callbackCount(const std::string& roomAddr) const;

    // Arrivals, handed over on the next deliver().
    void receiveRoomMessage(const std::string& room, const std::string& text, bool self = false);
    void receiveUserMessage(const std::string& from, const std::string& text);
    void receiveMemberJoin(const std::string& room, const std::string& member, bool self = false);
    void receiveMemberLeave(const std::string& room, const std::string& member);
    void receiveEnterReply(const std::string& room, int code, const std::string& params);
    void receiveLeave(const std::string& room);
    /// A member came online or went: every room callback hears it.
    void receivePresence(const std::string& member);
    /// Any other room notice.
    void post(const std::string& room, const boost::function<void(MsgRoomCallback&)>& notice);
    /// A notice for the scene callback alone (the state a teleport entered).
    void postScene(const boost::function<void(MsgRoomCallback&)>& notice);
    /// A notice for every chat callback (special events such as invitations).
    void postChat(const boost::function<void(MsgChatCallback&)>& notice);

    /// Hands every arrival to the live callbacks of its room and to the scene.
    void deliver();
    /// Forgets queued arrivals and rooms (at log-out); callbacks stay registered.
    void reset();

    MsgSiteInfo getSiteInfo(const std::string& room) const;

private:
    struct Listener {
        MsgRoomCallback* callback;
        std::weak_ptr<void> alive;
    };
    struct Arrival {
        std::string room; // empty: for every callback (a room notice) or every chat callback
        boost::function<void(MsgRoomCallback&)> notice;
        boost::function<void(MsgChatCallback&)> chat;
        bool sceneOnly = false;
    };
    std::vector<Listener> everyone() const;
    void keep(const Sent& sent);
    std::vector<Listener> listenersOf(const std::string& roomAddr) const;

    std::string mDomain;
    std::map<std::string, std::vector<Listener>> mRooms;
    Listener mScene{nullptr, std::weak_ptr<void>()};
    std::deque<Arrival> mArrivals;
    std::map<std::string, MsgSiteInfo> mSites;
    std::deque<Sent> mSent;
    Outlet mOutlet;
};

} // namespace core
} // namespace kavri3D
