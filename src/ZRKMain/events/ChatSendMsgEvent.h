#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The chat box's send: a line to the room, or to one player.
class ChatSendMsgEvent : public BaseEvent {
public:
    ChatSendMsgEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ChatSendMsg; }

    /// The server said whether the one written to is online: the line goes, or 28 tells not.
    void onOnlineReply(bool error, const std::string& text);

private:
    bool mSuccess = true;
    std::string mLastPrivateText;
    std::string mLastPrivateTarget;
};

} // namespace zrk
} // namespace kavri3D
