#pragma once
#include "data/ZRKMessage.h"
#include "data/ZRKNotice.h"

namespace kavri3D {
namespace zrk {

class ZRKSession;

/// Takes the server's notices into the game, one by one in the order they came, on the frame
/// thread: the room states change and fire their signals, the message client queues what the
/// room callbacks and chat callbacks are to hear, the server object learns who is online, and
/// a dropped connection takes the session offline. A notice of an unknown kind, or about a room
/// the player is not in, is logged and left.
class ZRKNotices {
public:
    explicit ZRKNotices(ZRKSession& session);
    void apply(const ZRKMessage& notice);

private:
    typedef void (ZRKNotices::*Handler)(const ZRKMessage& notice);
    static const Handler kHandlers[ZRKNotice::KindCount];

    void join(const ZRKMessage& n);
    void leave(const ZRKMessage& n);
    void message(const ZRKMessage& n);
    void chat(const ZRKMessage& n);
    void presence(const ZRKMessage& n);
    void roomInfo(const ZRKMessage& n);
    void seat(const ZRKMessage& n);
    void host(const ZRKMessage& n);
    void player(const ZRKMessage& n);
    void roomState(const ZRKMessage& n);
    void invite(const ZRKMessage& n);
    void kick(const ZRKMessage& n);
    void roomGone(const ZRKMessage& n);
    void dropped(const ZRKMessage& n);
    void avatar(const ZRKMessage& n);
    void roster(const ZRKMessage& n);

    std::string memberAddress(const ZRKMessage& n) const;

    ZRKSession& mSession;
};

} // namespace zrk
} // namespace kavri3D
