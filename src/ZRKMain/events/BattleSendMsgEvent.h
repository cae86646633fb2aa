#pragma once
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// A chat line of the game room, sent as the JSON line every chat box shows.
class BattleSendMsgEvent : public BaseEvent {
public:
    BattleSendMsgEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override { return emptyParams(); }
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::BattleSendMsg; }
};

} // namespace zrk
} // namespace kavri3D
