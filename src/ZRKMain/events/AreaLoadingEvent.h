#pragma once
#include <data/ZRKRequestOwner.h>

#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The area page's zone list: asks the server for the zones and hands them out as "a1", "a2"...
class AreaLoadingEvent : public BaseEvent {
public:
    AreaLoadingEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::AreaLoading; }

    void onReply(bool error, const std::string& text);

private:
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
