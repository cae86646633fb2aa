#pragma once
#include <string>
#include <data/ZRKRequestOwner.h>
#include "events/BaseEvent.h"

namespace kavri3D {
namespace zrk {

/// The strengthening shop's list ("strlist"): the entries on normal sale whose item is of
/// class 4, whether or not they carry a price.
class ArmStrongLoadCallbackEvent : public BaseEvent {
public:
    ArmStrongLoadCallbackEvent(gui::IGuiPage* page, gui::IEventDispatcher* dispatcher);
    ~ArmStrongLoadCallbackEvent() override;

    gui::ParamList* fillParams() override;
    void callback(gui::ParamHandle params) override;
    int getEventId() override { return gui::EventId::ArmStrongLoad; }

    void onReply(bool error, const std::string& text);

private:
    ZRKRequestOwner mRequests; // last: goes first, so no reply reaches a freed event
};

} // namespace zrk
} // namespace kavri3D
