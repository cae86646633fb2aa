#pragma once
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The room's prop strip: loads a character's inventory and lists the props bag's slots 51 to
/// 60, empty ones too ("bagList").
class PropLoadCallbackEvent : public BaseEvent {
public:
    PropLoadCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~PropLoadCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::PropLoad; }
    void onReply(bool error, const std::string& text);

private:
    ZRKRequestOwner mRequests; ///< last: no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
