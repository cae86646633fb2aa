#include "data/MsgClient.h"

#include <algorithm>
#include <yake/Logger.h>
#include "data/MsgChatCallback.h"

namespace kavri3D {
namespace core {

namespace {
using yake::logging::Severity;
const yake::logging::Channel logLine("MsgClient");
bool sameCallback(const MsgRoomCallback* a, const MsgRoomCallback* b) { return a == b; }
} // namespace

MsgClient::MsgClient(const std::string& domain) : mDomain(domain) {}

std::string MsgClient::roomAddress(const std::string& room) const
{
    if (room.empty() || room.find('@') != std::string::npos)
        return room;
    return room + "@conference." + mDomain;
}

std::string MsgClient::userAddress(const std::string& uid) const
{
    if (uid.empty() || uid.find('@') != std::string::npos)
        return uid;
    return uid + "@" + mDomain;
}

void MsgClient::keep(const Sent& sent)
{
    if (mSent.size() >= kSentKept)
        mSent.pop_front();
    mSent.push_back(sent);
}

void MsgClient::sendRoomMessage(const std::string& roomAddr, const std::string&, const std::string& text)
{
    keep({roomAddress(roomAddr), text});
    if (mOutlet)
        mOutlet("sendRoomMessage", mSent.back().to, text);
}

void MsgClient::sendUserMessage(const std::string& text, const std::string& userAddr, const std::string&)
{
    keep({userAddress(userAddr), text});
    if (mOutlet)
        mOutlet("sendUserMessage", mSent.back().to, text);
}

void MsgClient::addRoomCallback(const std::string& roomAddr, MsgRoomCallback* callback)
{
    if (!callback)
        return;
    std::vector<Listener>& list = mRooms[roomAddress(roomAddr)];
    for (const Listener& l : list)
        if (sameCallback(l.callback, callback) && !l.alive.expired())
            return;
    list.push_back({callback, callback->aliveToken()});
}

void MsgClient::removeRoomCallback(MsgRoomCallback* callback)
{
    for (auto& room : mRooms) {
        std::vector<Listener>& list = room.second;
        list.erase(
            std::remove_if(list.begin(), list.end(), [callback](const Listener& l) { return l.callback == callback; }),
            list.end());
    }
    if (mScene.callback == callback)
        mScene = Listener{nullptr, std::weak_ptr<void>()};
}

void MsgClient::setSceneCallback(MsgRoomCallback* callback)
{
    mScene = callback ? Listener{callback, callback->aliveToken()} : Listener{nullptr, std::weak_ptr<void>()};
}

std::size_t MsgClient::callbackCount(const std::string& roomAddr) const
{
    return listenersOf(roomAddress(roomAddr)).size();
}

std::vector<MsgClient::Listener> MsgClient::listenersOf(const std::string& roomAddr) const
{
    std::vector<Listener> out;
    auto it = mRooms.find(roomAddr);
    if (it != mRooms.end())
        for (const Listener& l : it->second)
            if (!l.alive.expired())
                out.push_back(l);
    return out;
}

void MsgClient::post(const std::string& room, const boost::function<void(MsgRoomCallback&)>& notice)
{
    mArrivals.push_back({roomAddress(room), notice, boost::function<void(MsgChatCallback&)>()});
}

void MsgClient::postScene(const boost::function<void(MsgRoomCallback&)>& notice)
{
    Arrival a;
    a.notice = notice;
    a.sceneOnly = true;
    mArrivals.push_back(a);
}

void MsgClient::receiveRoomMessage(const std::string& room, const std::string& text, bool self)
{
    post(room, [room, text, self](MsgRoomCallback& c) { c.onMemberMessage(room, text, self); });
}

void MsgClient::receiveUserMessage(const std::string& from, const std::string& text)
{
    postChat([from, text](MsgChatCallback& c) { c.onMessage(from, std::string(), text); });
}

void MsgClient::postChat(const boost::function<void(MsgChatCallback&)>& notice)
{
    Arrival a;
    a.chat = notice;
    mArrivals.push_back(a);
}

void MsgClient::receivePresence(const std::string& member)
{
    Arrival a;
    a.notice = [member](MsgRoomCallback& c) { c.onMemberPresence(member); };
    mArrivals.push_back(a);
}

void MsgClient::receiveMemberJoin(const std::string& room, const std::string& member, bool self)
{
    MsgSiteInfo& site = mSites[roomAddress(room)];
    site.room = roomAddress(room);
    if (std::find(site.members.begin(), site.members.end(), member) == site.members.end())
        site.members.push_back(member);
    post(room, [room, member, self](MsgRoomCallback& c) { c.onMemberJoin(room, member, self); });
}

void MsgClient::receiveMemberLeave(const std::string& room, const std::string& member)
{
    auto it = mSites.find(roomAddress(room));
    if (it != mSites.end()) {
        std::vector<std::string>& m = it->second.members;
        m.erase(std::remove(m.begin(), m.end(), member), m.end());
    }
    post(room, [room, member](MsgRoomCallback& c) { c.onMemberLeave(room, member); });
}

void MsgClient::receiveEnterReply(const std::string& room, int code, const std::string& params)
{
    post(room, [room, code, params](MsgRoomCallback& c) { c.onEnterRoom(room, code, params); });
}

void MsgClient::receiveLeave(const std::string& room)
{
    mSites.erase(roomAddress(room));
    post(room, [room](MsgRoomCallback& c) { c.onLeaveRoom(room); });
}

void MsgClient::deliver()
{
    std::deque<Arrival> due;
    due.swap(mArrivals); // callbacks may post more: those wait for the next frame
    for (const Arrival& a : due) {
        std::vector<Listener> targets = a.sceneOnly      ? std::vector<Listener>()
                                        : a.room.empty() ? everyone()
                                                         : listenersOf(a.room);
        if (mScene.callback && !mScene.alive.expired() &&
            std::none_of(targets.begin(), targets.end(),
                         [this](const Listener& t) { return t.callback == mScene.callback; }))
            targets.push_back(mScene);
        for (const Listener& l : targets) {
            if (l.alive.expired())
                continue; // went away while an earlier listener was told
            try {
                if (a.chat) {
                    if (MsgChatCallback* chat = dynamic_cast<MsgChatCallback*>(l.callback))
                        a.chat(*chat);
                } else {
                    a.notice(*l.callback);
                }
            } catch (const std::exception& e) {
                logLine(Severity::Error, std::string("room callback failed: ") + e.what());
            }
        }
    }
}

std::vector<MsgClient::Listener> MsgClient::everyone() const
{
    std::vector<Listener> out;
    for (const auto& room : mRooms)
        for (const Listener& l : listenersOf(room.first))
            if (std::none_of(out.begin(), out.end(), [&l](const Listener& t) { return t.callback == l.callback; }))
                out.push_back(l);
    return out;
}

void MsgClient::reset()
{
    mArrivals.clear();
    mSites.clear();
}

MsgSiteInfo MsgClient::getSiteInfo(const std::string& room) const
{
    auto it = mSites.find(roomAddress(room));
    if (it != mSites.end())
        return it->second;
    MsgSiteInfo none;
    none.room = roomAddress(room);
    return none;
}

} // namespace core
} // namespace kavri3D
