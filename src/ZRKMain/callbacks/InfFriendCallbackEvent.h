#pragma once
#include <string>
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Another player's attributes for his profile ("jid", his decorated user name). Only the
/// latest look counts: an older request's reply does nothing.
class InfFriendCallbackEvent : public BaseEvent {
public:
    InfFriendCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~InfFriendCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::InfFriend; }
    virtual void onReply(bool error, const std::string& text);

    const std::string& queriedUid() const { return mUid; }

private:
    std::string mUid;          ///< the user id of the last look
    unsigned mAsked = 0;       ///< counts the looks, so an older reply is known
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
