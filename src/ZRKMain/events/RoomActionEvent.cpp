#include "events/RoomActionEvent.h"

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
        writeLog(kLogTrace, channel().c_str(), text);
        return;
    }
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
