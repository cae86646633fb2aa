#include "events/BattleSendMsgEvent.h"

#include <data/MsgClient.h>
#include <data/MsgClientManager.h>
#include <data/ZRKChatLine.h>
#include <data/ZRKRoomRequest.h>
#include <data/ZRKSession.h>
#include <gui/ChannelType.h>
#include <gui/RoleAttr.h>

#include "services/GameServices.h"
#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

BattleSendMsgEvent::BattleSendMsgEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher)
{
}

void BattleSendMsgEvent::callback(gui::ParamHandle params)
{
    core::MsgClient* active = core::MsgClientManager::getSingleton().getActiveClient();
    const gui::ParamNode* channel = findParam("channel", params);
    if (!channel || !boost::any_cast<gui::ChannelType>(&channel->value)) {
        writeLog(kLogTrace, "BattleSendMsgEvent", "channel paramnode is null");
        return;
    }
    const gui::ParamNode* senderNode = findParam("sender", params);
    const gui::RoleAttr* sender = senderNode ? boost::any_cast<gui::RoleAttr>(&senderNode->value) : nullptr;
    if (!sender) {
        writeLog(kLogTrace, "BattleSendMsgEvent", "sender paramnode is null");
        return;
    }
    std::string uid, content, team;
    if (!readParam("uid", params, uid) || !readParam("content", params, content) || !readParam("team", params, team))
        return;
    ZRKSession* session = GameServices::session();
    ZRKRoomState* room = ZRKRoomRequest::getRoomState(std::string(), false, false);
    if (!session || !active || !room)
        return;
    const std::string address = session->getMsgClient()->roomAddress(std::to_string(room->getRoomId()));
    active->sendRoomMessage(address, std::string(), ZRKChatLine::make(uid, sender->pc_nickname, team, content));
}

} // namespace zrk
} // namespace kavri3D
