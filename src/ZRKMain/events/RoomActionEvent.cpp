#include "events/RoomActionEvent.h"

#include "callbacks/RefusalBox.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

ZRKReply RoomActionEvent::reply()
{
    return mRequests.guard([this](bool error, const std::string& text) { onReply(error, text); });
}

void RoomActionEvent::onReply(bool error, const std::string& text)
{
    if (error) {
        // A press that changes nothing says why on the room's screen, in the server's words.
        writeLog(kLogTrace, channel().c_str(), text);
        RefusalBox::show(text);
        return;
    }
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
