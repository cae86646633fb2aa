#pragma once
#include <memory>

#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

class ChatMsgRoomCallback;

/// Listens to the chat rooms the box names and hands each line to the GUI as it arrives.
class ChatMsgListenEvent : public BaseEvent {
public:
    ChatMsgListenEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~ChatMsgListenEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ChatMsgListen; }

    void onChatMessage(const std::string& source, const std::string& text, bool flag);

private:
    std::unique_ptr<ChatMsgRoomCallback> mListener;
    std::string mLastText;
    std::string mLastSource;
    bool mLastFlag = false;
    bool mInBattle = false;
};

} // namespace zrk
} // namespace kavri3D
