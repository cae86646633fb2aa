#pragma once
#include <data/ZRKRequestOwner.h>

#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// A few players of the zone as records, for the room screen's suggestions.
class AreaRandomMembersEvent : public BaseEvent {
public:
    AreaRandomMembersEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::AreaRandomMembers; }

    void onReply(bool error, const std::string& text);

private:
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
