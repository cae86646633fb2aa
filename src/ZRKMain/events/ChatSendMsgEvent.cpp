#include "events/ChatSendMsgEvent.h"

#include <data/MsgClient.h>
#include <data/MsgClientManager.h>
#include <data/ZRKServerRequest.h>
#include <data/ZRKSession.h>
#include <gui/ChannelType.h>

#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {
/// A required chat parameter of its exact type; the log line names it as the chat box does.
template <class T> const T* chatParam(const gui::ParamNode* node, const char* missing)
{
    const T* value = node ? boost::any_cast<T>(&node->value) : nullptr;
    if (!value)
        writeLog(kLogTrace, "ChatSendMsgEvent", missing);
    return value;
}
} // namespace

ChatSendMsgEvent::ChatSendMsgEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher) : BaseEvent(page, dispatcher)
{
}

gui::ParamList* ChatSendMsgEvent::fillParams()
{
    clearParams();
    addBool("success", mSuccess);
    return paramList();
}

void ChatSendMsgEvent::callback(gui::ParamHandle params)
{
    core::MsgClient* active = core::MsgClientManager::getSingleton().getActiveClient();
    const gui::ChannelType* channel =
        chatParam<gui::ChannelType>(findParam("channel", params), "channel paramnode is null");
    if (!channel)
        return;
    const std::string* text = chatParam<std::string>(findParam("string", params), "string paramnode is null");
    if (!text)
        return;
    const std::string* roomId = chatParam<std::string>(findParam("rid", params), "roomid paramnode is null");
    if (!roomId)
        return;
    std::string toUid;
    if (!readOptional("toUid", params, toUid))
        return;
    ZRKSession* session = GameServices::session();
    if (!session || !active)
        return;
    const std::string room = session->getMsgClient()->roomAddress(*roomId);
    mSuccess = true;
    switch (*channel) {
    case 1:
    case 2:
    case 16:
    case 32:
        active->sendRoomMessage(room, std::string(), *text);
        raiseEvent(getEventId());
        break;
    case 8:
        if (toUid.empty()) {
            mSuccess = false;
            raiseEvent(getEventId());
            break;
        }
        mLastPrivateText = *text;
        mLastPrivateTarget = session->decorateUser(toUid);
        active->sendUserMessage(mLastPrivateText, mLastPrivateTarget, std::string());
        raiseEvent(getEventId());
        break;
    default:
        break;
    }
}

void ChatSendMsgEvent::onOnlineReply(bool error, const std::string&)
{
    ZRKServer* server = getZRKServer();
    core::MsgClient* active = core::MsgClientManager::getSingleton().getActiveClient();
    if (error || !server || !active)
        return;
    if (server->getOnline().getBoolVal("online", true)) {
        active->sendUserMessage(mLastPrivateText, mLastPrivateTarget, std::string());
        raiseEvent(getEventId());
    } else {
        raiseEvent(gui::EventId::ChatTargetOffline);
    }
}

} // namespace zrk
} // namespace kavri3D
