#include "events/ChatMsgListenEvent.h"

#include <core/ClientStateMachine.h>
#include <core/ClientStateTable.h>
#include <core/Engine.h>
#include <data/MsgClient.h>
#include <data/ZRKSession.h>

#include "rooms/ChatMsgRoomCallback.h"
#include "services/GameServices.h"

namespace kavri3D {
namespace zrk {

namespace {
bool inBattle()
{
    core::Engine* engine = core::Engine::getSingletonPtr();
    core::ClientStateMachine* machine = engine ? engine->getClientStateMachine() : nullptr;
    return machine && machine->currentStateName() == core::ClientStateTable::kBattle;
}
} // namespace

ChatMsgListenEvent::ChatMsgListenEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher)
    : BaseEvent(page, dispatcher), mListener(new ChatMsgRoomCallback)
{
    mListener->addListener(
        [this](const std::string& source, const std::string& text, bool flag) { onChatMessage(source, text, flag); });
}

ChatMsgListenEvent::~ChatMsgListenEvent()
{
    // The session must not keep a listener that is about to go.
    if (ZRKSession* session = ZRKSession::getSingletonPtr())
        session->removeMsgRoomCallback(mListener.get());
}

gui::ParamList* ChatMsgListenEvent::fillParams()
{
    clearParams();
    addNode("json", mLastText, static_cast<std::int32_t>(mLastText.size()), gui::ParamNode::Record);
    addBool("battle", mInBattle);
    return paramList();
}

void ChatMsgListenEvent::callback(gui::ParamHandle params)
{
    const gui::ParamNode* remove = findParam("isRemoveListen", params);
    const bool* isRemove = remove ? boost::any_cast<bool>(&remove->value) : nullptr;
    if (!isRemove)
        return;
    ZRKSession* session = GameServices::session();
    if (!session)
        return;
    if (*isRemove)
        session->removeMsgRoomCallback(mListener.get());
    core::MsgClient* client = session->getMsgClient();
    if (!client)
        return;
    for (const char* name : {"currentrid", "guild_name", "cry_name"}) {
        const gui::ParamNode* node = findParam(name, params);
        const std::string* room = node ? boost::any_cast<std::string>(&node->value) : nullptr;
        if (!room)
            return;
        session->addMsgRoomCallback(client->roomAddress(*room), mListener.get());
    }
}

void ChatMsgListenEvent::onChatMessage(const std::string& source, const std::string& text, bool flag)
{
    mLastFlag = flag;
    mInBattle = inBattle();
    mLastSource = source;
    mLastText = text;
    raiseEvent(getEventId());
}

} // namespace zrk
} // namespace kavri3D
