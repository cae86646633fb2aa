#include "rooms/ChatMsgRoomCallback.h"

#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

void ChatMsgRoomCallback::onMemberMessage(const std::string& room, const std::string& text, bool self)
{
    relay(room, text, self);
}

void ChatMsgRoomCallback::onMessage(const std::string& from, const std::string&, const std::string& text)
{
    // The listeners take (sender, text): the receiver is always this player.
    relay(from, text, true);
}

void ChatMsgRoomCallback::relay(const std::string& a, const std::string& b, bool flag)
{
    // A copy: a listener may add another while the message goes round.
    const std::vector<Listener> current = mListeners;
    for (const Listener& l : current) {
        if (l.empty())
            continue;
        try {
            l(a, b, flag);
        } catch (const std::exception& e) {
            writeLog(3, "ChatMsgRoomCallback", std::string("chat listener failed: ") + e.what());
        }
    }
}

} // namespace zrk
} // namespace kavri3D
