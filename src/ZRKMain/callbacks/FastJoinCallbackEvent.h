#pragma once
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// Quick join: asks the server for rooms the player can sit down in at once and offers those
/// within the player's level band ("room_lst"); a row then joins through the room joining event.
/// A refused match offers no rooms and says why ("room_error").
class FastJoinCallbackEvent : public BaseEvent {
public:
    FastJoinCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~FastJoinCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::FastJoin; }
    /// The match's answer: the GUI asks for the list again whether it worked or not.
    void onReply(bool error, const std::string& text);

private:
    std::string mRefusal;      ///< the last match's refusal; "" when it was answered
    ZRKRequestOwner mRequests; ///< last: no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
