#pragma once
#include <data/ZRKRequestOwner.h>

#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The online list (30, or 34 in an arena): the players' records and every member's name;
/// asks for the information of the names the list has no record of.
class HallFriendListRefeshEvent : public BaseEvent {
public:
    HallFriendListRefeshEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher, int id);

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return givenId(); }

    void onMembersReply(bool error, const std::string& text);

private:
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
